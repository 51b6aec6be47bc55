// The "SysDateTimePick32" date and time picker: a date or a time shown in a format, one field of it
// (hour, minute, second, AM/PM, day, month or year) selected at a time. While focused, Left and
// Right move between the fields (wrapping around), Up and Down raise and lower the selected field
// (wrapping within its own range, as hours 23 -> 00, without carrying into the next field), Home
// and End set it to its first and last value, and digits type into it. With DTS_UPDOWN the picker
// makes an "msctls_updown32" child at its right edge whose arrows step the selected field too.
// Only the user's changes tell the parent, with DTN_DATETIMECHANGE through WM_NOTIFY; the picker
// also sends NM_SETFOCUS and NM_KILLFOCUS. DTM_SETSYSTEMTIME and DTM_SETFORMAT notify nobody, and a
// DTM_SETSYSTEMTIME that differs only in what the picker does not show (milliseconds) draws nothing.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/controls/date_time_format.h"
#include "platform/gwes/gwes_types.h"
#include "platform/kernel/time_zone.h"

// Picker styles.
constexpr DWORD DTS_SHORTDATEFORMAT = 0x0000;
constexpr DWORD DTS_UPDOWN = 0x0001;
constexpr DWORD DTS_SHOWNONE = 0x0002;
constexpr DWORD DTS_LONGDATEFORMAT = 0x0004;
constexpr DWORD DTS_TIMEFORMAT = 0x0009;  // includes DTS_UPDOWN
constexpr DWORD DTS_SHORTDATECENTURYFORMAT = 0x000C;
constexpr DWORD DTS_APPCANPARSE = 0x0010;
constexpr DWORD DTS_RIGHTALIGN = 0x0020;

// Picker messages (the Unicode forms; this system has no others).
constexpr UINT DTM_FIRST = 0x1000;
constexpr UINT DTM_GETSYSTEMTIME = DTM_FIRST + 1;
constexpr UINT DTM_SETSYSTEMTIME = DTM_FIRST + 2;
constexpr UINT DTM_GETRANGE = DTM_FIRST + 3;
constexpr UINT DTM_SETRANGE = DTM_FIRST + 4;
constexpr UINT DTM_GETMONTHCAL = DTM_FIRST + 8;
constexpr UINT DTM_SETFORMATW = DTM_FIRST + 50;
constexpr UINT DTM_SETFORMAT = DTM_SETFORMATW;

// DTM_GETSYSTEMTIME answers and DTM_SETSYSTEMTIME's wParam.
constexpr LRESULT GDT_ERROR = -1;
constexpr LRESULT GDT_VALID = 0;
constexpr LRESULT GDT_NONE = 1;

// Notification (WM_NOTIFY code) after the user changed the date or time.
constexpr UINT DTN_FIRST = static_cast<UINT>(-760);
constexpr UINT DTN_DATETIMECHANGE = DTN_FIRST + 1;

struct NMDATETIMECHANGE {
  NMHDR nmhdr;
  DWORD dwFlags;  // GDT_VALID or GDT_NONE
  SYSTEMTIME st;
};

constexpr char16_t kDateTimePickerClassName[] = u"SysDateTimePick32";

namespace gwes {

// Registers "SysDateTimePick32" and the "msctls_updown32" class its DTS_UPDOWN child uses.
void RegisterDateTimePickerClass();

// The id of the up-down child a DTS_UPDOWN picker makes, and its width in pixels.
constexpr int kPickerUpDownId = 1;
constexpr int kPickerUpDownWidth = 15;

}  // namespace gwes
