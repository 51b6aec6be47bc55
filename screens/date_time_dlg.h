// The date and time page. It keeps three things apart: the date being edited (shown in the date
// box, picked in a pop-up calendar, following the clock across midnight until a date is picked),
// the time of day (a time picker that follows the clock twice a second until the user steps it),
// and the time zone, stepped through the fixed list of 75. Each zone step moves the device clock
// at once so that universal time stays; only OK (or Enter) writes the zone and sets the clock from
// the edited date and time, and every way out without confirming moves the clock back.
#pragma once

#include "platform/afx/combo_box.h"
#include "platform/afx/date_time_ctrl.h"
#include "platform/kernel/time_zone.h"
#include "res/resource.h"
#include "screens/date_button.h"
#include "screens/popup_calendar.h"
#include "screens/skin_page.h"
#include "screens/spin_cover.h"
#include "ui/local_string.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"

class CDateTimeDlg : public CSkinPage {
 public:
  // The time picker follows the clock on the first timer, the date box on the second.
  static constexpr UINT_PTR kClockTimer = 256;
  static constexpr UINT kClockMs = 500;
  static constexpr UINT_PTR kDateTimer = 512;
  static constexpr UINT kDateMs = 1000;

  explicit CDateTimeDlg(CWnd* owner = nullptr);
  ~CDateTimeDlg() override;

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // The calendar's notifications (a picked date, "None") reach the page here.
  BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnTimer(UINT_PTR id) override;
  // Writes the zone, sets the clock from the edited date and time, and ends the page.
  void OnOK() override;
  // Moves the clock back by every zone step taken and ends the page; nothing is written.
  void OnCancel() override;

 protected:
  // Looked at only while some window has the focus: Escape and the device keys as on every page;
  // Enter confirms; Left and Right step the zone while the focus is on the zone; Up and Down in the
  // time picker stop it following the clock and go on to the picker.
  BOOL OnPageKey(UINT key) override;

 private:
  void LayOut();
  void FitDateBoxFont();
  void CoverPickerSpin();
  // Writes m_date into the date box ("dd/mm/yyyy") and selects it in the calendar.
  void ShowDate();
  // Previous (-1) or next (+1) zone; the clock follows the new zone's bias.
  void StepZone(int direction);
  // Freezes the time picker and steps its selected field as the arrow key `vk` would.
  void StepTime(BYTE vk);
  void ApplySettings();
  void OnCalendarPick(const SYSTEMTIME& date);

  CPopupCalendar m_calendar;
  CSpinCover m_spinCover;
  SYSTEMTIME m_date{};  // year, month and day count
  TIME_ZONE_INFORMATION m_startZone{};
  // The bias (minutes, universal minus local) the clock is adjusted to now.
  LONG m_currentBias = 0;
  CDateTimeCtrl m_unusedPicker;
  CDateTimeCtrl m_timePicker;
  CDateButton m_dateButton{IDC_CLOCK_CALENDAR};
  CWnd m_dateBox;
  HFONT m_hDateFont = nullptr;
  CSkinButton m_up;
  CSkinButton m_down;
  CSkinButton m_right;
  CSkinButton m_left;
  CSkinLabel m_zoneCaption;
  CSkinLabel m_timeCaption;
  CSkinLabel m_dateCaption;
  // Never shown: its selection is the page's zone, in table order.
  CComboBox m_zoneList;
  CSkinLabel m_title;
  // What the zone box shows; the box is never read back as the zone.
  CLocalString m_zoneText;
};
