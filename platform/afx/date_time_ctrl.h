// The framework's class of the date and time picker ("SysDateTimePick32"): typed calls for its
// messages. Taps, keys, the up-down child and the notifications to the parent are the control's.
#pragma once

#include "platform/afx/wnd.h"
#include "platform/gwes/controls/date_time_picker.h"

class CDateTimeCtrl : public CWnd {
 public:
  // The format the picker shows ("HH:mm:ss"); null gives back the style's own format.
  BOOL SetFormat(LPCWSTR format);
  // Sets the shown date and time without telling the parent; false for a time the picker refuses.
  BOOL SetTime(const SYSTEMTIME* time);
  // GDT_VALID with the shown date and time, GDT_NONE when the picker shows "no date".
  DWORD GetTime(SYSTEMTIME* time) const;
};
