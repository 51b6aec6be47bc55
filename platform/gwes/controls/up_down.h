// The "msctls_updown32" spin control: two arrow buttons that step a position within a range. A
// press on an arrow asks the parent first (UDN_DELTAPOS through WM_NOTIFY; a non-zero answer
// refuses the step), then moves the position (wrapping with UDS_WRAP, else stopping at the ends)
// and reports it with WM_VSCROLL (WM_HSCROLL with UDS_HORZ) SB_THUMBPOSITION; holding the arrow
// repeats the step, and the release ends with SB_ENDSCROLL. The up arrow (the right one with
// UDS_HORZ) moves towards the range's maximum, which may be below its minimum.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/gwes_types.h"

// Up-down styles.
constexpr DWORD UDS_WRAP = 0x0001;
constexpr DWORD UDS_SETBUDDYINT = 0x0002;
constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
constexpr DWORD UDS_ALIGNLEFT = 0x0008;
constexpr DWORD UDS_AUTOBUDDY = 0x0010;
constexpr DWORD UDS_ARROWKEYS = 0x0020;
constexpr DWORD UDS_HORZ = 0x0040;
constexpr DWORD UDS_NOTHOUSANDS = 0x0080;

// Up-down messages.
constexpr UINT UDM_SETRANGE = WM_USER + 101;  // lParam: MAKELONG(maximum, minimum)
constexpr UINT UDM_GETRANGE = WM_USER + 102;
constexpr UINT UDM_SETPOS = WM_USER + 103;
constexpr UINT UDM_GETPOS = WM_USER + 104;
constexpr UINT UDM_SETBUDDY = WM_USER + 105;
constexpr UINT UDM_GETBUDDY = WM_USER + 106;
constexpr UINT UDM_SETRANGE32 = WM_USER + 111;  // wParam minimum, lParam maximum
constexpr UINT UDM_GETRANGE32 = WM_USER + 112;
constexpr UINT UDM_SETPOS32 = WM_USER + 113;
constexpr UINT UDM_GETPOS32 = WM_USER + 114;

constexpr int UD_MAXVAL = 0x7FFF;
constexpr int UD_MINVAL = -UD_MAXVAL;

// Notification (WM_NOTIFY code): the position is about to change by iDelta.
constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);

struct NMUPDOWN {
  NMHDR hdr;
  int iPos;
  int iDelta;
};

constexpr char16_t kUpDownClassName[] = u"msctls_updown32";

namespace gwes {

void RegisterUpDownClass();

// A held arrow steps again after the first delay, then every repeat period.
constexpr UINT kUpDownFirstRepeatMs = 500;
constexpr UINT kUpDownRepeatMs = 100;

}  // namespace gwes
