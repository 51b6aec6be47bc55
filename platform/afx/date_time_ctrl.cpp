#include "platform/afx/date_time_ctrl.h"

BOOL CDateTimeCtrl::SetFormat(LPCWSTR format) {
  return static_cast<BOOL>(::SendMessageW(m_hWnd, DTM_SETFORMAT, 0, reinterpret_cast<LPARAM>(format)));
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* time) {
  return static_cast<BOOL>(
      ::SendMessageW(m_hWnd, DTM_SETSYSTEMTIME, static_cast<WPARAM>(GDT_VALID), reinterpret_cast<LPARAM>(time)));
}

DWORD CDateTimeCtrl::GetTime(SYSTEMTIME* time) const {
  return static_cast<DWORD>(::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)));
}
