#include "ui/skin_slider.h"

#include <climits>

#include "res/program_resources.h"
#include "res/resource.h"
#include "tests/platform/gwes/control_fixture.h"
#include "ui/skin_bitmap.h"

namespace {

using gwes_test::Pump;

constexpr int kLeft = 40, kTop = 112;

class SkinSliderTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    kernel::SetProgramResources(ProgramResourceBytes());
    ControlTest::SetUp();
    ASSERT_TRUE(framework.SubclassWindow(parent));
  }
  CWnd framework;
};

COLORREF ColourAt(const CSkinBitmap& bitmap, int x, int y) {
  return gwes::ColourOf(gwes::LookupGdi<gwes::BitmapObject>(bitmap.GetSafeHandle())->m_surface->Pixel(x, y) &
                        gwes::kColourBits);
}

// Whether the screen shows, within the slider at (kLeft, kTop) `width` wide, the thumb with its left
// edge at `x` over the track: thumb pixels where the thumb is not the key colour, the track where it is.
::testing::AssertionResult ShowsThumbAt(int width, int x) {
  CSkinBitmap thumb, track;
  if (!LoadSkinBitmap(thumb, IDB_SLIDER_THUMB) || !LoadSkinBitmap(track, IDB_SLIDER_TRACK))
    return ::testing::AssertionFailure() << "no slider bitmaps";
  BITMAP size{};
  GetObjectW(thumb.GetSafeHandle(), sizeof size, &size);
  int keyed = 0;
  for (int row = 0; row < size.bmHeight; ++row) {
    for (int column = 0; column < size.bmWidth && x + column < width; ++column) {
      COLORREF own = ColourAt(thumb, column, row);
      bool key = own == RGB(200, 200, 200);
      keyed += key;
      if (gwes_test::ScreenColour(kLeft + x + column, kTop + row) != (key ? ColourAt(track, x + column, row) : own))
        return ::testing::AssertionFailure() << "thumb pixel (" << column << ", " << row << ") differs";
    }
  }
  if (keyed == 0) return ::testing::AssertionFailure() << "no key pixel was checked";
  return ::testing::AssertionSuccess();
}

TEST_F(SkinSliderTest, TheThumbSitsAStepPerPositionFromFiveOverTheTrack) {
  struct Case {
    int width, min, max, pos;
    int thumbX;
  } cases[] = {
      {203, 1, 8, 8, 173},  // backlight at its maximum
      {203, 0, 5, 0, 5},    // volume at its minimum
      {203, 0, 5, 5, 170},  // volume at its maximum
      {203, 3, 3, 3, 5},    // a range of one position
      {34, 0, 5, 5, 5},     // no travel left beside the thumb
      {20, 0, 5, 5, 5},     // narrower than the thumb
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " wide, " << c.min << ".." << c.max << " at " << c.pos);
    CSkinSlider slider;
    ASSERT_TRUE(slider.SubclassWindow(Make(kTrackbarClassName, u"Slider1", 0x00030035, {10, 10, 120, 50}, 1026)));
    slider.m_nTrackId = IDB_SLIDER_TRACK;
    slider.SetRange(c.min, c.max);
    slider.MoveWindow(kLeft, kTop, c.width, 34);
    slider.SetPos(c.pos);
    Pump();
    EXPECT_TRUE(ShowsThumbAt(c.width, c.thumbX));
    slider.DestroyWindow();
    Pump();
  }
}

TEST(SkinSliderThumbX, ExtremeRangesNeitherOverflowNorLeaveTheTravel) {
  EXPECT_EQ(SkinSliderThumbX(203, INT_MIN, INT_MAX, INT_MAX), 5);
  EXPECT_EQ(SkinSliderThumbX(203, 5, 1, 3), 5);            // max below min
  EXPECT_EQ(SkinSliderThumbX(203, 0, 169, 169), 169 + 5);  // one pixel a position
  EXPECT_EQ(SkinSliderThumbX(203, 0, 5, 9), 170);          // a stray position stays at the end
}

}  // namespace
