#include "ui/skin_slider.h"

#include <climits>

#include "res/program_resources.h"
#include "res/resource.h"
#include "tests/platform/gwes/control_fixture.h"
#include "ui/skin_bitmap.h"

namespace {

using gwes_test::Pump;

constexpr COLORREF kThumbKey = RGB(200, 200, 200);
constexpr int kTop = 112;

class SkinSliderTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    kernel::SetProgramResources(ProgramResourceBytes());
    ControlTest::SetUp();
    ASSERT_TRUE(framework.SubclassWindow(parent));
  }
  // A skinned slider at (left, kTop), `width` x 34, with the track picture, range and position.
  void Place(CSkinSlider& slider, int left, int width, int min, int max, int pos) {
    HWND hwnd = Make(kTrackbarClassName, u"Slider1", 0x00030035, {10, 10, 120, 50}, 1026);
    ASSERT_TRUE(slider.SubclassWindow(hwnd));
    slider.m_nTrackId = IDB_SLIDER_TRACK;
    slider.SetRange(min, max);
    slider.MoveWindow(left, kTop, width, 34);
    slider.SetPos(pos);
    Pump();
  }
  CWnd framework;
};

gwes::Surface& Pixels(const CSkinBitmap& bitmap) {
  return *gwes::LookupGdi<gwes::BitmapObject>(bitmap.GetSafeHandle())->m_surface;
}
COLORREF ColourAt(gwes::Surface& surface, int x, int y) {
  return gwes::ColourOf(surface.Pixel(x, y) & gwes::kColourBits);
}

// Whether the screen shows, within the slider at (left, kTop) `width` wide, the thumb with its left
// edge at `x` over the track: thumb pixels where the thumb has any colour but the key, the track
// beneath where it has the key.
::testing::AssertionResult ShowsThumbAt(int left, int width, int x) {
  CSkinBitmap thumb, track;
  if (!LoadSkinBitmap(thumb, IDB_SLIDER_THUMB) || !LoadSkinBitmap(track, IDB_SLIDER_TRACK))
    return ::testing::AssertionFailure() << "no slider bitmaps";
  gwes::Surface& thumbPixels = Pixels(thumb);
  gwes::Surface& trackPixels = Pixels(track);
  int keyed = 0;
  for (int row = 0; row < thumbPixels.height; ++row) {
    for (int column = 0; column < thumbPixels.width && x + column < width; ++column) {
      COLORREF own = ColourAt(thumbPixels, column, row);
      bool key = own == kThumbKey;
      keyed += key;
      COLORREF expected = key ? ColourAt(trackPixels, x + column, row) : own;
      if (gwes_test::ScreenColour(left + x + column, kTop + row) != expected)
        return ::testing::AssertionFailure() << "thumb pixel (" << column << ", " << row << ") differs";
    }
  }
  if (keyed == 0) return ::testing::AssertionFailure() << "no key pixel was checked";
  return ::testing::AssertionSuccess();
}

TEST_F(SkinSliderTest, TheThumbSitsAStepPerPositionFromFiveAndNeverLeavesTheSlider) {
  struct Case {
    const char* what;
    int width, min, max, pos;
    int thumbX;
  } cases[] = {
      {"backlight range at its minimum", 203, 1, 8, 1, 5},
      {"backlight range at its maximum", 203, 1, 8, 8, 173},
      {"volume range at its minimum", 203, 0, 5, 0, 5},
      {"volume range at its maximum", 203, 0, 5, 5, 170},
      {"a range of one position", 203, 3, 3, 3, 5},
      {"a slider of exactly 34 pixels", 34, 0, 5, 5, 5},
      {"a slider narrower than the thumb", 20, 0, 5, 5, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CSkinSlider slider;
    Place(slider, 40, c.width, c.min, c.max, c.pos);
    EXPECT_TRUE(ShowsThumbAt(40, c.width, c.thumbX));
    // Nothing is drawn beside the slider.
    EXPECT_EQ(gwes_test::ScreenColour(40 + c.width, kTop + 10), kBackground);
    EXPECT_EQ(gwes_test::ScreenColour(39, kTop + 10), kBackground);
    slider.DestroyWindow();
    Pump();
  }
}

TEST(SkinSliderThumbX, ExtremeRangesNeitherOverflowNorLeaveTheTravel) {
  EXPECT_EQ(SkinSliderThumbX(203, INT_MIN, INT_MAX, INT_MAX), 5);
  EXPECT_EQ(SkinSliderThumbX(203, 5, 1, 3), 5);              // max below min
  EXPECT_EQ(SkinSliderThumbX(203, 0, 169, 169), 169 + 5);    // one pixel a position
  EXPECT_EQ(SkinSliderThumbX(203, 0, 5, 9), 170);            // a stray position stays at the end
}

}  // namespace
