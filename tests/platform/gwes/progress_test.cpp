#include "platform/gwes/controls/progress.h"

#include <tuple>

#include "tests/platform/gwes/control_fixture.h"

using gwes_test::ScreenColour;

namespace {

class ProgressTest : public gwes_test::ControlTest {
 protected:
  // The power page's gauge: PBS_SMOOTH, 102 x 10 at (20, 20), so the bar inside the frame is 100
  // pixels long.
  void SetUp() override {
    ControlTest::SetUp();
    gwes::RegisterProgressClass();
    bar = Make(kProgressClassName, u"", PBS_SMOOTH, {20, 20, 122, 30}, 1011);
    Drain();
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(bar, msg, wParam, lParam); }

  HWND bar = nullptr;
};

TEST_F(ProgressTest, PositionsStayInTheRangeAndSettersReturnWhatWasBefore) {
  // Each row: a message, its argument, its answer, the position after.
  const std::tuple<UINT, int, LRESULT, LRESULT> rows[] = {
      {PBM_SETPOS, 85, 0, 85},   {PBM_SETPOS, 255, 85, 100},  // a battery reading of 255 fills the bar
      {PBM_SETPOS, -4, 100, 0},  {PBM_DELTAPOS, 30, 0, 30},   {PBM_DELTAPOS, -50, 30, 0},
      {PBM_SETPOS, 95, 0, 95},   {PBM_STEPIT, 0, 95, 5},  // ten by default; past the end it starts over
      {PBM_SETSTEP, 1, 10, 5},   {PBM_STEPIT, 0, 5, 6},       {PBM_SETSTEP, -10, 1, 6},
      {PBM_STEPIT, 0, 6, 96},
  };
  for (auto [msg, wParam, answer, pos] : rows) {
    EXPECT_EQ(Send(msg, static_cast<WPARAM>(wParam)), answer) << msg << " " << wParam;
    EXPECT_EQ(Send(PBM_GETPOS), pos) << msg << " " << wParam;
  }

  // A narrower range pulls the position in; PBM_SETRANGE answers the old pair.
  Send(PBM_SETPOS, 90);
  EXPECT_EQ(Send(PBM_SETRANGE, 0, MAKELPARAM(10, 50)), MAKELPARAM(0, 100));
  EXPECT_EQ(Send(PBM_GETPOS), 50);
  PBRANGE range{};
  EXPECT_EQ(Send(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 10);
  EXPECT_EQ(range.iHigh, 50);
  Send(PBM_SETRANGE32, static_cast<WPARAM>(-1000), 100000);
  EXPECT_EQ(Send(PBM_GETRANGE, TRUE), -1000);
  EXPECT_EQ(Send(PBM_GETRANGE, FALSE), 100000);

  // An inverted range (10 to 5) steps on past its ends, unclamped, as in Win32.
  Send(PBM_SETRANGE32, 10, 5);
  Send(PBM_SETPOS, 10);
  Send(PBM_SETSTEP, 2);
  EXPECT_EQ(Send(PBM_STEPIT), 10);
  EXPECT_EQ(Send(PBM_GETPOS), 12);
}

TEST_F(ProgressTest, TheBarFillsItsShareOfTheFrameFromTheStartSide) {
  const COLORREF empty = GetSysColor(COLOR_BTNFACE);
  const COLORREF full = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(ScreenColour(20, 20), GetSysColor(COLOR_BTNSHADOW));  // the frame
  EXPECT_EQ(ScreenColour(21, 25), empty);                         // position 0 draws no bar
  Send(PBM_SETPOS, 85);
  EXPECT_EQ(ScreenColour(21, 25), full);  // drawn at once
  EXPECT_EQ(ScreenColour(105, 28), full);
  EXPECT_EQ(ScreenColour(106, 28), empty);
  Send(PBM_SETPOS, 100);
  EXPECT_EQ(ScreenColour(120, 25), full);
  EXPECT_EQ(ScreenColour(121, 25), GetSysColor(COLOR_BTNSHADOW));

  // Vertical bars fill upwards; without PBS_SMOOTH the bar is blocks with gaps of the background.
  HWND tall = Make(kProgressClassName, u"", PBS_VERTICAL | PBS_SMOOTH, {150, 20, 160, 122}, 2);
  SendMessageW(tall, PBM_SETPOS, 50, 0);
  HWND blocks = Make(kProgressClassName, u"", 0, {20, 50, 122, 62}, 3);  // blocks of 6, gaps of 2
  SendMessageW(blocks, PBM_SETPOS, 20, 0);
  SendMessageW(blocks, PBM_SETBARCOLOR, 0, RGB(0, 200, 0));
  Drain();
  const COLORREF green = RGB(0, 200, 0);
  // Each row: a screen point and its colour; the last is past the blocks' share of 20 pixels.
  const std::tuple<int, int, COLORREF> rows[] = {{155, 120, full}, {155, 71, full}, {155, 70, empty},
                                                 {26, 55, green},  {27, 55, empty}, {29, 55, green}, {45, 55, empty}};
  for (auto [x, y, colour] : rows) EXPECT_EQ(ScreenColour(x, y), colour) << x << "," << y;
}

}  // namespace
