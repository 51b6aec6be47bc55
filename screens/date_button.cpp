#include "screens/date_button.h"

void CDateButton::OnKillFocus(HWND newFocus) {
  CWnd::OnKillFocus(newFocus);
  HWND calendar = ::GetDlgItem(::GetParent(m_hWnd), m_nCalendarId);
  if (calendar != nullptr && newFocus != calendar) ::ShowWindow(calendar, SW_HIDE);
}

void CDateButton::OnLButtonDblClk(UINT flags, POINT point) { CWnd::OnLButtonDblClk(flags, point); }
