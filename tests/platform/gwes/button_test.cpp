#include "platform/gwes/controls/button.h"

#include "tests/platform/gwes/control_fixture.h"

using gwes::StylusAction;
using Events = std::vector<std::string>;

namespace {

class ButtonTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    commandNames = {GWES_TEST_NAMED(BN_CLICKED), GWES_TEST_NAMED(BN_DBLCLK), GWES_TEST_NAMED(BN_SETFOCUS),
                    GWES_TEST_NAMED(BN_KILLFOCUS)};
  }
  // An owner-drawn button at (10, 10), 60 x 30, id 100; `extra` adds styles.
  HWND OwnerDrawn(DWORD extra = 0) {
    HWND button = Make(kButtonClassName, u"OK", BS_OWNERDRAW | extra, {10, 10, 70, 40}, 100);
    Drain();
    return button;
  }
};

TEST_F(ButtonTest, ReleaseInsideClicksAndReleaseOutsideDoesNot) {
  HWND button = Make(kButtonClassName, u"OK", BS_OWNERDRAW, {10, 10, 70, 40}, 100);
  EXPECT_EQ(Drain(), (Events{"draw(100) entire"}));

  Tap(20, 20);
  EXPECT_EQ(Drain(), (Events{"draw(100) focus focused", "draw(100) select pressed focused",
                              "draw(100) select focused", "BN_CLICKED(100)"}));
  EXPECT_EQ(GetFocus(), button);

  NextTap();
  gwes::PostStylus(StylusAction::Down, 20, 20);
  gwes::PostStylus(StylusAction::Move, 200, 200);  // leaving the button lets it up
  gwes::PostStylus(StylusAction::Move, 30, 30);    // coming back presses it again
  gwes::PostStylus(StylusAction::Up, 70, 20);  // the first column past the right edge is outside
  EXPECT_EQ(Drain(), (Events{"draw(100) select pressed focused", "draw(100) select focused",
                              "draw(100) select pressed focused", "draw(100) select focused"}));
  EXPECT_EQ(SendMessageW(button, BM_GETSTATE, 0, 0), BST_FOCUS);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, SpaceAndBmClickClickTheFocusedButton) {
  HWND button = OwnerDrawn();
  SetFocus(button);
  Drain();
  Key(VK_SPACE);
  EXPECT_EQ(Drain(), (Events{"draw(100) select pressed focused", "draw(100) select focused", "BN_CLICKED(100)"}));
  Key(VK_RETURN);  // Enter is the dialog manager's business
  EXPECT_EQ(Drain(), Events{});

  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_EQ(Drain(), (Events{"draw(100) select pressed focused", "draw(100) select focused", "BN_CLICKED(100)"}));
  EnableWindow(button, FALSE);  // takes the focus away
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_EQ(Drain(), (Events{"draw(100) focus disabled", "draw(100) entire disabled"}));
}

TEST_F(ButtonTest, ADoubleTapIsBnDblclkForOwnerDrawnButtonsAndASecondPressForPlainOnes) {
  OwnerDrawn();
  Tap(20, 20);
  Tap(20, 20);  // the same instant: a double tap
  EXPECT_EQ(Drain(), (Events{"draw(100) focus focused", "draw(100) select pressed focused",
                              "draw(100) select focused", "BN_CLICKED(100)", "BN_DBLCLK(100)"}));

  HWND plain = Make(kButtonClassName, u"Go", BS_PUSHBUTTON, {100, 10, 160, 40}, 101);
  Drain();
  NextTap();
  Tap(110, 20);
  Tap(110, 20);
  EXPECT_EQ(Drain(), (Events{"draw(100) focus", "BN_CLICKED(101)", "BN_CLICKED(101)"}));

  SetWindowLongW(plain, GWL_STYLE, GetWindowLongW(plain, GWL_STYLE) | BS_NOTIFY);
  NextTap();
  Tap(110, 20);
  Tap(110, 20);
  EXPECT_EQ(Drain(), (Events{"BN_CLICKED(101)", "BN_DBLCLK(101)"}));
}

TEST_F(ButtonTest, BsNotifyReportsFocusChangesAndOwnerDrawShowsEveryState) {
  HWND noisy = OwnerDrawn(BS_NOTIFY);
  HWND quiet = Make(kButtonClassName, u"Quiet", BS_PUSHBUTTON, {100, 10, 160, 40}, 101);
  Drain();
  SetFocus(noisy);
  EXPECT_EQ(Drain(), (Events{"draw(100) focus focused", "BN_SETFOCUS(100)"}));
  SetFocus(quiet);
  EXPECT_EQ(Drain(), (Events{"BN_KILLFOCUS(100)", "draw(100) focus"}));
  SetFocus(noisy);
  SetFocus(nullptr);
  Drain();

  SendMessageW(noisy, BM_SETSTATE, TRUE, 0);
  SendMessageW(noisy, BM_SETSTATE, TRUE, 0);  // no change, no drawing
  EXPECT_EQ(Drain(), (Events{"draw(100) select pressed"}));
  EXPECT_EQ(SendMessageW(noisy, BM_GETSTATE, 0, 0), BST_PUSHED);
  SendMessageW(noisy, BM_SETSTATE, FALSE, 0);
  EnableWindow(noisy, FALSE);
  EXPECT_EQ(Drain(), (Events{"draw(100) select", "draw(100) entire disabled"}));
}

TEST_F(ButtonTest, APushButtonDrawsARaisedFaceThatSinksWhilePressedAndTellsNobodyOfText) {
  HWND push = Make(kButtonClassName, u"", BS_PUSHBUTTON, {10, 10, 70, 40}, 100);
  Drain();
  // Inside the outer frame: the light top-left edge and the face.
  EXPECT_EQ(gwes_test::ScreenColour(11, 11), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(gwes_test::ScreenColour(40, 25), GetSysColor(COLOR_BTNFACE));
  SendMessageW(push, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(gwes_test::ScreenColour(11, 11), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(gwes_test::ScreenColour(10, 10), GetSysColor(COLOR_BTNSHADOW));
  SetWindowTextW(push, u"Changed");
  EXPECT_EQ(Drain(), Events{});

  // The dialog manager moves the default look with BM_SETSTYLE and reads it back as a dialog code.
  EXPECT_EQ(SendMessageW(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  SendMessageW(push, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  EXPECT_EQ(SendMessageW(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
}

}  // namespace
