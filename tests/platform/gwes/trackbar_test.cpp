#include "platform/gwes/controls/trackbar.h"

#include "platform/gwes/message_queue.h"
#include "tests/platform/gwes/control_fixture.h"

using gwes::StylusAction;
using Events = std::vector<std::string>;

namespace {

constexpr int kLeft = 56;  // the settings pages' slider: (56, 112), 203 x 34
constexpr int kTop = 112;
constexpr int kMiddleY = kTop + 17;

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

  // The backlight page's slider: 203 x 34, TBS_BOTH | TBS_NOTICKS | TBS_AUTOTICKS, id 1005.
  HWND Slider(LONG min, LONG max, LONG pos, DWORD style = 0x19) {
    trackbar = Make(kTrackbarClassName, u"", WS_TABSTOP | style, {kLeft, kTop, kLeft + 203, kTop + 34}, 1005);
    SendMessageW(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(static_cast<WORD>(min), static_cast<WORD>(max)));
    SendMessageW(trackbar, TBM_SETPOS, TRUE, pos);
    Drain();
    return trackbar;
  }
  LRESULT Pos() { return SendMessageW(trackbar, TBM_GETPOS, 0, 0); }
  // The thumb's centre in screen coordinates.
  POINT ThumbCentre() {
    RECT thumb{};
    SendMessageW(trackbar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    return POINT{kLeft + (thumb.left + thumb.right - 1) / 2, kTop + (thumb.top + thumb.bottom) / 2};
  }

  HWND trackbar = nullptr;
  WORD destroyOn = 0xFFFF;
};

TEST_F(TrackbarTest, KeysMoveByLineAndPageAndEndEveryPressWithEndtrack) {
  Slider(1, 8, 6);
  EXPECT_EQ(SendMessageW(trackbar, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  SetFocus(trackbar);
  Drain();

  Key(VK_RIGHT);
  EXPECT_EQ(Drain(), (Events{"LINEDOWN", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 7);
  Key(VK_DOWN);
  Key(VK_DOWN);  // already at the maximum: only the end of the gesture
  EXPECT_EQ(Drain(), (Events{"LINEDOWN", "ENDTRACK", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 8);
  Key(VK_LEFT);
  Key(VK_UP);
  EXPECT_EQ(Drain(), (Events{"LINEUP", "ENDTRACK", "LINEUP", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 6);

  // A held key repeats its move and ends once, at the release.
  gwes::PostKey(VK_LEFT, true);
  gwes::PostKey(VK_LEFT, true);
  gwes::PostKey(VK_LEFT, false);
  EXPECT_EQ(Drain(), (Events{"LINEUP", "LINEUP", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 4);

  // A range of 1..8 pages by one; a set page size by that, clamped at the ends.
  Key(VK_PRIOR);
  EXPECT_EQ(Drain(), (Events{"PAGEUP", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 3);
  SendMessageW(trackbar, TBM_SETPAGESIZE, 0, 3);
  Key(VK_PRIOR);
  Key(VK_NEXT);
  Key(VK_NEXT);
  Key(VK_NEXT);
  EXPECT_EQ(Drain(), (Events{"PAGEUP", "ENDTRACK", "PAGEDOWN", "ENDTRACK", "PAGEDOWN", "ENDTRACK", "PAGEDOWN",
                             "ENDTRACK"}));
  EXPECT_EQ(Pos(), 8);
  Key(VK_HOME);
  Key(VK_HOME);
  EXPECT_EQ(Drain(), (Events{"TOP", "ENDTRACK", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 1);
  Key(VK_END);
  Key(VK_SPACE);  // not a trackbar key
  EXPECT_EQ(Drain(), (Events{"BOTTOM", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 8);

  // A line size of 3 from 7 stops at the maximum.
  SendMessageW(trackbar, TBM_SETPOS, FALSE, 7);
  EXPECT_EQ(SendMessageW(trackbar, TBM_SETLINESIZE, 0, 3), 1);
  Key(VK_RIGHT);
  EXPECT_EQ(Drain(), (Events{"LINEDOWN", "ENDTRACK"}));
  EXPECT_EQ(Pos(), 8);
}

TEST_F(TrackbarTest, AVerticalTrackbarReportsWithWmVscrollAndDownMovesTowardsTheMaximum) {
  trackbar = Make(kTrackbarClassName, u"", TBS_VERT, {10, 10, 40, 130}, 7);
  SetFocus(trackbar);
  Drain();
  Key(VK_DOWN);
  Key(VK_UP);
  EXPECT_EQ(Drain(), (Events{"V LINEDOWN", "V ENDTRACK", "V LINEUP", "V ENDTRACK"}));

  // A tap below the thumb pages down (the minimum is at the top).
  gwes::PostStylus(StylusAction::Down, 25, 120);
  gwes::PostStylus(StylusAction::Up, 25, 120);
  EXPECT_EQ(Drain(), (Events{"V PAGEDOWN", "V ENDTRACK"}));
  EXPECT_EQ(Pos(), 20);
}

TEST_F(TrackbarTest, ChangesByMessageAreClampedAndNeverReported) {
  Slider(0, 100, 0);
  EXPECT_EQ(Pos(), 0);
  SendMessageW(trackbar, TBM_SETPOS, TRUE, -5);
  EXPECT_EQ(Pos(), 0);
  SendMessageW(trackbar, TBM_SETPOS, TRUE, 1000);
  EXPECT_EQ(Pos(), 100);
  SendMessageW(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 5));  // narrowing pulls the position in
  EXPECT_EQ(Pos(), 5);
  SendMessageW(trackbar, TBM_SETRANGEMAX, TRUE, 3);
  EXPECT_EQ(Pos(), 3);
  SendMessageW(trackbar, TBM_SETPOS, FALSE, 1);
  SendMessageW(trackbar, TBM_SETRANGEMIN, TRUE, 2);
  EXPECT_EQ(Pos(), 2);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMIN, 0, 0), 2);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMAX, 0, 0), 3);

  // TBM_SETRANGE's halves are signed.
  SendMessageW(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(static_cast<WORD>(-10), 10));
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMIN, 0, 0), -10);
  SendMessageW(trackbar, TBM_SETPOS, FALSE, -20);
  EXPECT_EQ(Pos(), -10);
  EXPECT_EQ(Drain(), Events{});

  // Selections need TBS_ENABLESELRANGE and stay inside the range.
  SendMessageW(trackbar, TBM_SETSEL, FALSE, MAKELPARAM(0, 5));
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETSELEND, 0, 0), 0);
  HWND volume = Make(kTrackbarClassName, u"", 0x35, {0, 0, 203, 34}, 1026);
  SendMessageW(volume, TBM_SETRANGE, FALSE, MAKELPARAM(0, 5));
  SendMessageW(volume, TBM_SETSEL, FALSE, MAKELPARAM(2, 9));
  EXPECT_EQ(SendMessageW(volume, TBM_GETSELSTART, 0, 0), 2);
  EXPECT_EQ(SendMessageW(volume, TBM_GETSELEND, 0, 0), 5);
}

TEST_F(TrackbarTest, ThePageSizeFollowsTheRangeUntilItIsSet) {
  Slider(0, 100, 0);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETPAGESIZE, 0, 0), 20);
  SendMessageW(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 4));
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETPAGESIZE, 0, 0), 1);  // never below one
  SendMessageW(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 50));
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETPAGESIZE, 0, 0), 10);
  EXPECT_EQ(SendMessageW(trackbar, TBM_SETPAGESIZE, 0, 3), 10);
  SendMessageW(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETPAGESIZE, 0, 0), 3);
  EXPECT_EQ(SendMessageW(trackbar, TBM_SETPAGESIZE, 0, -1), 3);  // back to the range's own
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETPAGESIZE, 0, 0), 20);

  // Ticks: the two ends, plus one per frequency step inside with TBS_AUTOTICKS only.
  SendMessageW(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETNUMTICS, 0, 0), 0);  // TBS_NOTICKS
  HWND ticked = Make(kTrackbarClassName, u"", TBS_AUTOTICKS, {0, 0, 100, 30}, 2);
  SendMessageW(ticked, TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
  SendMessageW(ticked, TBM_SETTICFREQ, 2, 0);
  EXPECT_EQ(SendMessageW(ticked, TBM_GETNUMTICS, 0, 0), 6);
  SendMessageW(ticked, TBM_SETTICFREQ, 15, 0);
  EXPECT_EQ(SendMessageW(ticked, TBM_GETNUMTICS, 0, 0), 2);
}

