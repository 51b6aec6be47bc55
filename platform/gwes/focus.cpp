#include "platform/gwes/focus.h"

#include "platform/gwes/message_queue.h"
#include "platform/gwes/window_internal.h"
#include "platform/kernel/last_error.h"

using namespace gwes::detail;

namespace {

// Guarded by the window lock. The device has one user-interface thread, so one focus, one active
// window and one capture serve the process; the foreground window follows activation.
HWND g_focus = nullptr;
HWND g_active = nullptr;
HWND g_foreground = nullptr;
HWND g_capture = nullptr;

// Whether the window can take the focus: it and every ancestor enabled. A hidden window can: it
// then takes the keys (a page parks the focus on a hidden control that way).
bool CanTakeFocus(HWND hwnd) {
  for (Window* window = Find(hwnd); window; window = Find(window->parent))
    if (window->style & WS_DISABLED) return false;
  return Find(hwnd) != nullptr;
}

HWND MoveFocus(HWND hwnd) {
  HWND previous;
  {
    std::lock_guard guard(WindowLock());
    previous = g_focus;
    if (previous == hwnd) return previous;
    g_focus = hwnd;
  }
  if (previous && IsWindow(previous)) SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && GetFocus() == hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

}  // namespace

namespace gwes::detail {

void ForgetFocusState(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  if (g_focus == hwnd) g_focus = nullptr;
  if (g_active == hwnd) g_active = nullptr;
  if (g_foreground == hwnd) g_foreground = nullptr;
  if (g_capture == hwnd) g_capture = nullptr;
}

HWND SetActiveWindowInternal(HWND hwnd, bool byMouse, bool adjustFocus) {
  HWND previous;
  {
    std::lock_guard guard(WindowLock());
    previous = g_active;
    if (previous == hwnd) return previous;
    g_active = hwnd;
    g_foreground = hwnd;
  }
  if (previous && IsWindow(previous))
    SendMessageW(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
  if (hwnd && IsWindow(hwnd) && GetActiveWindow() == hwnd)
    SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(byMouse ? WA_CLICKACTIVE : WA_ACTIVE, 0),
                 reinterpret_cast<LPARAM>(previous));
  if (adjustFocus && GetActiveWindow() == hwnd) {
    HWND focus = GetFocus();
    bool focusOutside;
    bool canFocus;
    {
      std::lock_guard guard(WindowLock());
      focusOutside = !focus || !hwnd || RootOf(focus) != hwnd;
      canFocus = hwnd && CanTakeFocus(hwnd);
    }
    if (focusOutside) MoveFocus(canFocus ? hwnd : nullptr);
  }
  return previous;
}

}  // namespace gwes::detail

HWND SetFocus(HWND hwnd) {
  if (!hwnd) return MoveFocus(nullptr);
  HWND root;
  {
    std::lock_guard guard(WindowLock());
    if (!FindOrFail(hwnd)) return nullptr;
    if (g_focus == hwnd) return hwnd;
    if (!CanTakeFocus(hwnd)) return nullptr;
    root = RootOf(hwnd);
  }
  if (GetActiveWindow() != root) {
    SetActiveWindowInternal(root, false, false);
    if (!IsWindow(hwnd) || GetActiveWindow() != root) return nullptr;
    std::lock_guard guard(WindowLock());
    if (!CanTakeFocus(hwnd)) return nullptr;
  }
  return MoveFocus(hwnd);
}

HWND GetFocus() {
  std::lock_guard guard(WindowLock());
  return g_focus;
}

HWND SetActiveWindow(HWND hwnd) {
  if (hwnd) {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return nullptr;
    if (window->parent) return g_active;  // child windows are never active
  }
  return SetActiveWindowInternal(hwnd, false, true);
}

HWND GetActiveWindow() {
  std::lock_guard guard(WindowLock());
  return g_active;
}

BOOL SetForegroundWindow(HWND hwnd) {
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return FALSE;
    hwnd = RootOf(hwnd);
  }
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetActiveWindowInternal(hwnd, false, true);
  return TRUE;
}

HWND GetForegroundWindow() {
  std::lock_guard guard(WindowLock());
  return g_foreground;
}

HWND SetCapture(HWND hwnd) {
  HWND previous;
  {
    std::lock_guard guard(WindowLock());
    if (hwnd && !FindOrFail(hwnd)) return nullptr;
    previous = g_capture;
    g_capture = hwnd;
  }
  if (previous && previous != hwnd && IsWindow(previous))
    SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return previous;
}

BOOL ReleaseCapture() {
  HWND previous;
  {
    std::lock_guard guard(WindowLock());
    previous = g_capture;
    g_capture = nullptr;
  }
  if (previous && IsWindow(previous)) SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  std::lock_guard guard(WindowLock());
  return g_capture;
}
