#include "platform/gwes/controls/static.h"

#include "tests/platform/gwes/control_fixture.h"

using gwes_test::ScreenColour;
using Events = std::vector<std::string>;

namespace {

class StaticTest : public gwes_test::ControlTest {
 protected:
  std::string CommandName(WORD code) override {
    return code == STN_CLICKED ? "STN_CLICKED" : code == STN_DBLCLK ? "STN_DBLCLK" : std::to_string(code);
  }
  // The parent answers colour requests with red text on no background, and records them with
  // how many red-ish pixels the control showed at that moment.
  void RedOnNothing() {
    log.React(parent, WM_CTLCOLORSTATIC, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
      auto dc = reinterpret_cast<HDC>(wParam);
      events.push_back("colour(" + std::to_string(GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) + ") red=" +
                       std::to_string(RedPixels(reinterpret_cast<HWND>(lParam))));
      SetTextColor(dc, RGB(255, 0, 0));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    });
  }
  static int RedPixels(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
      for (int x = rect.left; x < rect.right; ++x) count += GetRValue(ScreenColour(x, y)) > 128;
    return count;
  }
  // The leftmost and rightmost columns holding red-ish pixels.
  static std::pair<int, int> InkColumns(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    int first = -1, last = -1;
    for (int x = rect.left; x < rect.right; ++x)
      for (int y = rect.top; y < rect.bottom; ++y)
        if (GetRValue(ScreenColour(x, y)) > 128) {
          if (first < 0) first = x;
          last = x;
          break;
        }
    return {first, last};
  }
};

TEST_F(StaticTest, TheColourRequestComesBeforeTheTextAndAHollowBrushLeavesTheBackground) {
  RedOnNothing();
  HWND label = Make(kStaticClassName, u"W i W", SS_LEFT, {20, 20, 200, 60}, 7);
  EXPECT_EQ(Drain(), (Events{"colour(7) red=0"}));
  ASSERT_GT(RedPixels(label), 20);
  // Every pixel is the parent's blue, red ink, or a blend of the two: nothing was filled and the
  // gaps between the glyphs are untouched.
  for (int y = 20; y < 60; ++y)
    for (int x = 20; x < 200; ++x) ASSERT_EQ(GetGValue(ScreenColour(x, y)), 0) << x << "," << y;
  EXPECT_EQ(ScreenColour(199, 59), kBackground);
}

TEST_F(StaticTest, AParentThatAnswersNothingGetsTheSystemColours) {
  Make(kStaticClassName, u"x", SS_LEFT, {20, 20, 100, 40}, 7);
  Drain();
  EXPECT_EQ(ScreenColour(99, 39), GetSysColor(COLOR_STATIC));
}

TEST_F(StaticTest, AlignmentWrappingAndVerticalCentring) {
  RedOnNothing();
  HWND left = Make(kStaticClassName, u"ab", SS_LEFT, {0, 0, 200, 30}, 1);
  HWND right = Make(kStaticClassName, u"ab", SS_RIGHT, {0, 40, 200, 70}, 2);
  HWND centre = Make(kStaticClassName, u"ab", SS_CENTER, {0, 80, 200, 110}, 3);
  Drain();
  auto [leftFirst, leftLast] = InkColumns(left);
  auto [rightFirst, rightLast] = InkColumns(right);
  auto [centreFirst, centreLast] = InkColumns(centre);
  EXPECT_LT(leftFirst, 5);
  EXPECT_GT(rightLast, 194);
  EXPECT_EQ(rightLast - rightFirst, leftLast - leftFirst);
  EXPECT_NEAR(centreFirst + centreLast, 200, 4);

  // Two words that do not fit one line: wrapped they reach the second line, not wrapped they do not.
  HWND wrapped = Make(kStaticClassName, u"wide words", SS_LEFT, {0, 120, 40, 200}, 4);
  HWND single = Make(kStaticClassName, u"wide words", SS_LEFTNOWORDWRAP, {100, 120, 140, 200}, 5);
  HWND middle = Make(kStaticClassName, u"ab", SS_LEFT | SS_CENTERIMAGE, {200, 120, 300, 200}, 6);
  Drain();
  auto inkBelow = [](HWND hwnd, int fromY) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    for (int y = fromY; y < rect.bottom; ++y)
      for (int x = rect.left; x < rect.right; ++x)
        if (GetRValue(ScreenColour(x, y)) > 128) return true;
    return false;
  };
  EXPECT_TRUE(inkBelow(wrapped, 140));
  EXPECT_FALSE(inkBelow(single, 140));
  EXPECT_FALSE(inkBelow(middle, 175));  // centred on the middle (160), not at the top
  EXPECT_TRUE(inkBelow(middle, 150));
  EXPECT_FALSE([&] {
    for (int y = 120; y < 145; ++y)
      for (int x = 200; x < 300; ++x)
        if (GetRValue(ScreenColour(x, y)) > 128) return true;
    return false;
  }());
}

TEST_F(StaticTest, TextChangesRepaintWithoutNotifyingAndOnlySsNotifyReportsTaps) {
  RedOnNothing();
  HWND quiet = Make(kStaticClassName, u"a", SS_LEFT, {0, 0, 100, 30}, 1);
  HWND noisy = Make(kStaticClassName, u"b", SS_LEFT | SS_NOTIFY, {0, 40, 100, 70}, 2);
  Drain();
  SetWindowTextW(quiet, u"changed");
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(quiet, &update, FALSE));
  Events repaint = Drain();  // repainted, and nothing told to the parent
  ASSERT_EQ(repaint.size(), 1u);
  EXPECT_EQ(repaint[0].rfind("colour(1)", 0), 0u);

  HWND focus = GetFocus();
  Tap(10, 10);
  Tap(10, 50);
  Tap(10, 50);
  EXPECT_EQ(Drain(), (Events{"STN_CLICKED(2)", "STN_DBLCLK(2)"}));
  EXPECT_EQ(GetFocus(), focus);
  EXPECT_EQ(SendMessageW(noisy, WM_GETDLGCODE, 0, 0), DLGC_STATIC);

  HFONT font = reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  SendMessageW(quiet, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_EQ(SendMessageW(quiet, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
}

}  // namespace
