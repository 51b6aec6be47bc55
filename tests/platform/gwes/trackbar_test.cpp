#include "platform/gwes/controls/trackbar.h"

#include <tuple>

#include "platform/gwes/message_queue.h"
#include "tests/platform/gwes/control_fixture.h"

namespace {

constexpr int kLeft = 56;  // the settings pages' slider: (56, 112), 203 x 34
constexpr int kTop = 112;
constexpr int kMiddleY = kTop + 17;
constexpr DWORD kSelectable = TBS_ENABLESELRANGE | TBS_NOTICKS | TBS_TOP | TBS_AUTOTICKS;

class TrackbarTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    gwes::RegisterTrackbarClass();
    for (UINT msg : {WM_HSCROLL, WM_VSCROLL})
      log.React(parent, msg, [this, msg](WPARAM wParam, LPARAM lParam) -> LRESULT {
        static const char* const names[] = {"LINEUP", "LINEDOWN", "PAGEUP",  "PAGEDOWN", "THUMBPOSITION",
                                            "THUMBTRACK", "TOP", "BOTTOM", "ENDTRACK"};
        WORD code = LOWORD(wParam);
        std::string text = std::string(msg == WM_VSCROLL ? "V " : "") + (code < 9 ? names[code] : "?");
        if (code == TB_THUMBTRACK || code == TB_THUMBPOSITION)
          text += " " + std::to_string(static_cast<short>(HIWORD(wParam)));
        else if (HIWORD(wParam) != 0)
          text += " high word set";
        if (reinterpret_cast<HWND>(lParam) != trackbar) text += " from another window";
        events.push_back(text);
        if (code == destroyOn) DestroyWindow(trackbar);
        return 0;
      });
  }

  // The backlight page's slider: 203 x 34, id 1005.
  HWND Slider(LONG min, LONG max, LONG pos, DWORD style = TBS_BOTH | TBS_NOTICKS | TBS_AUTOTICKS) {
    trackbar = Make(kTrackbarClassName, u"", WS_TABSTOP | style, {kLeft, kTop, kLeft + 203, kTop + 34}, 1005);
    SendMessageW(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(static_cast<WORD>(min), static_cast<WORD>(max)));
    SendMessageW(trackbar, TBM_SETPOS, TRUE, pos);
    Drain();
    return trackbar;
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(trackbar, msg, wParam, lParam); }
  LRESULT Pos() { return Send(TBM_GETPOS); }
  std::pair<LRESULT, LRESULT> Selection() { return {Send(TBM_GETSELSTART), Send(TBM_GETSELEND)}; }
  // The thumb's centre in screen coordinates.
  POINT ThumbCentre() {
    RECT thumb{};
    Send(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    return POINT{kLeft + (thumb.left + thumb.right - 1) / 2, kTop + (thumb.top + thumb.bottom) / 2};
  }

  HWND trackbar = nullptr;
  WORD destroyOn = 0xFFFF;
};

