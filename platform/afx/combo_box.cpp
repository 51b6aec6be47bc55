#include "platform/afx/combo_box.h"

#include <algorithm>

int CComboBox::GetCount() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }

int CComboBox::GetCurSel() const { return static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }

int CComboBox::SetCurSel(int index) {
  return static_cast<int>(::SendMessageW(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(static_cast<LONG_PTR>(index)), 0));
}

std::u16string CComboBox::GetLBText(int index) const {
  auto at = static_cast<WPARAM>(static_cast<LONG_PTR>(index));
  LRESULT length = ::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, at, 0);
  if (length < 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  LRESULT copied = ::SendMessageW(m_hWnd, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied < 0 ? 0 : std::min(static_cast<std::size_t>(copied), text.size() - 1));
  return text;
}

int CComboBox::SetDroppedWidth(UINT width) {
  return static_cast<int>(::SendMessageW(m_hWnd, CB_SETDROPPEDWIDTH, width, 0));
}
