// The window manager's private state: window records in a handle table, the class records, and the
// helpers the window system's services share. Nothing outside platform/gwes includes this; every
// other layer sees windows only as handles.
//
// Locking: one recursive lock guards every window record, the z-order lists and focus, activation
// and capture. The message queues have their own lock, taken after the window lock when both are
// needed. No lock is held while a window procedure runs.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/gwes/window.h"

namespace gwes::detail {

struct WindowClass {
  ATOM atom = 0;
  std::u16string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  int windowCount = 0;
};

struct Window {
  HWND hwnd = nullptr;
  std::shared_ptr<WindowClass> cls;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // null for a top-level window
  HWND owner = nullptr;   // top-level windows only
  std::vector<HWND> children;  // z-order, top first; creation order for dialogs' tab order
  RECT rect{};  // relative to the parent's client area; screen coordinates for top-level windows
  std::u16string text;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  std::vector<LONG_PTR> extra;  // one long per 4 extra bytes
  std::thread::id thread;
  std::vector<RECT> update;  // the update region, client coordinates, disjoint rectangles
  bool erase = false;
  bool internalPaint = false;
  bool destroying = false;
  HICON bigIcon = nullptr;    // WM_SETICON's two icons
  HICON smallIcon = nullptr;
};

std::recursive_mutex& WindowLock();
// Gives the record a new handle and links it into its z-order list. Call with the window lock held.
HWND InsertWindow(std::unique_ptr<Window> window);
// Unlinks and drops a record with its timers, queued messages, focus, activation and capture.
// Call with the window lock held.
void RemoveWindow(HWND hwnd);
// The record of a live window, or null. Call with the window lock held.
Window* Find(HWND hwnd);
// As Find, and sets ERROR_INVALID_WINDOW_HANDLE when the handle is not a live window.
Window* FindOrFail(HWND hwnd);
// Top-level windows in z-order, top first (top-most windows ahead of the rest).
std::vector<HWND>& TopLevelWindows();
// The z-order list the window is in: its parent's children or the top-level list.
std::vector<HWND>& SiblingsOf(const Window& window);
// The window's rectangle in screen coordinates.
RECT ScreenRect(const Window& window);
// The window and all its ancestors have WS_VISIBLE.
bool VisibleChain(const Window& window);
// The window is `ancestor` or one of its descendants.
bool IsSelfOrDescendant(HWND window, HWND ancestor);
// The top-level window the window belongs to.
HWND RootOf(HWND window);
// Every descendant of the window, parents before their children, in z-order.
void CollectDescendants(HWND window, std::vector<HWND>& out);

std::shared_ptr<WindowClass> FindClass(LPCWSTR nameOrAtom);

// Removes the window's remaining state when its record goes: queued messages and timers.
void ForgetWindowMessages(HWND hwnd);
void KillWindowTimers(HWND hwnd);
// Removes the windows of a thread that ended, without messages: nobody is left to answer them.
void ForgetThreadWindows(std::thread::id thread);
// Focus, activation and capture bookkeeping when a window goes away.
void ForgetFocusState(HWND hwnd);

// Set-and-notify helpers shared by the window, focus and position services.
HWND SetActiveWindowInternal(HWND hwnd, bool byMouse, bool adjustFocus);
void ActivateOtherWindow(HWND hwnd);

// Painting bookkeeping after a window changed where it shows (see paint.cpp).
struct ExposeState {
  bool wasVisible = false;
  RECT oldScreen{};
  std::vector<HWND> above;  // windows stacked above the changing window before the change
};
ExposeState CaptureExposeState(HWND hwnd);
// What of the window is visible, in screen coordinates. Call with the window lock held.
std::vector<RECT> VisibleRegionLocked(const Window& window);
void ApplyExpose(HWND hwnd, const ExposeState& before, bool contentChanged);

// Wakes threads waiting for messages so they look again (posts, input, paint, timers).
void WakeQueues();

// Rectangle helpers.
RECT Intersect(const RECT& a, const RECT& b);
bool Empty(const RECT& r);
// Removes `cut` from every rectangle of the list, keeping the rest as disjoint rectangles.
void SubtractRect(std::vector<RECT>& rects, const RECT& cut);
void IntersectRects(std::vector<RECT>& rects, const RECT& with);
RECT Bounds(const std::vector<RECT>& rects);

}  // namespace gwes::detail
