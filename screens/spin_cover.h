// A plain child window painted white all over: laid on the time picker's own spin control, which
// the date and time page replaces by its Up and Down buttons.
#pragma once

#include "platform/afx/wnd.h"

class CSpinCover : public CWnd {
 public:
  void OnPaint() override;
};