TEST_F(TrackbarTest, DraggingTheThumbTracksEachNewPositionThenReportsWhereItWasLeft) {
  Slider(0, 5, 0, 0x35);
  POINT start = ThumbCentre();
  gwes::PostStylus(StylusAction::Down, start.x, start.y);
  gwes::PostStylus(StylusAction::Move, 319, start.y);  // far beyond the end: the maximum
  EXPECT_EQ(Drain(), (Events{"THUMBTRACK 5"}));
  EXPECT_EQ(GetFocus(), trackbar);
  EXPECT_EQ(GetCapture(), trackbar);

  // Back to the start in small steps: each position is reported once, in order.
  for (int x = 319; x >= kLeft; x -= 4) gwes::PostStylus(StylusAction::Move, x, start.y + 40);
  gwes::PostStylus(StylusAction::Up, kLeft, start.y + 40);
  EXPECT_EQ(Drain(), (Events{"THUMBTRACK 4", "THUMBTRACK 3", "THUMBTRACK 2", "THUMBTRACK 1", "THUMBTRACK 0",
                             "THUMBPOSITION 0", "ENDTRACK"}));
  EXPECT_EQ(GetCapture(), nullptr);

  // The thumb keeps the point where it was taken: a press on its edge and a small move leave it.
  SendMessageW(trackbar, TBM_SETPOS, TRUE, 3);
  POINT centre = ThumbCentre();
  gwes::AdvanceTime(GetDoubleClickTime() + 1);
  gwes::PostStylus(StylusAction::Down, centre.x + 5, centre.y);
  gwes::PostStylus(StylusAction::Move, centre.x + 22, centre.y);
  gwes::PostStylus(StylusAction::Up, centre.x + 22, centre.y);
  EXPECT_EQ(Drain(), (Events{"THUMBPOSITION 3", "ENDTRACK"}));
}

