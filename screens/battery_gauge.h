// The power page's battery gauge: the page's own subclass of the standard progress bar. It keeps
// no state beyond the control's position and paints itself from two skin bitmaps, the empty track
// and, over it, the filled bar cut to the position's share of the width. Taps do nothing.
#pragma once

#include "platform/afx/wnd.h"

class CBatteryGauge : public CWnd {
 public:
  void SetRange(int low, int high);
  void SetStep(int step);
  // The control holds the position within its range.
  void SetPos(int position);
  int GetPos() const;

  // The fill width for a position and a control width: the integer part of
  // (position x 0.01) x width, both products in single precision.
  static int FillWidth(int position, int width);

  // Composes the track and the fill off screen and copies the picture once.
  void OnPaint() override;
  // A press on the gauge is neither handled nor passed on.
  void OnLButtonDown(UINT flags, POINT point) override;
};
