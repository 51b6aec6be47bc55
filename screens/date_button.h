// The date and time page's Date button: a bitmap button whose only rule of its own is to hide the
// page's pop-up calendar when the focus leaves it for anything but the calendar. A double tap is
// the platform button's (a double-click note the page ignores), not a second click.
#pragma once

#include "ui/skin_button.h"

class CDateButton : public CSkinButton {
 public:
  // Hides the sibling with id `calendarId` unless that is where the focus went.
  explicit CDateButton(int calendarId) : m_nCalendarId(calendarId) {}

  void OnKillFocus(HWND newFocus) override;
  void OnLButtonDblClk(UINT flags, POINT point) override;

 private:
  int m_nCalendarId;
};