TEST_F(TrackbarTest, KeysMoveByLineAndPageClampedAtTheEndsAndEveryPressEndsWithEndtrack) {
  Slider(1, 8, 6);
  EXPECT_EQ(Send(WM_GETDLGCODE), DLGC_WANTARROWS);
  Send(TBM_SETPAGESIZE, 0, 3);
  Focus(trackbar);
  // Each row: the keys pressed, what the parent hears, the position after. At an end only ENDTRACK.
  const std::tuple<std::vector<BYTE>, Events, LRESULT> rows[] = {
      {{VK_RIGHT}, {"LINEDOWN", "ENDTRACK"}, 7},
      {{VK_DOWN, VK_DOWN}, {"LINEDOWN", "ENDTRACK", "ENDTRACK"}, 8},
      {{VK_LEFT, VK_UP}, {"LINEUP", "ENDTRACK", "LINEUP", "ENDTRACK"}, 6},
      {{VK_PRIOR, VK_PRIOR}, {"PAGEUP", "ENDTRACK", "PAGEUP", "ENDTRACK"}, 1},
      {{VK_NEXT, VK_NEXT, VK_NEXT}, {"PAGEDOWN", "ENDTRACK", "PAGEDOWN", "ENDTRACK", "PAGEDOWN", "ENDTRACK"}, 8},
      {{VK_HOME, VK_HOME}, {"TOP", "ENDTRACK", "ENDTRACK"}, 1},
      {{VK_END, VK_SPACE}, {"BOTTOM", "ENDTRACK"}, 8},  // space is not a trackbar key
  };
  for (const auto& [keys, heard, pos] : rows) {
    SCOPED_TRACE(testing::Message() << "first key " << int(keys[0]));
    Keys(keys);
    EXPECT_EQ(Drain(), heard);
    EXPECT_EQ(Pos(), pos);
  }
  // A held key repeats its move and ends once, at the release; a line size of 3 stops at the maximum.
  for (bool down : {true, true, false}) gwes::PostKey(VK_LEFT, down);
  EXPECT_EQ(Drain(), (Events{"LINEUP", "LINEUP", "ENDTRACK"}));
  EXPECT_EQ(Send(TBM_SETLINESIZE, 0, 3), 1);
  EXPECT_EQ(AfterKeys({VK_RIGHT}), (Events{"LINEDOWN", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 8);
}

TEST_F(TrackbarTest, AVerticalTrackbarReportsWithWmVscrollAndDownMovesTowardsTheMaximum) {
  Focus(trackbar = Make(kTrackbarClassName, u"", TBS_VERT, {10, 10, 40, 130}, 7));
  Keys({VK_DOWN, VK_UP});
  Tap(25, 120);  // below the thumb pages down (the minimum is at the top)
  EXPECT_EQ(Drain(), (Events{"V LINEDOWN", "V ENDTRACK", "V LINEUP", "V ENDTRACK", "V PAGEDOWN", "V ENDTRACK"}));
  EXPECT_EQ(Pos(), 20);
}

TEST_F(TrackbarTest, ChangesByMessageAreClampedAndNeverReported) {
  Slider(0, 100, 0);
  // Each row: a message, its parameters, the position after.
  const std::tuple<UINT, WPARAM, LPARAM, LRESULT> rows[] = {
      {TBM_SETPOS, TRUE, -5, 0},          {TBM_SETPOS, TRUE, 1000, 100},
      {TBM_SETRANGE, TRUE, MAKELPARAM(0, 5), 5},  // narrowing pulls the position in
      {TBM_SETRANGEMAX, TRUE, 3, 3},      {TBM_SETPOS, FALSE, 1, 1},      {TBM_SETRANGEMIN, TRUE, 2, 2},
      {TBM_SETRANGE, FALSE, MAKELPARAM(static_cast<WORD>(-10), 10), 2},  // the halves are signed
      {TBM_SETPOS, FALSE, -20, -10}};
  for (auto [msg, wParam, lParam, pos] : rows) {
    Send(msg, wParam, lParam);
    EXPECT_EQ(Pos(), pos) << "message " << msg << " with " << lParam;
  }
  EXPECT_EQ(Drain(), Events{});

  // Selections need TBS_ENABLESELRANGE. TBM_SETSEL keeps the pair inside the range; the one-sided
  // setters keep what they are given, outside the range and out of order alike.
  Send(TBM_SETSEL, FALSE, MAKELPARAM(0, 5));
  EXPECT_EQ(Send(TBM_GETSELEND), 0);
  Slider(0, 5, 0, kSelectable);
  Send(TBM_SETSEL, FALSE, MAKELPARAM(2, 9));
  EXPECT_EQ(Selection(), (std::pair<LRESULT, LRESULT>{2, 5}));
  Send(TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
  Send(TBM_SETSELSTART, FALSE, 20);
  EXPECT_EQ(Send(TBM_GETSELSTART), 20);
  Send(TBM_SETSELSTART, FALSE, 5);
  Send(TBM_SETSELEND, FALSE, 4);
  EXPECT_EQ(Selection(), (std::pair<LRESULT, LRESULT>{5, 4}));
}

TEST_F(TrackbarTest, ThePageSizeFollowsTheRangeUntilItIsSetAndTicksFollowTheFrequency) {
  Slider(0, 100, 0);
  EXPECT_EQ(Send(TBM_GETPAGESIZE), 20);
  Send(TBM_SETRANGE, FALSE, MAKELPARAM(0, 4));
  EXPECT_EQ(Send(TBM_GETPAGESIZE), 1);  // never below one
  Send(TBM_SETRANGE, FALSE, MAKELPARAM(0, 50));
  EXPECT_EQ(Send(TBM_SETPAGESIZE, 0, 3), 10);
  Send(TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
  EXPECT_EQ(Send(TBM_GETPAGESIZE), 3);
  EXPECT_EQ(Send(TBM_SETPAGESIZE, 0, -1), 3);  // back to the range's own
  EXPECT_EQ(Send(TBM_GETPAGESIZE), 20);
  // Ticks: the two ends, plus one per frequency step inside with TBS_AUTOTICKS only, laid out once
  // a range is set (a new trackbar has only its ends).
  EXPECT_EQ(Send(TBM_GETNUMTICS), 0);  // TBS_NOTICKS
  trackbar = Make(kTrackbarClassName, u"", TBS_AUTOTICKS, {kLeft, kTop, kLeft + 203, kTop + 34}, 1006);
  EXPECT_EQ(Send(TBM_GETNUMTICS), 2);
  Send(TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
  for (auto [frequency, count] : {std::pair{1, 11}, {2, 6}, {15, 2}}) {
    Send(TBM_SETTICFREQ, frequency);
    EXPECT_EQ(Send(TBM_GETNUMTICS), count) << "every " << frequency;
  }
}

TEST_F(TrackbarTest, DraggingTheThumbTracksEachNewPositionThenReportsWhereItWasLeft) {
  Slider(0, 5, 0, kSelectable);
  POINT start = ThumbCentre();
  Press(start.x, start.y);
  MoveTo(319, start.y);  // far beyond the end: the maximum
  EXPECT_EQ(Drain(), (Events{"THUMBTRACK 5"}));
  EXPECT_EQ(GetFocus(), trackbar);
  EXPECT_EQ(GetCapture(), trackbar);
  // Back to the start in small steps: each position is reported once, in order.
  for (int x = 319; x >= kLeft; x -= 4) MoveTo(x, start.y + 40);
  Release(kLeft, start.y + 40);
  EXPECT_EQ(Drain(), (Events{"THUMBTRACK 4", "THUMBTRACK 3", "THUMBTRACK 2", "THUMBTRACK 1", "THUMBTRACK 0",
                             "THUMBPOSITION 0", "ENDTRACK"}));
  EXPECT_EQ(GetCapture(), nullptr);

  // The thumb keeps the point where it was taken: a press on its edge and a small move leave it.
  Send(TBM_SETPOS, TRUE, 3);
  POINT centre = ThumbCentre();
  NextTap();
  Press(centre.x + 5, centre.y);
  MoveTo(centre.x + 22, centre.y);
  Release(centre.x + 22, centre.y);
  EXPECT_EQ(Drain(), (Events{"THUMBPOSITION 3", "ENDTRACK"}));
}

TEST_F(TrackbarTest, ATapBesideTheThumbPagesTowardsItAndRepeatsUntilTheThumbGetsThere) {
  Slider(0, 100, 0);
  const int stylusX = kLeft + 100;
  Press(stylusX, kMiddleY);
  EXPECT_EQ(Drain(), (Events{"PAGEDOWN"}));
  EXPECT_EQ(After(gwes::kTrackbarRepeatDelayMs - 1), Events{});
  EXPECT_EQ(After(2), (Events{"PAGEDOWN"}));
  EXPECT_EQ(After(gwes::kTrackbarRepeatIntervalMs + 1), (Events{"PAGEDOWN"}));  // the thumb now covers the stylus
  gwes::AdvanceTime(3 * gwes::kTrackbarRepeatIntervalMs + 3);
  Release(stylusX, kMiddleY);
  EXPECT_EQ(Drain(), (Events{"ENDTRACK"}));
  EXPECT_EQ(Pos(), 60);
  EXPECT_EQ(GetCapture(), nullptr);

  // Left of the thumb pages up; at the minimum a tap beyond it moves nothing but still ends.
  EXPECT_EQ(TapAlone(kLeft + 20, kMiddleY), (Events{"PAGEUP", "ENDTRACK"}));
  Send(TBM_SETPOS, FALSE, 0);
  EXPECT_EQ(TapAlone(kLeft + 1, kMiddleY), (Events{"ENDTRACK"}));
  EXPECT_EQ(Pos(), 0);
}

TEST_F(TrackbarTest, LosingTheStylusOrTheWindowMidGestureEndsCleanly) {
  Slider(0, 5, 2);
  HWND other = gwes_test::MakeWindow("other", WS_CHILD | WS_VISIBLE, parent, {0, 0, 20, 20}, 9);
  POINT centre = ThumbCentre();
  Press(centre.x, centre.y);
  MoveTo(centre.x + 40, centre.y);
  EXPECT_EQ(Drain(), (Events{"THUMBTRACK 3"}));
  SetCapture(other);  // the drag ends where it is, without a final position
  EXPECT_EQ(Drain(), (Events{"ENDTRACK"}));
  Release(centre.x + 40, centre.y);
  EXPECT_EQ(Drain(), Events{});
  ReleaseCapture();
  EXPECT_EQ(Pos(), 3);

  // A parent that destroys the trackbar on a notification gets no more from it.
  destroyOn = TB_THUMBPOSITION;
  centre = ThumbCentre();
  EXPECT_EQ(TapAlone(centre.x, centre.y), (Events{"THUMBPOSITION 3"}));
  EXPECT_FALSE(IsWindow(trackbar));
  EXPECT_EQ(GetCapture(), nullptr);

  // The same while paging with the repeat timer running: the capture goes with the window, which
  // ends the gesture, and the timer goes too.
  Slider(0, 100, 0);
  destroyOn = TB_PAGEDOWN;
  NextTap();
  Press(kLeft + 200, kMiddleY);
  EXPECT_EQ(Drain(), (Events{"PAGEDOWN", "ENDTRACK"}));
  gwes::AdvanceTime(gwes::kTrackbarRepeatDelayMs);
  Release(kLeft + 200, kMiddleY);
  EXPECT_EQ(Drain(), Events{});
}

TEST_F(TrackbarTest, TheThumbIsRedrawnWhereThePositionSaysOnlyWhenRedrawIsAsked) {
  using gwes_test::ScreenColour;
  Slider(0, 5, 0);
  POINT atZero = ThumbCentre();
  const COLORREF rightEdge = GetSysColor(COLOR_WINDOWFRAME);
  EXPECT_EQ(ScreenColour(atZero.x - 5, atZero.y), GetSysColor(COLOR_BTNHIGHLIGHT));  // the left edge
  Send(TBM_SETPOS, FALSE, 5);
  Drain();
  EXPECT_EQ(ScreenColour(atZero.x + 5, atZero.y), rightEdge);  // not redrawn
  Send(TBM_SETPOS, TRUE, 4);
  Drain();
  POINT atFour = ThumbCentre();
  EXPECT_GT(atFour.x, atZero.x + 100);
  EXPECT_EQ(ScreenColour(atZero.x + 5, atZero.y), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ScreenColour(atFour.x + 5, atFour.y), rightEdge);
}

}  // namespace
