// The standard controls of the window system ("Button", "Static", "Edit"): their registration and
// their notifications. The WM_GETDLGCODE answers and the button values the dialog manager uses
// come from its header.
#pragma once

#include <memory>

#include "platform/gwes/dialog/dialog.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/window.h"
#include "platform/gwes/window_class.h"

namespace gwes {

// Registers the standard and common control classes the dialogs use; any later call does
// nothing. Safe to call from any thread.
void RegisterStandardControls();

// Sends WM_COMMAND (control id, code) with the control's window to the control's parent; nothing
// when it has none.
void NotifyParent(HWND control, WORD code);

// Registers one standard control class: double taps on, one extra slot for the control's state.
void RegisterControlClass(LPCWSTR className, WNDPROC proc);

// The window's GWL_STYLE bits.
inline DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

// The client point a stylus message carries in lParam (signed, so a drag past the left or top edge
// reads as negative).
inline POINT PointOf(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(static_cast<ULONG_PTR>(lParam))),
               static_cast<short>(HIWORD(static_cast<ULONG_PTR>(lParam)))};
}

// Asks for the whole control to be painted again; its WM_PAINT draws every pixel, so no erase.
inline void Invalidate(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

// A control's state lives in a struct owned by its window through extra slot 0: made on first use
// (by init, which may read the window), freed at WM_NCDESTROY. Null once the window is gone.
constexpr int kControlStateSlot = 0;

template <typename State, typename Init>
State* ControlState(HWND hwnd, Init init) {
  auto* state = reinterpret_cast<State*>(GetWindowLongW(hwnd, kControlStateSlot));
  if (!state && IsWindow(hwnd)) {
    auto made = std::make_unique<State>();
    init(hwnd, *made);
    state = made.release();
    SetWindowLongW(hwnd, kControlStateSlot, reinterpret_cast<LONG_PTR>(state));
  }
  return state;
}

template <typename State>
State* ControlState(HWND hwnd) {
  return ControlState<State>(hwnd, [](HWND, State&) {});
}

template <typename State>
void FreeControlState(HWND hwnd) {
  std::unique_ptr<State> owned(reinterpret_cast<State*>(GetWindowLongW(hwnd, kControlStateSlot)));
  SetWindowLongW(hwnd, kControlStateSlot, 0);
}

// Answers WM_PAINT: draw(hwnd, dc) on the context BeginPaint gives, when it gives one; always 0.
template <typename Draw>
LRESULT PaintControl(HWND hwnd, Draw draw) {
  PAINTSTRUCT ps;
  if (HDC dc = BeginPaint(hwnd, &ps)) {
    draw(hwnd, dc);
    EndPaint(hwnd, &ps);
  }
  return 0;
}

}  // namespace gwes
