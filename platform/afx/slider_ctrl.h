// The framework's class of the trackbar control ("msctls_trackbar32"): typed calls for its
// messages. Everything else (taps, drags, keys, the notifications to the parent) is the control's.
#pragma once

#include "platform/afx/wnd.h"
#include "platform/gwes/controls/trackbar.h"

class CSliderCtrl : public CWnd {
 public:
  int GetPos() const;
  // Moves the thumb and redraws it; a position outside the range is clamped by the control.
  void SetPos(int pos);
  int GetRangeMin() const;
  int GetRangeMax() const;
  void SetRange(int min, int max, BOOL redraw = FALSE);
  // Returns the previous page size.
  int SetPageSize(int size);
};
