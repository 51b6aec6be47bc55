#include "ui/skin_slider.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Where the thumb's left edge lies, a step per position from five on; the thumb drawn over the
// track through its key colour is in the golden images of the slider pages.
TEST(SkinSliderThumbX, TheThumbSitsAStepPerPositionFromFiveAndNeverLeavesTheTravel) {
  struct Case { int width, min, max, pos; int thumbX; } cases[] = {
      {203, 1, 8, 8, 173},  // backlight at its maximum
      {203, 0, 5, 0, 5},    // volume at its minimum
      {203, 0, 5, 5, 170},  // volume at its maximum
      {203, 3, 3, 3, 5},    // a range of one position
      {34, 0, 5, 5, 5},     // no travel left beside the thumb
      {20, 0, 5, 5, 5},     // narrower than the thumb
      {203, INT_MIN, INT_MAX, INT_MAX, 5},
      {203, 5, 1, 3, 5},            // max below min
      {203, 0, 169, 169, 169 + 5},  // one pixel a position
      {203, 0, 5, 9, 170},          // a stray position stays at the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SkinSliderThumbX(c.width, c.min, c.max, c.pos), c.thumbX)
        << c.width << " wide, " << c.min << ".." << c.max << " at " << c.pos;
  }
}

}  // namespace
