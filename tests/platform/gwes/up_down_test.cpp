#include "platform/gwes/controls/up_down.h"

#include <tuple>

#include "tests/platform/gwes/control_fixture.h"

namespace {

class UpDownTest : public gwes_test::ControlTest {
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
  Send(spin, UDM_SETRANGE32, 0, 2);
  EXPECT_EQ(TapAlone(105, kUpY),
            (Events{"UDN_DELTAPOS(9)", "WM_VSCROLL(SB_THUMBPOSITION,1)", "WM_VSCROLL(SB_ENDSCROLL,1)"}));
  TapAlone(105, kUpY);
  TapAlone(105, kUpY);  // past the maximum: UDS_WRAP goes round to the minimum
  EXPECT_EQ(Pos(), 0);
  EXPECT_EQ(TapAlone(105, kDownY),
            (Events{"UDN_DELTAPOS(9)", "WM_VSCROLL(SB_THUMBPOSITION,2)", "WM_VSCROLL(SB_ENDSCROLL,2)"}));

  // The default range runs from 100 down to 0, so the up arrow lowers the position; without
  // UDS_WRAP the position stops at the end.
  DestroyWindow(spin);
  Spin(0);
  EXPECT_EQ(Send(spin, UDM_GETRANGE), MAKELPARAM(0, 100));
  Send(spin, UDM_SETPOS, 0, MAKELPARAM(1, 0));
  TapAlone(105, kUpY);
  TapAlone(105, kUpY);
  EXPECT_EQ(Pos(), 0);

  // A parent that answers UDN_DELTAPOS with non-zero refuses the step.
  deltaAnswer = 1;
  EXPECT_EQ(TapAlone(105, kDownY), (Events{"UDN_DELTAPOS(9)", "WM_VSCROLL(SB_ENDSCROLL,0)"}));
  EXPECT_EQ(Pos(), 0);
}

TEST_F(UpDownTest, AHeldArrowRepeatsUntilReleasedOrLeft) {
  Spin(0);
  Send(spin, UDM_SETRANGE32, 0, 100);
  Press(105, kUpY);
  Drain();
  After(gwes::kUpDownFirstRepeatMs - 1);
  EXPECT_EQ(Pos(), 1);
  After(1 + 2 * gwes::kUpDownRepeatMs);
  EXPECT_EQ(Pos(), 4);
  MoveTo(105, kDownY);  // off the arrow: no more steps
  After(3 * gwes::kUpDownRepeatMs);
  Release(105, kDownY);
  EXPECT_EQ(Drain(), (Events{"WM_VSCROLL(SB_ENDSCROLL,4)"}));
  EXPECT_EQ(After(1000), Events{});
  EXPECT_EQ(Pos(), 4);
}

TEST_F(UpDownTest, WithSetBuddyIntThePositionIsReadBackFromTheBuddysText) {
  HWND buddy = Make(kEditClassName, u"", 0, {60, 100, 100, 120}, 8);
  Spin(UDS_SETBUDDYINT);
  Send(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy));
  Send(spin, UDM_SETRANGE32, 0, 20);
  // Each row: what the user typed, then UDM_GETPOS's position and error flag. A number outside the
  // range is clamped; anything else keeps the last good position.
  for (auto [typed, pos, error] : {std::tuple{u"11", 11, 0}, {u"21st", 11, 1}, {u"-3", 0, 1}, {u"35", 20, 1}}) {
    SetWindowTextW(buddy, typed);
    EXPECT_EQ(Send(spin, UDM_GETPOS), MAKELPARAM(pos, error)) << "typed " << pos;
  }
  EXPECT_EQ(Send(spin, UDM_SETPOS, 0, MAKELPARAM(5, 0)), 20);  // the clamped value was kept

  // Without UDS_SETBUDDYINT the text is not read, and both messages say so.
  SetWindowLongW(spin, GWL_STYLE, GetWindowLongW(spin, GWL_STYLE) & ~static_cast<LONG_PTR>(UDS_SETBUDDYINT));
  SetWindowTextW(buddy, u"9");
  EXPECT_EQ(Send(spin, UDM_GETPOS), MAKELPARAM(5, 1));
  BOOL error = FALSE;
  EXPECT_EQ(Send(spin, UDM_GETPOS32, 0, &error), 5);
  EXPECT_TRUE(error);
}

}  // namespace
