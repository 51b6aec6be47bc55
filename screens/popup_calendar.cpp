#include "screens/popup_calendar.h"

void CPopupCalendar::OnKillFocus(HWND newFocus) {
  CWnd::OnKillFocus(newFocus);
  if (newFocus != nullptr && ::IsWindow(newFocus) && !::IsChild(m_hWnd, newFocus)) ShowWindow(SW_HIDE);
}
