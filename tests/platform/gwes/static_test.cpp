#include "platform/gwes/controls/static.h"

#include "tests/platform/gwes/control_fixture.h"

using gwes_test::ScreenColour;

namespace {

class StaticTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    commandNames = {GWES_TEST_NAMED(STN_CLICKED), GWES_TEST_NAMED(STN_DBLCLK)};
  }
  // The parent answers colour requests with red text on no background, and records them with
  // how many red-ish pixels the control showed at that moment.
  void RedOnNothing() {
    log.React(parent, WM_CTLCOLORSTATIC, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
      auto dc = reinterpret_cast<HDC>(wParam);
      events.push_back("colour(" + std::to_string(GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) + ") red=" +
                       std::to_string(Ink(reinterpret_cast<HWND>(lParam)).count));
      SetTextColor(dc, RGB(255, 0, 0));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    });
  }
  // The red-ish pixels of a window: how many, and the screen box around them.
  struct InkBox {
    int count = 0;
    RECT box{1000, 1000, -1, -1};
  };
  static InkBox Ink(HWND hwnd) {
    const RECT rect = Rect(hwnd);
    InkBox ink;
    for (int y = rect.top; y < rect.bottom; ++y)
      for (int x = rect.left; x < rect.right; ++x)
        if (GetRValue(ScreenColour(x, y)) > 128) {
          ++ink.count;
          ink.box = {std::min<LONG>(ink.box.left, x), std::min<LONG>(ink.box.top, y), std::max<LONG>(ink.box.right, x),
                     std::max<LONG>(ink.box.bottom, y)};
        }
    return ink;
  }
};

// That a hollow brush leaves the parent's background shows on the pages' golden images.
TEST_F(StaticTest, TheColourRequestComesBeforeTheTextAndWithoutAnAnswerTheSystemColoursApply) {
  RedOnNothing();
  HWND label = Make(kStaticClassName, u"W i W", SS_LEFT, {20, 20, 200, 60}, 7);
  EXPECT_EQ(Drain(), (Events{"colour(7) red=0"}));
  ASSERT_GT(Ink(label).count, 20);

  // A parent that answers nothing gets the system colours.
  log.React(parent, WM_CTLCOLORSTATIC, [](WPARAM, LPARAM) -> LRESULT { return 0; });
  InvalidateRect(label, nullptr, TRUE);
  Drain();
  EXPECT_EQ(ScreenColour(199, 59), GetSysColor(COLOR_STATIC));
}

// Left text, its wrapping and vertical centring (SS_CENTERIMAGE) are pinned by the pages' golden images.
TEST_F(StaticTest, RightAndCentredTextAndTextThatIsNotWrapped) {
  RedOnNothing();
  HWND left = Make(kStaticClassName, u"ab", SS_LEFT, {0, 0, 200, 30}, 1);
  HWND right = Make(kStaticClassName, u"ab", SS_RIGHT, {0, 40, 200, 70}, 2);
  HWND centre = Make(kStaticClassName, u"ab", SS_CENTER, {0, 80, 200, 110}, 3);
  // Two words that do not fit one line stay on the first.
  HWND single = Make(kStaticClassName, u"wide words", SS_LEFTNOWORDWRAP, {100, 120, 140, 200}, 5);
  Drain();
  const RECT l = Ink(left).box, r = Ink(right).box, c = Ink(centre).box;
  EXPECT_GT(r.right, 194);
  EXPECT_EQ(r.right - r.left, l.right - l.left);
  EXPECT_NEAR(c.left + c.right, 200, 4);
  EXPECT_LT(Ink(single).box.bottom, 140);
}

// That a text change repaints is pinned by the skin label test and the page images.
TEST_F(StaticTest, OnlySsNotifyReportsTapsAndALabelNeverTakesTheFocus) {
  Make(kStaticClassName, u"a", SS_LEFT, {0, 0, 100, 30}, 1);
  HWND noisy = Make(kStaticClassName, u"b", SS_LEFT | SS_NOTIFY, {0, 40, 100, 70}, 2);
  SetFocus(parent);
  Tap(10, 10);
  Tap(10, 50);
  EXPECT_EQ(AfterTap(10, 50), (Events{"STN_CLICKED(2)", "STN_DBLCLK(2)"}));
  EXPECT_EQ(GetFocus(), parent);  // a label never takes the focus
  EXPECT_EQ(Send(noisy, WM_GETDLGCODE), DLGC_STATIC);
}

}  // namespace
