// The "Static" control: text shown in its rectangle. Before drawing it asks its parent for colours
// with WM_CTLCOLORSTATIC (wParam the DC, lParam the control): the brush answered fills the
// background (a hollow brush fills nothing) and the text is drawn with the DC's text colour and
// background mode as the parent left them. Statics never take the focus; with SS_NOTIFY a tap
// reports STN_CLICKED (a double tap STN_DBLCLK) to the parent.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/gwes_types.h"

// Static styles (the type is the low five bits).
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_LEFTNOWORDWRAP = 0x000C;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD SS_NOTIFY = 0x0100;
constexpr DWORD SS_CENTERIMAGE = 0x0200;

// Notifications (WM_COMMAND high word).
constexpr WORD STN_CLICKED = 0;
constexpr WORD STN_DBLCLK = 1;

// The kind a label's colour request carries when it is reflected back to the control.
constexpr int CTLCOLOR_STATIC = 6;

constexpr char16_t kStaticClassName[] = u"Static";

namespace gwes {

void RegisterStaticClass();

}  // namespace gwes
