#include "platform/gwes/controls/progress.h"

#include "tests/platform/gwes/control_fixture.h"

using Events = std::vector<std::string>;

namespace {

class ProgressTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    gwes::RegisterProgressClass();
  }
  // The power page's gauge: PBS_SMOOTH, 102 x 10 at (20, 20), so the bar inside the frame is 100
  // pixels long.
  HWND Gauge(DWORD style = PBS_SMOOTH, RECT rect = {20, 20, 122, 30}) {
    bar = Make(kProgressClassName, u"", style, rect, 1011);
    Drain();
    return bar;
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(bar, msg, wParam, lParam); }

  HWND bar = nullptr;
};

TEST_F(ProgressTest, PositionsStayInTheRangeAndSettersReturnWhatWasBefore) {
  Gauge();
  EXPECT_EQ(Send(PBM_GETRANGE, TRUE), 0);
  EXPECT_EQ(Send(PBM_GETRANGE, FALSE), 100);
  EXPECT_EQ(Send(PBM_SETPOS, 85), 0);
  EXPECT_EQ(Send(PBM_SETPOS, 255), 85);  // a battery reading of 255 fills the bar
  EXPECT_EQ(Send(PBM_GETPOS), 100);
  EXPECT_EQ(Send(PBM_SETPOS, static_cast<WPARAM>(-4)), 100);
  EXPECT_EQ(Send(PBM_GETPOS), 0);
  EXPECT_EQ(Send(PBM_DELTAPOS, 30), 0);
  EXPECT_EQ(Send(PBM_DELTAPOS, static_cast<WPARAM>(-50)), 30);
  EXPECT_EQ(Send(PBM_GETPOS), 0);

  // A narrower range pulls the position in; PBM_SETRANGE answers the old pair.
  Send(PBM_SETPOS, 90);
  EXPECT_EQ(Send(PBM_SETRANGE, 0, MAKELPARAM(10, 50)), MAKELPARAM(0, 100));
  EXPECT_EQ(Send(PBM_GETPOS), 50);
  PBRANGE range{};
  EXPECT_EQ(Send(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 10);
  EXPECT_EQ(range.iLow, 10);
  EXPECT_EQ(range.iHigh, 50);
  Send(PBM_SETRANGE32, static_cast<WPARAM>(-1000), 100000);
  EXPECT_EQ(Send(PBM_GETRANGE, TRUE), -1000);
  EXPECT_EQ(Send(PBM_GETRANGE, FALSE), 100000);

  // Steps: ten by default; past the end the bar starts over, carrying the overshoot.
  Send(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  Send(PBM_SETPOS, 95);
  EXPECT_EQ(Send(PBM_STEPIT), 95);
  EXPECT_EQ(Send(PBM_GETPOS), 5);
  EXPECT_EQ(Send(PBM_SETSTEP, 1), 10);
  EXPECT_EQ(Send(PBM_STEPIT), 5);
  EXPECT_EQ(Send(PBM_GETPOS), 6);
  Send(PBM_SETSTEP, static_cast<WPARAM>(-10));
  Send(PBM_STEPIT);
  EXPECT_EQ(Send(PBM_GETPOS), 96);
  EXPECT_EQ(Drain(), Events{});  // a progress bar tells its parent nothing
}

TEST_F(ProgressTest, TheBarFillsItsShareOfTheFrameFromTheStartSide) {
  const COLORREF frame = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF empty = GetSysColor(COLOR_BTNFACE);
  const COLORREF full = GetSysColor(COLOR_HIGHLIGHT);
  Gauge();
  EXPECT_EQ(gwes_test::ScreenColour(20, 20), frame);
  EXPECT_EQ(gwes_test::ScreenColour(21, 25), empty);  // position 0 draws no bar
  Send(PBM_SETPOS, 85);
  EXPECT_EQ(gwes_test::ScreenColour(21, 25), full);  // drawn at once
  EXPECT_EQ(gwes_test::ScreenColour(105, 28), full);
  EXPECT_EQ(gwes_test::ScreenColour(106, 28), empty);
  EXPECT_EQ(gwes_test::ScreenColour(121, 25), frame);
  Send(PBM_SETPOS, 100);
  EXPECT_EQ(gwes_test::ScreenColour(120, 25), full);

  // Vertical bars fill upwards; without PBS_SMOOTH the bar is blocks with gaps of the background.
  HWND tall = Make(kProgressClassName, u"", PBS_VERTICAL | PBS_SMOOTH, {150, 20, 160, 122}, 2);
  SendMessageW(tall, PBM_SETPOS, 50, 0);
  Drain();
  EXPECT_EQ(gwes_test::ScreenColour(155, 120), full);
  EXPECT_EQ(gwes_test::ScreenColour(155, 71), full);
  EXPECT_EQ(gwes_test::ScreenColour(155, 70), empty);
  HWND blocks = Make(kProgressClassName, u"", 0, {20, 50, 122, 62}, 3);  // blocks of 6, gaps of 2
  SendMessageW(blocks, PBM_SETPOS, 20, 0);
  SendMessageW(blocks, PBM_SETBARCOLOR, 0, RGB(0, 200, 0));
  Drain();
  EXPECT_EQ(gwes_test::ScreenColour(26, 55), RGB(0, 200, 0));
  EXPECT_EQ(gwes_test::ScreenColour(27, 55), empty);
  EXPECT_EQ(gwes_test::ScreenColour(29, 55), RGB(0, 200, 0));
  EXPECT_EQ(gwes_test::ScreenColour(45, 55), empty);  // past the share of 20 pixels
}

}  // namespace
