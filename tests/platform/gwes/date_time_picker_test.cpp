#include "platform/gwes/controls/date_time_picker.h"

#include <tuple>

#include "tests/platform/gwes/control_fixture.h"

using gwes_test::Date;
using gwes_test::DateText;
using gwes_test::TimeText;

namespace {

TEST(DateTimeFormatTest, FieldsPadAndNameAsTheFormatAsks) {
  const std::pair<const char16_t*, const char16_t*> rows[] = {
      {u"HH:mm:ss", u"09:05:07"},           {u"H:m:s", u"9:5:7"},   {u"dddd, MMMM dd, yyyy", u"Sunday, March 01, 2026"},
      {u"ddd d MMM yy", u"Sun 1 Mar 26"},    {u"'at' HH'h'''", u"at 09h'"}};
  for (auto [format, text] : rows) EXPECT_EQ(gwes::FormatDateTime(format, Date(2026, 3, 1, 9, 5, 7)), text);
  EXPECT_EQ(gwes::FormatDateTime(u"hh:mm tt", Date(2026, 3, 1, 0, 30)), u"12:30 AM");
  EXPECT_EQ(gwes::FormatDateTime(u"h t", Date(2026, 3, 1, 13, 0)), u"1 P");
}

TEST(DateTimeFormatTest, FieldsWrapWithinTheirOwnRangeAndDatesStayValid) {
  using gwes::DateField;
  SYSTEMTIME late = Date(2026, 1, 31, 23, 59, 59);
  EXPECT_EQ(DateText(gwes::StepField(late, DateField::Hour24, 1)), "2026-01-31");  // no carry into the date
  EXPECT_EQ(gwes::StepField(late, DateField::Day, 1).wDay, 1);
  SYSTEMTIME february = gwes::StepField(late, DateField::Month, 1);
  EXPECT_EQ(DateText(february), "2026-02-28");
  EXPECT_EQ(february.wDayOfWeek, 6);  // a Saturday
  EXPECT_EQ(DateText(gwes::StepField(Date(2024, 2, 29), DateField::Year, 1)), "2025-02-28");
  EXPECT_EQ(TimeText(gwes::StepField(Date(2026, 1, 1, 11, 0, 0), DateField::Hour12, 1)), "00:00:00");
  EXPECT_EQ(TimeText(gwes::StepField(Date(2026, 1, 1, 11, 0, 0), DateField::AmPm, 1)), "23:00:00");

  EXPECT_EQ(gwes::DayOfWeek(2000, 1, 1), 6);
  EXPECT_EQ(gwes::DayOfWeek(1601, 1, 1), 1);
  EXPECT_EQ(DateText(gwes::AddDays(Date(2024, 12, 31), 60)), "2025-03-01");
  EXPECT_EQ(DateText(gwes::AddDays(Date(2024, 3, 1), -1)), "2024-02-29");
  EXPECT_EQ(DateText(gwes::AddMonths(Date(2026, 3, 31), -1)), "2026-02-28");
  EXPECT_EQ(DateText(gwes::AddDays(Date(9999, 12, 31), 1)), "9999-12-31");
}

class DateTimePickerTest : public gwes_test::ControlTest {
 protected:
  // The page's time picker: at (150, 146), 80 x 22, id 1004, "HH:mm:ss", showing 23:59:59.
  void SetUp() override {
    ControlTest::SetUp();
    picker = Make(kDateTimePickerClassName, u"", WS_TABSTOP | DTS_TIMEFORMAT, {150, 146, 230, 168}, 1004);
    Send(picker, DTM_SETFORMAT, 0, u"HH:mm:ss");
    SetTime(Date(2026, 3, 1, 23, 59, 59));
  }
  LRESULT SetTime(SYSTEMTIME time, DWORD flag = GDT_VALID) {
    return SendMessageW(picker, DTM_SETSYSTEMTIME, flag, reinterpret_cast<LPARAM>(&time));
  }
  SYSTEMTIME Time() {
    SYSTEMTIME time{};
    EXPECT_EQ(SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)), GDT_VALID);
    return time;
  }
  std::u16string Text() { return ControlTest::Text(picker); }
  static Events Changes(std::initializer_list<const char*> times) {
    Events events;
    for (const char* time : times) events.push_back(std::string("DTN_DATETIMECHANGE(1004) ") + time);
    return events;
  }

  HWND picker = nullptr;
};

