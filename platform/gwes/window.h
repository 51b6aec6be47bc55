// Windows: creation and destruction, window procedures, window longs, text, relations, showing,
// enabling, position, size and z-order, coordinates and hit testing. Windows are handles; a
// destroyed window's handle is invalid (IsWindow false) and is never reused. This device draws no
// non-client area, so a window's client area is the whole window.
#pragma once

#include <vector>

#include "platform/gwes/gwes_types.h"
#include "platform/gwes/messages.h"
#include "platform/gwes/window_class.h"

struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};

struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};

// Creates a window of a registered class. A WS_CHILD window needs a parent and takes its id from
// hMenu; any other window given a parent is owned by that parent's top-level window. Sends
// WM_CREATE (returning -1 refuses the window: it is destroyed and null returned), then WM_SIZE and
// WM_MOVE, then shows the window when WS_VISIBLE was asked for.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
inline HWND CreateWindowW(LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                          int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowExW(0, className, windowName, style, x, y, width, height, parent, menu, instance,
                         param);
}
// Hides the window, destroys the windows it owns, sends WM_DESTROY to it and then to its
// descendants (parents first), then WM_NCDESTROY to the descendants and last to the window itself.
// Only the thread that created a window may destroy it.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Window longs (pointer-sized on this host): GWL_WNDPROC, GWL_STYLE, GWL_EXSTYLE, GWL_ID,
// GWL_USERDATA, GWL_HINSTANCE, GWL_HWNDPARENT (the owner), or a 4-aligned offset into the class's
// extra window bytes. The setter returns the previous value; both give 0 and ERROR_INVALID_INDEX
// for an index out of range.
LONG_PTR GetWindowLongW(HWND hwnd, int index);
LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value);

// The parent of a child window, the owner of a popup, otherwise null.
HWND GetParent(HWND hwnd);
HWND GetWindow(HWND hwnd, UINT relation);
HWND GetTopWindow(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
// A top-level window by class and title (either may be null), compared without regard to case,
// searched in z-order.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
int GetWindowTextLengthW(HWND hwnd);

// Returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int command);
// The window and all its ancestors are visible.
BOOL IsWindowVisible(HWND hwnd);
// Returns whether the window was disabled before. Disabling takes the focus away from the window
// and its descendants and cancels its capture.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL BringWindowToTop(HWND hwnd);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
// The deepest visible window under a screen point; a disabled child stands for nothing, so the
// point falls to its parent.
HWND WindowFromPoint(POINT point);
// The parent itself or the child (hidden and disabled ones included) under a point in the parent's
// client coordinates; null outside the parent.
HWND ChildWindowFromPoint(HWND parent, POINT point);

namespace gwes {
// Top-level windows in z-order, top first (for dumps and tests).
std::vector<HWND> TopLevelWindowList();
// The window's children in z-order, top first.
std::vector<HWND> ChildWindowList(HWND hwnd);
}  // namespace gwes
