// The "msctls_trackbar32" common control: a thumb that slides along a channel over a range of
// positions. The user moves it with the stylus (drag the thumb; tap the channel to page towards the
// tap, repeating while held) or the keys (arrows by a line, PgUp/PgDn by a page, Home/End to the
// ends); every user move is reported to the parent as WM_HSCROLL (WM_VSCROLL for TBS_VERT) with a
// TB_ code in the low word of wParam and the trackbar in lParam, and each gesture ends with
// TB_ENDTRACK. Changes made by messages (TBM_SETPOS, TBM_SETRANGE ...) are never reported.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/gwes_types.h"

// Trackbar styles.
constexpr DWORD TBS_AUTOTICKS = 0x0001;
constexpr DWORD TBS_VERT = 0x0002;
constexpr DWORD TBS_HORZ = 0x0000;
constexpr DWORD TBS_TOP = 0x0004;
constexpr DWORD TBS_BOTTOM = 0x0000;
constexpr DWORD TBS_LEFT = 0x0004;
constexpr DWORD TBS_RIGHT = 0x0000;
constexpr DWORD TBS_BOTH = 0x0008;
constexpr DWORD TBS_NOTICKS = 0x0010;
constexpr DWORD TBS_ENABLESELRANGE = 0x0020;
constexpr DWORD TBS_FIXEDLENGTH = 0x0040;
constexpr DWORD TBS_NOTHUMB = 0x0080;

// Trackbar messages.
constexpr UINT TBM_GETPOS = 0x0400;  // WM_USER
constexpr UINT TBM_GETRANGEMIN = 0x0401;
constexpr UINT TBM_GETRANGEMAX = 0x0402;
constexpr UINT TBM_SETPOS = 0x0405;
constexpr UINT TBM_SETRANGE = 0x0406;
constexpr UINT TBM_SETRANGEMIN = 0x0407;
constexpr UINT TBM_SETRANGEMAX = 0x0408;
constexpr UINT TBM_SETSEL = 0x040A;
constexpr UINT TBM_SETSELSTART = 0x040B;
constexpr UINT TBM_SETSELEND = 0x040C;
constexpr UINT TBM_GETNUMTICS = 0x0410;
constexpr UINT TBM_GETSELSTART = 0x0411;
constexpr UINT TBM_GETSELEND = 0x0412;
constexpr UINT TBM_CLEARSEL = 0x0413;
constexpr UINT TBM_SETTICFREQ = 0x0414;
constexpr UINT TBM_SETPAGESIZE = 0x0415;
constexpr UINT TBM_GETPAGESIZE = 0x0416;
constexpr UINT TBM_SETLINESIZE = 0x0417;
constexpr UINT TBM_GETLINESIZE = 0x0418;
constexpr UINT TBM_GETTHUMBRECT = 0x0419;
constexpr UINT TBM_GETCHANNELRECT = 0x041A;
constexpr UINT TBM_SETTHUMBLENGTH = 0x041B;
constexpr UINT TBM_GETTHUMBLENGTH = 0x041C;

// Scroll codes of the WM_HSCROLL / WM_VSCROLL notifications (low word of wParam). For
// TB_THUMBTRACK and TB_THUMBPOSITION the high word holds the position.
constexpr WORD TB_LINEUP = 0;
constexpr WORD TB_LINEDOWN = 1;
constexpr WORD TB_PAGEUP = 2;
constexpr WORD TB_PAGEDOWN = 3;
constexpr WORD TB_THUMBPOSITION = 4;
constexpr WORD TB_THUMBTRACK = 5;
constexpr WORD TB_TOP = 6;
constexpr WORD TB_BOTTOM = 7;
constexpr WORD TB_ENDTRACK = 8;

constexpr char16_t kTrackbarClassName[] = u"msctls_trackbar32";

namespace gwes {

// Registers the class (CS_DBLCLKS); fails harmlessly when it exists.
void RegisterTrackbarClass();

// While the stylus is held on the channel, the thumb pages again after this delay, then at this
// interval, until it reaches the stylus.
constexpr UINT kTrackbarRepeatDelayMs = 400;
constexpr UINT kTrackbarRepeatIntervalMs = 100;

}  // namespace gwes
