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

// A control's state lives in a struct owned by its window through extra slot 0 (a shared pointer
// kept there): made as the window is created (WM_CREATE is the first message a window gets) and
// freed after WM_NCDESTROY. Null for a window without one (another class, or one already gone).
constexpr int kControlStateSlot = 0;

template <typename State>
State* ControlState(HWND hwnd) {
  auto* holder = reinterpret_cast<std::shared_ptr<State>*>(GetWindowLongW(hwnd, kControlStateSlot));
  return holder ? holder->get() : nullptr;
}

// A control's window procedure: the state is fetched once for the message and handed to
// `Dispatch`. The message keeps a reference of its own, so a handler whose call-out destroys the
// control (a parent that destroys it on a notification) still finishes on live state.
template <typename State, LRESULT (*Dispatch)(HWND, State&, UINT, WPARAM, LPARAM)>
LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  using Holder = std::shared_ptr<State>;
  auto* holder = reinterpret_cast<Holder*>(GetWindowLongW(hwnd, kControlStateSlot));
  if (!holder) {
    if (msg != WM_CREATE) return DefWindowProcW(hwnd, msg, wParam, lParam);
    holder = new Holder(std::make_shared<State>());
    SetWindowLongW(hwnd, kControlStateSlot, reinterpret_cast<LONG_PTR>(holder));
  }
  Holder state = *holder;
  LRESULT result = Dispatch(hwnd, *state, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    delete reinterpret_cast<Holder*>(GetWindowLongW(hwnd, kControlStateSlot));
    SetWindowLongW(hwnd, kControlStateSlot, 0);
  }
  return result;
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
