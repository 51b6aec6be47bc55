// The framework's class of the month calendar ("SysMonthCal32"): creation at a point with the
// calendar's own minimum size, and typed calls for its messages.
#pragma once

#include "platform/afx/wnd.h"
#include "platform/gwes/controls/month_calendar.h"

class CMonthCalCtrl : public CWnd {
 public:
  // Creates the calendar as a child of `parent` with its top-left corner at `topLeft` (parent's
  // client coordinates), then sizes it to its minimum size; the z-order is left as created.
  BOOL Create(DWORD style, const POINT& topLeft, CWnd* parent, UINT id);
  BOOL GetMinReqRect(RECT* rect) const;
  // Selects a day and shows its month without telling the parent; the time fields are ignored.
  BOOL SetCurSel(const SYSTEMTIME& date);
  BOOL GetCurSel(SYSTEMTIME* date) const;
};
