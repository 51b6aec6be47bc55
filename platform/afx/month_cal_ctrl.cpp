#include "platform/afx/month_cal_ctrl.h"

BOOL CMonthCalCtrl::Create(DWORD style, const POINT& topLeft, CWnd* parent, UINT id) {
  if (!CreateEx(0, kMonthCalendarClassName, nullptr, style, topLeft.x, topLeft.y, 0, 0,
                parent ? parent->m_hWnd : nullptr, id)) {
    return FALSE;
  }
  RECT minimum{};
  if (!GetMinReqRect(&minimum)) return FALSE;
  return SetWindowPos(nullptr, 0, 0, minimum.right - minimum.left, minimum.bottom - minimum.top,
                      SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

BOOL CMonthCalCtrl::GetMinReqRect(RECT* rect) const {
  return static_cast<BOOL>(::SendMessageW(m_hWnd, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(rect)));
}

BOOL CMonthCalCtrl::SetCurSel(const SYSTEMTIME& date) {
  return static_cast<BOOL>(::SendMessageW(m_hWnd, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date)));
}

BOOL CMonthCalCtrl::GetCurSel(SYSTEMTIME* date) const {
  return static_cast<BOOL>(::SendMessageW(m_hWnd, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(date)));
}
