// The "SysMonthCal32" month calendar: one month as a title (month and year between a previous and a
// next arrow), a weekday header and a grid of 6 x 7 days (the ends of the neighbouring months in the
// trailing colour), the selected day filled, today framed, and a "Today:" line below. A tap on a day
// selects it: MCN_SELCHANGE when the stylus goes down, MCN_SELECT when it comes up on a day; a day
// of a neighbouring month brings that month into view first. The title's arrows show the previous
// or next month and carry the selection along (MCN_SELCHANGE only); so do Page Up and Page Down,
// while the arrow keys, Home and End move the selection by a day, a week, or to the month's ends.
// The "Today:" line selects today as a tap on it would. With MCS_SHOWNONE a "None" link sits at the
// right of that line, and a tap on it sends MCN_SELECTNONE. MCM_SETCURSEL notifies nobody. Until
// WM_SETFONT gives it a font it draws with the stock DEFAULT_GUI_FONT.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/controls/date_time_format.h"
#include "platform/gwes/gwes_types.h"

// Month calendar styles.
constexpr DWORD MCS_DAYSTATE = 0x0001;
constexpr DWORD MCS_MULTISELECT = 0x0002;
constexpr DWORD MCS_WEEKNUMBERS = 0x0004;
constexpr DWORD MCS_NOTODAYCIRCLE = 0x0008;
constexpr DWORD MCS_NOTODAY = 0x0010;
constexpr DWORD MCS_SHOWNONE = 0x0080;

// Month calendar messages.
constexpr UINT MCM_FIRST = 0x1000;
constexpr UINT MCM_GETCURSEL = MCM_FIRST + 1;
constexpr UINT MCM_SETCURSEL = MCM_FIRST + 2;
constexpr UINT MCM_GETMINREQRECT = MCM_FIRST + 9;
constexpr UINT MCM_SETCOLOR = MCM_FIRST + 10;
constexpr UINT MCM_GETCOLOR = MCM_FIRST + 11;
constexpr UINT MCM_SETTODAY = MCM_FIRST + 12;
constexpr UINT MCM_GETTODAY = MCM_FIRST + 13;
constexpr UINT MCM_HITTEST = MCM_FIRST + 14;
constexpr UINT MCM_SETFIRSTDAYOFWEEK = MCM_FIRST + 15;
constexpr UINT MCM_GETFIRSTDAYOFWEEK = MCM_FIRST + 16;
constexpr UINT MCM_GETMONTHDELTA = MCM_FIRST + 19;
constexpr UINT MCM_SETMONTHDELTA = MCM_FIRST + 20;
constexpr UINT MCM_GETMAXTODAYWIDTH = MCM_FIRST + 21;

// MCM_SETCOLOR and MCM_GETCOLOR parts.
constexpr int MCSC_BACKGROUND = 0;
constexpr int MCSC_TEXT = 1;
constexpr int MCSC_TITLEBK = 2;
constexpr int MCSC_TITLETEXT = 3;
constexpr int MCSC_MONTHBK = 4;
constexpr int MCSC_TRAILINGTEXT = 5;

// MCM_HITTEST answers.
constexpr UINT MCHT_NOWHERE = 0x00000000;
constexpr UINT MCHT_TITLE = 0x00010000;
constexpr UINT MCHT_CALENDAR = 0x00020000;
constexpr UINT MCHT_TODAYLINK = 0x00030000;
constexpr UINT MCHT_NONELINK = 0x00040000;
constexpr UINT MCHT_NEXT = 0x01000000;
constexpr UINT MCHT_PREV = 0x02000000;
constexpr UINT MCHT_TITLEBK = MCHT_TITLE;
constexpr UINT MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003;
constexpr UINT MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003;
constexpr UINT MCHT_CALENDARBK = MCHT_CALENDAR;
constexpr UINT MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001;
constexpr UINT MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT;
constexpr UINT MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV;
constexpr UINT MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002;

struct MCHITTESTINFO {
  UINT cbSize;
  POINT pt;
  UINT uHit;
  SYSTEMTIME st;
};

// Notifications (WM_NOTIFY codes).
constexpr UINT MCN_FIRST = static_cast<UINT>(-750);
constexpr UINT MCN_SELCHANGE = MCN_FIRST + 1;   // -749: the selection changed, by any means
constexpr UINT MCN_GETDAYSTATE = MCN_FIRST + 3; // -747
constexpr UINT MCN_SELECT = MCN_FIRST + 4;      // -746: the user picked a day
constexpr UINT MCN_SELECTNONE = MCN_FIRST + 5;  // -745: the user tapped "None" (MCS_SHOWNONE)

struct NMSELCHANGE {
  NMHDR nmhdr;
  SYSTEMTIME stSelStart;
  SYSTEMTIME stSelEnd;
};

constexpr char16_t kMonthCalendarClassName[] = u"SysMonthCal32";

namespace gwes {

void RegisterMonthCalendarClass();

}  // namespace gwes