TEST_F(TrackbarTest, ATapBesideTheThumbPagesTowardsItAndRepeatsUntilTheThumbGetsThere) {
  Slider(0, 100, 0);
  const int stylusX = kLeft + 100;
  gwes::PostStylus(StylusAction::Down, stylusX, kMiddleY);
  EXPECT_EQ(Drain(), (Events{"PAGEDOWN"}));
  gwes::AdvanceTime(gwes::kTrackbarRepeatDelayMs - 1);
  EXPECT_EQ(Drain(), Events{});
  gwes::AdvanceTime(2);
  EXPECT_EQ(Drain(), (Events{"PAGEDOWN"}));
  gwes::AdvanceTime(gwes::kTrackbarRepeatIntervalMs + 1);
  EXPECT_EQ(Drain(), (Events{"PAGEDOWN"}));  // the thumb now covers or passed the stylus
  for (int i = 0; i < 3; ++i) {
    gwes::AdvanceTime(gwes::kTrackbarRepeatIntervalMs + 1);
    EXPECT_EQ(Drain(), Events{});
  }
  gwes::PostStylus(StylusAction::Up, stylusX, kMiddleY);
  EXPECT_EQ(Drain(), (Events{"ENDTRACK"}));
  EXPECT_EQ(Pos(), 60);
  EXPECT_EQ(GetCapture(), nullptr);

  // Left of the thumb pages up; at the minimum a tap beyond it moves nothing but still ends.
  gwes::AdvanceTime(GetDoubleClickTime() + 1);
  Tap(kLeft + 20, kMiddleY);
  EXPECT_EQ(Drain(), (Events{"PAGEUP", "ENDTRACK"}));
  SendMessageW(trackbar, TBM_SETPOS, FALSE, 0);
  gwes::AdvanceTime(GetDoubleClickTime() + 1);
  Tap(kLeft + 1, kMiddleY);
  EXPECT_EQ(Drain(), (Events{"ENDTRACK"}));
  EXPECT_EQ(Pos(), 0);
}