TEST_F(DateTimePickerTest, ArrowKeysStepTheSelectedFieldWithWrapAndMoveBetweenFields) {
  EXPECT_EQ(Send(picker, WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Focus(picker), (Events{"NM_SETFOCUS(1004)"}));
  // Each field wraps within itself: 23 -> 00 hours, 59 -> 00 minutes and seconds, nothing carried.
  Keys({VK_UP, VK_RIGHT, VK_UP, VK_RIGHT, VK_UP});
  EXPECT_EQ(Drain(), Changes({"00:59:59", "00:00:59", "00:00:00"}));
  // Right past the last field goes back to the hours, Left before the first round to the seconds;
  // End on a field already at 59 changes nothing and tells nobody.
  Keys({VK_RIGHT, VK_DOWN, VK_LEFT, VK_DOWN, VK_END, VK_HOME});
  EXPECT_EQ(Drain(), Changes({"23:00:00", "23:00:59", "23:00:00"}));
  EXPECT_EQ(DateText(Time()), "2026-03-01");
  EXPECT_EQ(Text(), u"23:00:00");
}

TEST_F(DateTimePickerTest, DigitsTypeIntoTheSelectedField) {
  Focus(picker);
  Type(u"1537");
  // 1 then 5 make 15; a third digit starts again; 3 then 7 would be 37, so 7 starts again.
  EXPECT_EQ(Drain(), Changes({"01:59:59", "15:59:59", "03:59:59", "07:59:59"}));
  Key(VK_RIGHT);
  EXPECT_EQ(AfterTyping(u"07x"), Changes({"07:00:59", "07:07:59"}));
  EXPECT_EQ(Text(), u"07:07:59");
}

TEST_F(DateTimePickerTest, ProgrammaticChangesTellNobodyAndInvalidTimesAreRefused) {
  Focus(picker);
  EXPECT_TRUE(SetTime(Date(2025, 12, 24, 8, 15, 30)));
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Text(), u"08:15:30");
  EXPECT_EQ(Time().wDayOfWeek, 3);  // the picker fills in the weekday
  EXPECT_FALSE(SetTime(Date(2025, 12, 24, 24, 0, 0)));
  EXPECT_FALSE(SetTime(Date(2026, 2, 29, 1, 0, 0)));
  EXPECT_FALSE(SetTime({}, GDT_NONE));  // no DTS_SHOWNONE
  EXPECT_EQ(TimeText(Time()), "08:15:30");
  EXPECT_EQ(Send(picker, DTM_GETSYSTEMTIME), GDT_ERROR);
  // A clock followed twice a second redraws only when the shown second changes.
  for (auto [ms, second, redrawn] : {std::tuple{WORD{500}, WORD{30}, false}, {WORD{0}, WORD{31}, true}}) {
    SYSTEMTIME next = Date(2025, 12, 24, 8, 15, second);
    next.wMilliseconds = ms;
    EXPECT_TRUE(SetTime(next));
    RECT dirty{};
    EXPECT_EQ(GetUpdateRect(picker, &dirty, FALSE), redrawn) << ms;
    Drain();
  }

  // A format of plain text has no field to select or step.
  Send(picker, DTM_SETFORMAT, 0, u"'no fields'");
  Keys({VK_LEFT, VK_UP});
  EXPECT_EQ(AfterTyping(u"5"), Events{});
  EXPECT_EQ(Text(), u"no fields");
}

// A held arrow's repeating is the up-down control's own, and its test pins it.
TEST_F(DateTimePickerTest, TheUpDownChildStepsTheSelectedField) {
  HWND dateOnly = Make(kDateTimePickerClassName, u"", DTS_SHORTDATEFORMAT, {0, 0, 80, 22}, 7);
  EXPECT_EQ(GetWindow(dateOnly, GW_CHILD), nullptr);
  HWND spin = GetWindow(picker, GW_CHILD);
  ASSERT_EQ(spin, GetDlgItem(picker, gwes::kPickerUpDownId));
  ASSERT_NE(spin, nullptr);
  const RECT rect = Rect(spin);  // where it sits shows on the date page's golden images
  Drain();
  // The up arrow focuses the picker and raises the hours.
  EXPECT_EQ(AfterTap(rect.left + 5, rect.top + 3), (Events{"NM_SETFOCUS(1004)", "DTN_DATETIMECHANGE(1004) 00:59:59"}));
  Key(VK_RIGHT);
  EXPECT_EQ(AfterTap(rect.left + 5, rect.bottom - 3), Changes({"00:58:59"}));
}

}  // namespace
