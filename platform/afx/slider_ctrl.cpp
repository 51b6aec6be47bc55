#include "platform/afx/slider_ctrl.h"

int CSliderCtrl::GetPos() const { return static_cast<int>(::SendMessageW(m_hWnd, TBM_GETPOS, 0, 0)); }

void CSliderCtrl::SetPos(int pos) { ::SendMessageW(m_hWnd, TBM_SETPOS, TRUE, pos); }

int CSliderCtrl::GetRangeMin() const { return static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMIN, 0, 0)); }

int CSliderCtrl::GetRangeMax() const { return static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMAX, 0, 0)); }

void CSliderCtrl::SetRange(int min, int max, BOOL redraw) {
  ::SendMessageW(m_hWnd, TBM_SETRANGEMIN, FALSE, min);
  ::SendMessageW(m_hWnd, TBM_SETRANGEMAX, redraw, max);
}

int CSliderCtrl::SetPageSize(int size) { return static_cast<int>(::SendMessageW(m_hWnd, TBM_SETPAGESIZE, 0, size)); }
