#include "platform/gwes/controls/month_calendar.h"

#include "tests/platform/gwes/control_fixture.h"

using gwes_test::Date;
using gwes_test::DateText;

namespace {

class MonthCalendarTest : public gwes_test::ControlTest {
 protected:
  // The page's calendar: id 1032 at (50, 0) with its minimum size. The device's today is 1 March 2026.
  HWND Calendar(DWORD style = 0) {
    HWND calendar = Make(kMonthCalendarClassName, u"", style, {50, 0, 60, 10}, 1032);
    RECT minimum = MinimumRect(calendar);
    SetWindowPos(calendar, nullptr, 0, 0, minimum.right, minimum.bottom, SWP_NOMOVE | SWP_NOZORDER);
    Drain();
    return calendar;
  }
  static RECT MinimumRect(HWND calendar) {
    RECT rect{};
    EXPECT_TRUE(Send(calendar, MCM_GETMINREQRECT, 0, &rect));
    return rect;
  }
  static SYSTEMTIME Selection(HWND calendar) {
    SYSTEMTIME date{};
    EXPECT_TRUE(Send(calendar, MCM_GETCURSEL, 0, &date));
    return date;
  }
  static LRESULT Select(HWND calendar, SYSTEMTIME date) { return Send(calendar, MCM_SETCURSEL, 0, &date); }
  // The first screen point (scanning rows from the top) whose hit test gives `code` and, for a day,
  // the given date; {-1, -1} when there is none.
  static POINT Find(HWND calendar, UINT code, SYSTEMTIME date = {}) {
    RECT client;
    GetClientRect(calendar, &client);
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) {
        MCHITTESTINFO info{sizeof(MCHITTESTINFO), {x, y}, 0, {}};
        Send(calendar, MCM_HITTEST, 0, &info);
        if (info.uHit == code && (!(code & MCHT_CALENDAR) || DateText(info.st) == DateText(date))) {
          POINT point{x, y};
          ClientToScreen(calendar, &point);
          return point;
        }
      }
    return POINT{-1, -1};
  }
  void TapAt(POINT point) { Tap(point.x + 2, point.y + 2); }
  static std::string Note(const char* code, const char* date) { return std::string(code) + "(1032) " + date; }
  static Events Picked(const char* date) { return {Note("MCN_SELCHANGE", date), Note("MCN_SELECT", date)}; }
};

TEST_F(MonthCalendarTest, ProgrammaticSelectionTellsNobodyAndIsReadBack) {
  HWND calendar = Calendar();
  EXPECT_EQ(DateText(Selection(calendar)), "2026-03-01");  // today to begin with
  EXPECT_TRUE(Select(calendar, Date(2026, 5, 17, 10, 11, 12)));
  EXPECT_FALSE(Select(calendar, Date(2026, 2, 30)));
  EXPECT_EQ(Drain(), Events{});
  SYSTEMTIME selected = Selection(calendar);
  EXPECT_EQ(DateText(selected), "2026-05-17");
  EXPECT_EQ(selected.wDayOfWeek, 0);
  EXPECT_EQ(selected.wHour + selected.wMinute + selected.wSecond, 0);
  // The shown month follows: 17 May is now in the grid as a day of the shown month.
  EXPECT_NE(Find(calendar, MCHT_CALENDARDATE, Date(2026, 5, 17)).x, -1);

  HWND multi = Calendar(MCS_MULTISELECT);
  SYSTEMTIME date = Date(2026, 5, 17);
  EXPECT_FALSE(Select(multi, date));
  EXPECT_FALSE(Send(multi, MCM_GETCURSEL, 0, &date));
}

// The size itself is pinned by the date page's tests and golden image; the today line is not shown there.
TEST_F(MonthCalendarTest, WithoutTheTodayLineTheMinimumRectangleIsShorter) {
  EXPECT_LT(MinimumRect(Calendar(MCS_NOTODAY)).bottom, MinimumRect(Calendar()).bottom);
}

TEST_F(MonthCalendarTest, TappingADaySelectsItWithTheSelectedDate) {
  HWND calendar = Calendar();
  TapAt(Find(calendar, MCHT_CALENDARDATE, Date(2026, 3, 15)));
  EXPECT_EQ(Drain(), Picked("2026-03-15"));
  EXPECT_EQ(GetFocus(), calendar);
  EXPECT_EQ(DateText(Selection(calendar)), "2026-03-15");

  // The selected day again: picked, but the selection did not change.
  POINT again = Find(calendar, MCHT_CALENDARDATE, Date(2026, 3, 15));
  EXPECT_EQ(TapAlone(again.x + 2, again.y + 2), (Events{Note("MCN_SELECT", "2026-03-15")}));

  // Dragging moves the selection along; the day under the release is picked.
  POINT from = Find(calendar, MCHT_CALENDARDATE, Date(2026, 3, 10));
  POINT to = Find(calendar, MCHT_CALENDARDATE, Date(2026, 3, 12));
  Press(from.x + 2, from.y + 2);
  MoveTo(to.x + 2, to.y + 2);
  Release(to.x + 2, to.y + 2);
  EXPECT_EQ(Drain(), (Events{Note("MCN_SELCHANGE", "2026-03-10"), Note("MCN_SELCHANGE", "2026-03-12"),
                             Note("MCN_SELECT", "2026-03-12")}));

  // A day of the next month shown in the last rows brings that month into view.
  TapAt(Find(calendar, MCHT_CALENDARDATENEXT, Date(2026, 4, 2)));
  EXPECT_EQ(Drain(), Picked("2026-04-02"));
  EXPECT_NE(Find(calendar, MCHT_CALENDARDATE, Date(2026, 4, 30)).x, -1);
}

TEST_F(MonthCalendarTest, TitleArrowsAndKeysMoveTheSelectionWithoutPickingIt) {
  HWND calendar = Calendar();
  EXPECT_EQ(Send(calendar, WM_GETDLGCODE), DLGC_WANTARROWS);
  POINT next = Find(calendar, MCHT_TITLEBTNNEXT);
  POINT previous = Find(calendar, MCHT_TITLEBTNPREV);
  ASSERT_LT(previous.x, next.x);
  TapAt(next);
  TapAt(previous);
  NextTap();
  TapAt(previous);
  Keys({VK_RIGHT, VK_DOWN, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_PRIOR});
  Events changes;
  for (const char* date : {"2026-04-01", "2026-03-01", "2026-02-01", "2026-02-02", "2026-02-09", "2026-03-09",
                           "2026-03-31", "2026-03-01", "2026-02-28", "2026-02-21", "2026-01-21"})
    changes.push_back(Note("MCN_SELCHANGE", date));
  EXPECT_EQ(Drain(), changes);
}

TEST_F(MonthCalendarTest, TodayLinkPicksTodayAndNoneLinkSendsSelectNone) {
  HWND plain = Calendar();
  EXPECT_EQ(Find(plain, MCHT_NONELINK).x, -1);  // no "None" without MCS_SHOWNONE
  DestroyWindow(plain);

  HWND calendar = Calendar(MCS_SHOWNONE);
  Select(calendar, Date(2026, 6, 10));
  TapAt(Find(calendar, MCHT_TODAYLINK));
  EXPECT_EQ(Drain(), Picked("2026-03-01"));
  TapAt(Find(calendar, MCHT_NONELINK));
  EXPECT_EQ(Drain(), (Events{"MCN_SELECTNONE(1032)"}));
  EXPECT_EQ(DateText(Selection(calendar)), "2026-03-01");
}

}  // namespace