TEST_F(TrackbarTest, LosingTheStylusOrTheWindowMidGestureEndsCleanly) {
  Slider(0, 5, 2);
  HWND other = gwes_test::MakeWindow("other", WS_CHILD | WS_VISIBLE, parent, {0, 0, 20, 20}, 9);
  POINT centre = ThumbCentre();
  gwes::PostStylus(StylusAction::Down, centre.x, centre.y);
  gwes::PostStylus(StylusAction::Move, centre.x + 40, centre.y);
  EXPECT_EQ(Drain(), (Events{"THUMBTRACK 3"}));
  SetCapture(other);  // the drag ends where it is, without a final position
  EXPECT_EQ(Drain(), (Events{"ENDTRACK"}));
  gwes::PostStylus(StylusAction::Up, centre.x + 40, centre.y);
  EXPECT_EQ(Drain(), Events{});
  ReleaseCapture();
  EXPECT_EQ(Pos(), 3);

  // A parent that destroys the trackbar on a notification gets no more from it.
  destroyOn = TB_THUMBPOSITION;
  gwes::AdvanceTime(GetDoubleClickTime() + 1);
  centre = ThumbCentre();
  gwes::PostStylus(StylusAction::Down, centre.x, centre.y);
  gwes::PostStylus(StylusAction::Up, centre.x, centre.y);
  EXPECT_EQ(Drain(), (Events{"THUMBPOSITION 3"}));
  EXPECT_FALSE(IsWindow(trackbar));
  EXPECT_EQ(GetCapture(), nullptr);

  // The same while paging with the repeat timer running: the capture goes with the window, which
  // ends the gesture, and the timer goes too.
  Slider(0, 100, 0);
  destroyOn = TB_PAGEDOWN;
  gwes::AdvanceTime(GetDoubleClickTime() + 1);
  gwes::PostStylus(StylusAction::Down, kLeft + 200, kMiddleY);
  EXPECT_EQ(Drain(), (Events{"PAGEDOWN", "ENDTRACK"}));
  gwes::AdvanceTime(gwes::kTrackbarRepeatDelayMs);
  gwes::PostStylus(StylusAction::Up, kLeft + 200, kMiddleY);
  EXPECT_EQ(Drain(), Events{});
}

TEST_F(TrackbarTest, TheThumbIsRedrawnWhereThePositionSaysOnlyWhenRedrawIsAsked) {
  Slider(0, 5, 0);
  POINT atZero = ThumbCentre();
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(gwes_test::ScreenColour(atZero.x - 5, atZero.y), GetSysColor(COLOR_BTNHIGHLIGHT));  // left edge
  EXPECT_EQ(gwes_test::ScreenColour(atZero.x + 5, atZero.y), GetSysColor(COLOR_WINDOWFRAME));       // right edge

  SendMessageW(trackbar, TBM_SETPOS, FALSE, 5);
  Drain();
  EXPECT_EQ(gwes_test::ScreenColour(atZero.x + 5, atZero.y), GetSysColor(COLOR_WINDOWFRAME));  // not redrawn
  SendMessageW(trackbar, TBM_SETPOS, TRUE, 4);
  Drain();
  POINT atFour = ThumbCentre();
  EXPECT_GT(atFour.x, atZero.x + 100);
  EXPECT_EQ(gwes_test::ScreenColour(atZero.x + 5, atZero.y), face);
  EXPECT_EQ(gwes_test::ScreenColour(atFour.x + 5, atFour.y), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(Drain(), Events{});
}

}  // namespace
