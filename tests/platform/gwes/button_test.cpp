#include "platform/gwes/controls/button.h"

#include "tests/platform/gwes/control_fixture.h"

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
  // What the focused owner-drawn button shows and says when it is pressed and let up inside.
  const Events kClicked{"draw(100) select pressed focused", "draw(100) select focused", "BN_CLICKED(100)"};
};

TEST_F(ButtonTest, ReleaseInsideClicksAndReleaseOutsideDoesNot) {
  HWND button = Make(kButtonClassName, u"OK", BS_OWNERDRAW, {10, 10, 70, 40}, 100);
  EXPECT_EQ(Drain(), (Events{"draw(100) entire"}));

  Tap(20, 20);
  EXPECT_EQ(Drain(), (Events{"draw(100) focus focused", "draw(100) select pressed focused",
                              "draw(100) select focused", "BN_CLICKED(100)"}));
  EXPECT_EQ(GetFocus(), button);

  NextTap();
  Press(20, 20);
  MoveTo(200, 200);  // leaving the button lets it up
  MoveTo(30, 30);    // coming back presses it again
  Release(70, 20);   // the first column past the right edge is outside
  EXPECT_EQ(Drain(), (Events{"draw(100) select pressed focused", "draw(100) select focused",
                              "draw(100) select pressed focused", "draw(100) select focused"}));
  EXPECT_EQ(Send(button, BM_GETSTATE), BST_FOCUS);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, SpaceAndBmClickClickTheFocusedButton) {
  HWND button = OwnerDrawn();
  Focus(button);
  EXPECT_EQ(AfterKeys({VK_SPACE}), kClicked);
  EXPECT_EQ(AfterKeys({VK_RETURN}), Events{});  // Enter is the dialog manager's business

  Send(button, BM_CLICK);
  EXPECT_EQ(Drain(), kClicked);
  EnableWindow(button, FALSE);  // takes the focus away
  Send(button, BM_CLICK);
  EXPECT_EQ(Drain(), (Events{"draw(100) focus disabled", "draw(100) entire disabled"}));
}

TEST_F(ButtonTest, ADoubleTapIsBnDblclkForOwnerDrawnButtonsAndASecondPressForPlainOnes) {
  OwnerDrawn();
  Tap(20, 20);
  Tap(20, 20);  // the same instant: a double tap
  EXPECT_EQ(Drain(), (Events{"draw(100) focus focused", "draw(100) select pressed focused",
                              "draw(100) select focused", "BN_CLICKED(100)", "BN_DBLCLK(100)"}));

  HWND plain = Make(kButtonClassName, u"Go", BS_PUSHBUTTON, {100, 10, 160, 40}, 101);
  NextTap();
  Tap(110, 20);
  EXPECT_EQ(AfterTap(110, 20), (Events{"draw(100) focus", "BN_CLICKED(101)", "BN_CLICKED(101)"}));

  SetWindowLongW(plain, GWL_STYLE, GetWindowLongW(plain, GWL_STYLE) | BS_NOTIFY);
  NextTap();
  Tap(110, 20);
  EXPECT_EQ(AfterTap(110, 20), (Events{"BN_CLICKED(101)", "BN_DBLCLK(101)"}));
}

TEST_F(ButtonTest, BsNotifyReportsFocusChangesAndOwnerDrawShowsEveryState) {
  HWND noisy = OwnerDrawn(BS_NOTIFY);
  HWND quiet = Make(kButtonClassName, u"Quiet", BS_PUSHBUTTON, {100, 10, 160, 40}, 101);
  Drain();
  EXPECT_EQ(Focus(noisy), (Events{"draw(100) focus focused", "BN_SETFOCUS(100)"}));
  EXPECT_EQ(Focus(quiet), (Events{"BN_KILLFOCUS(100)", "draw(100) focus"}));
  SetFocus(noisy);
  Focus(nullptr);
  Send(noisy, BM_SETSTATE, TRUE);
  Send(noisy, BM_SETSTATE, TRUE);  // no change, no drawing
  EXPECT_EQ(Drain(), (Events{"draw(100) select pressed"}));
  EXPECT_EQ(Send(noisy, BM_GETSTATE), BST_PUSHED);
  Send(noisy, BM_SETSTATE, FALSE);
  EnableWindow(noisy, FALSE);
  EXPECT_EQ(Drain(), (Events{"draw(100) select", "draw(100) entire disabled"}));
}

TEST_F(ButtonTest, APushButtonDrawsARaisedFaceThatSinksWhilePressedAndTellsNobodyOfText) {
  HWND push = Make(kButtonClassName, u"", BS_PUSHBUTTON, {10, 10, 70, 40}, 100);
  Drain();
  // Inside the outer frame: the light top-left edge and the face.
  EXPECT_EQ(gwes_test::ScreenColour(11, 11), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(gwes_test::ScreenColour(40, 25), GetSysColor(COLOR_BTNFACE));
  Send(push, BM_SETSTATE, TRUE);
  EXPECT_EQ(gwes_test::ScreenColour(11, 11), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(gwes_test::ScreenColour(10, 10), GetSysColor(COLOR_BTNSHADOW));
  SetWindowTextW(push, u"Changed");
  EXPECT_EQ(Drain(), Events{});

  // The dialog manager moves the default look with BM_SETSTYLE and reads it back as a dialog code.
  EXPECT_EQ(Send(push, WM_GETDLGCODE), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  Send(push, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  EXPECT_EQ(Send(push, WM_GETDLGCODE), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
}

}  // namespace
