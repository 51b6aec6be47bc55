#include "platform/gwes/controls/up_down.h"

#include "tests/platform/gwes/common_control_fixture.h"

using Events = std::vector<std::string>;

namespace {

class UpDownTest : public gwes_test::CommonControlTest {
 protected:
  // A vertical spin at (100, 100), 15 x 30, id 9: the up arrow is the top half.
  void Spin(DWORD style) {
    spin = Make(kUpDownClassName, u"", style, {100, 100, 115, 130}, 9);
    Drain();
  }
  LRESULT Pos() { return SendMessageW(spin, UDM_GETPOS32, 0, 0); }
  static constexpr int kUpY = 105;
  static constexpr int kDownY = 125;
  HWND spin = nullptr;
};

TEST_F(UpDownTest, ArrowsAskTheParentThenMoveWithinTheRange) {
  Spin(UDS_WRAP);
  SendMessageW(spin, UDM_SETRANGE32, 0, 2);
  Tap(105, kUpY);
  EXPECT_EQ(Drain(), (Events{"UDN_DELTAPOS(9)", "WM_VSCROLL(4,1)", "WM_VSCROLL(8,1)"}));
  Tap(106, kUpY);
  Tap(107, kUpY);  // past the maximum: UDS_WRAP goes round to the minimum
  Drain();
  EXPECT_EQ(Pos(), 0);
  Tap(105, kDownY);
  EXPECT_EQ(Drain(), (Events{"UDN_DELTAPOS(9)", "WM_VSCROLL(4,2)", "WM_VSCROLL(8,2)"}));

  // The default range runs from 100 down to 0, so the up arrow lowers the position; without
  // UDS_WRAP the position stops at the end.
  DestroyWindow(spin);
  Spin(0);
  EXPECT_EQ(SendMessageW(spin, UDM_GETRANGE, 0, 0), MAKELPARAM(0, 100));
  SendMessageW(spin, UDM_SETPOS, 0, MAKELPARAM(1, 0));
  Tap(105, kUpY);
  Tap(106, kUpY);
  Drain();
  EXPECT_EQ(Pos(), 0);

  // A parent that answers UDN_DELTAPOS with non-zero refuses the step.
  deltaAnswer = 1;
  Tap(105, kDownY);
  EXPECT_EQ(Drain(), (Events{"UDN_DELTAPOS(9)", "WM_VSCROLL(8,0)"}));
  EXPECT_EQ(Pos(), 0);
}

TEST_F(UpDownTest, AHeldArrowRepeatsUntilReleasedOrLeft) {
  Spin(0);
  SendMessageW(spin, UDM_SETRANGE32, 0, 100);
  Press(105, kUpY);
  Drain();
  gwes::AdvanceTime(gwes::kUpDownFirstRepeatMs - 1);
  Drain();
  EXPECT_EQ(Pos(), 1);
  gwes::AdvanceTime(1 + 2 * gwes::kUpDownRepeatMs);
  Drain();
  EXPECT_EQ(Pos(), 4);
  gwes::PostStylus(gwes::StylusAction::Move, 105, kDownY);  // off the arrow: no more steps
  Drain();
  gwes::AdvanceTime(3 * gwes::kUpDownRepeatMs);
  Release(105, kDownY);
  EXPECT_EQ(Drain(), (Events{"WM_VSCROLL(8,4)"}));
  gwes::AdvanceTime(1000);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Pos(), 4);
}

}  // namespace
