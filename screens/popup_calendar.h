// The date and time page's pop-up calendar: the platform's month calendar that hides itself when
// the keyboard focus leaves it for another window (not one of its own children).
#pragma once

#include "platform/afx/month_cal_ctrl.h"

class CPopupCalendar : public CMonthCalCtrl {
 public:
  void OnKillFocus(HWND newFocus) override;
};
