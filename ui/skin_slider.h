// The skinned slider of the backlight and volume pages: the platform trackbar for range, position,
// taps, drags and notifications, painted from two pictures instead of its own look. Each paint
// composes the track picture and the thumb (its RGB(200, 200, 200) pixels left out) off screen and
// copies the result to the window once; the erase request is answered without drawing, so a moving
// thumb never flickers.
#pragma once

#include "platform/afx/slider_ctrl.h"

class CSkinSlider : public CSliderCtrl {
 public:
  // The track id that names no bitmap (all bits set).
  static constexpr UINT kNoTrack = 0xFFFFFFFFu;

  void OnPaint() override;
  BOOL OnEraseBkgnd(HDC dc) override;
  // The skinned look shows no focus, so gaining or losing it draws nothing again (the platform
  // trackbar would repaint for its focus frame).
  void OnSetFocus(HWND oldFocus) override;
  void OnKillFocus(HWND newFocus) override;

  // The track picture's bitmap id, written by the screen before the first paint; only the low 16
  // bits count.
  UINT m_nTrackId = kNoTrack;
};

// The thumb's left edge in a slider `width` pixels wide: 5 at the minimum, then a whole number of
// pixels per position, the width less 34 shared out over the range. A range without positions to
// share out (max <= min) or a slider narrower than 34 pixels keeps the thumb at 5.
int SkinSliderThumbX(int width, int min, int max, int pos);
