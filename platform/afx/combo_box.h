// The framework's class of the combo box ("ComboBox"): typed calls for the messages of its list.
#pragma once

#include <string>

#include "platform/afx/wnd.h"
#include "platform/gwes/controls/combo_box.h"

class CComboBox : public CWnd {
 public:
  int GetCount() const;
  // The selected entry, or CB_ERR when none is.
  int GetCurSel() const;
  // Selects entry `index` (-1: none); CB_ERR for an index outside the list.
  int SetCurSel(int index);
  // The text of entry `index`; empty for an index outside the list.
  std::u16string GetLBText(int index) const;
  int SetDroppedWidth(UINT width);
};
