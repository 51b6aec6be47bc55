// The date and time page: the time picker following the clock until the user steps it, the date
// box following midnight until a date is picked, the pop-up calendar's showing and hiding, zone
// steps moving the device clock at once, and what OK and every way out leave on the device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clock/time_zones.h"
#include "platform/gwes/controls/combo_box.h"
#include "platform/gwes/controls/date_time_picker.h"
#include "platform/gwes/controls/month_calendar.h"
#include "platform/kernel/clock.h"
#include "screens/date_time_dlg.h"
#include "tests/screens/page_fixture.h"

namespace {

// Inputs of the table rows besides keys: the page's buttons, a tap on the time picker's hours,
// and half a second of device time.
enum Input : int { kLeft = 0x100, kRight, kUp, kDown, kTapPicker, kHalfSecond };

// Where the rows start: a summer day, far from any daylight-saving change.
constexpr SYSTEMTIME kOpening{2026, 7, 0, 15, 10, 20, 30, 0};
constexpr int kPacific = -1;  // the fresh device's zone record, which no entry names
constexpr int kParis = 29;

class DateTimeDlgTest : public screens_test::PageTest {
 protected:
  static std::int64_t LocalMs() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return *kernel::SystemTimeToMs(now);
  }
  static void SetLocal(SYSTEMTIME time) { ASSERT_TRUE(SetLocalTime(&time)); }
  static void SetZone(int entry) {
    TIME_ZONE_INFORMATION pacific = kernel::PacificTimeZone();
    SetTimeZoneInformation(&pacific);
    if (entry != kPacific) ApplyZone(ZoneName(entry));
  }
  static std::u16string PickerText() { return Text(IDC_CLOCK_TIME); }
  static LRESULT ZoneSelection() { return SendMessageW(Item(IDC_CLOCK_ZONE_LIST), CB_GETCURSEL, 0, 0); }
  static HWND Calendar() { return Item(IDC_CLOCK_CALENDAR); }
  static bool CalendarShown() { return IsWindowVisible(Calendar()) != FALSE; }
  static SYSTEMTIME CalendarSelection() {
    SYSTEMTIME date{};
    SendMessageW(Calendar(), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
    return date;
  }
  static void Do(int input) {
    switch (input) {
      case kLeft: Press(IDC_CLOCK_LEFT); break;
      case kRight: Press(IDC_CLOCK_RIGHT); break;
      case kUp: Press(IDC_CLOCK_UP); break;
      case kDown: Press(IDC_CLOCK_DOWN); break;
      case kTapPicker: Tap(153, 157); break;
      case kHalfSecond: kernel::AdvanceVirtualTime(CDateTimeDlg::kClockMs); break;
      default: Key(static_cast<BYTE>(input)); break;
    }
  }
  static std::deque<std::function<void()>> Steps(const std::vector<int>& inputs) {
    std::deque<std::function<void()>> steps;
    for (int input : inputs) steps.push_back([input] { Do(input); });
    return steps;
  }
};

// Up and Down (the page's buttons, or the arrow keys in the picker) freeze the picker with one
// silent key-down stepping its selected field (the key injected, or 0); until then it shows the
// live clock (as shown a second and a half on). Zone steps move the clock but not a frozen picker.
TEST_F(DateTimeDlgTest, ThePickerFollowsTheClockUntilUpOrDownStepsIt) {
  struct Case { std::vector<int> inputs; const char16_t* shown; BYTE injected; } cases[] = {
      {{}, u"10:20:31", 0},
      {{kUp}, u"11:20:30", VK_UP},
      {{kDown}, u"09:20:30", VK_DOWN},
      {{kTapPicker, VK_RIGHT, VK_DOWN}, u"10:19:30", 0},
      {{kTapPicker, VK_RIGHT}, u"10:20:31", 0},  // moving between fields freezes nothing
      {{kUp, kRight, kRight, kRight}, u"11:20:30", VK_UP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    SetZone(kParis);
    SetLocal(kOpening);
    Store().ClearLog(kernel::DeviceLog::kKeys);
    CDateTimeDlg page;
    std::deque<std::function<void()>> steps = Steps(c.inputs);
    steps.push_front([] { EXPECT_EQ(PickerText(), u"10:20:30"); });
    steps.push_back([] { kernel::AdvanceVirtualTime(1500); });
    steps.push_back([&] {
      EXPECT_EQ(PickerText(), c.shown);
      std::vector<std::pair<std::uint32_t, std::uint32_t>> keys, injected;
      for (const auto& key : Store().KeyLog()) keys.emplace_back(key.vk, key.flags);
      if (c.injected != 0) injected.emplace_back(c.injected, KEYEVENTF_SILENT);
      EXPECT_EQ(keys, injected);
      Key(VK_ESCAPE);
    });
    RunDialog(page, std::move(steps));
  }
}

// Each zone step moves the local clock at once by the difference of the biases (first and last
// entries and steps between equal offsets move nothing); OK writes the selected zone and sets the
// clock from the picker, so an OK at once keeps the local time; every other way out moves the
// clock back by all the steps taken and writes nothing.
TEST_F(DateTimeDlgTest, ZoneStepsMoveTheClockAtOnceAndOnlyOkKeepsThem) {
  // The zone record at opening and after (an entry, or kPacific); the local clock from the opening
  // after the inputs (moved) and after the way out (kept).
  struct Case { int zone; std::vector<int> inputs; int selected, moved; Way way; int kept, recordZone; } cases[] = {
      {kPacific, {}, kParis, 0, Way::Ok, 0, kParis},
      {kPacific, {}, kParis, 0, Way::Enter, 0, kParis},
      {kPacific, {kRight}, 30, 9 * 3600, Way::CancelButton, 0, kPacific},
      {0, {kLeft}, 0, 0, Way::Escape, 0, 0},
      {74, {kRight, VK_RIGHT}, 74, 0, Way::DeviceCancel, 0, 74},
      {27, {kRight}, 28, 0, Way::DeviceClose, 0, 27},
      {kParis, {kRight, kRight, kRight, VK_LEFT, VK_RIGHT}, 32, 3600, Way::CloseRequest, 0, kParis},
      {49, {kLeft}, 48, -15 * 60, Way::Ok, 0, 48},                          // Kathmandu to New Delhi
      {kParis, {kRight, kRight, kRight, kHalfSecond}, 32, 3600, Way::Ok, 3600, 32},  // the picker followed
      {kParis, {kUp, kRight, kRight, kRight}, 32, 3600, Way::Ok, 3600, 32},  // the picker holds 11:20:30
      {kParis, {VK_LEFT}, kParis, 0, Way::Ok, 0, kParis},  // the focus is on the date box
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    SetZone(c.zone);
    SetLocal(kOpening);
    const std::int64_t opening = LocalMs();
    std::deque<std::function<void()>> steps = Steps(c.inputs);
    steps.push_back([&] {
      EXPECT_EQ(ZoneSelection(), c.selected);
      EXPECT_EQ(Text(IDC_CLOCK_ZONE_TEXT), std::u16string(ZoneName(c.selected)));
      EXPECT_EQ((LocalMs() - opening) / 1000, c.moved);
      Leave(c.way);
    });
    CDateTimeDlg page;
    EXPECT_EQ(RunDialog(page, std::move(steps)), c.way == Way::Ok || c.way == Way::Enter ? IDOK : IDCANCEL);
    EXPECT_EQ((LocalMs() - opening) / 1000, c.kept);
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    const TIME_ZONE_INFORMATION pacific = kernel::PacificTimeZone();
    std::u16string name = c.recordZone == kPacific ? pacific.StandardName : ZoneName(c.recordZone).GetText();
    EXPECT_EQ(std::u16string(zone.StandardName), name);
    if (c.recordZone == kPacific) {
      EXPECT_EQ(zone.Bias, pacific.Bias);
    }
    EXPECT_EQ(zone.DaylightDate.wMonth, pacific.DaylightDate.wMonth);  // the daylight rule stays
    EXPECT_EQ(CloseRequestPosted(), c.way == Way::DeviceClose);
  }
}

// Until a date is picked the date box and the calendar follow the clock past midnight; a picked
// date stays, and OK sets exactly that date.
TEST_F(DateTimeDlgTest, TheDateFollowsMidnightUntilADateIsPicked) {
  for (bool pick : {false, true}) {
    SCOPED_TRACE(pick ? "picked" : "following");
    SetZone(kParis);
    SetLocal(SYSTEMTIME{2026, 12, 0, 31, 23, 59, 59, 0});
    CDateTimeDlg page;
    std::deque<std::function<void()>> steps = {[] { EXPECT_EQ(Text(IDC_CLOCK_DATE), u"31/12/2026"); }};
    if (pick) {
      steps.push_back([] { Press(IDC_CLOCK_DATE_BUTTON); });
      steps.push_back([] { Tap(140, 80); });  // the 24th on the calendar's December 2026
      steps.push_back([] {
        EXPECT_FALSE(CalendarShown());
        EXPECT_EQ(Text(IDC_CLOCK_DATE), u"24/12/2026");
      });
    }
    steps.push_back([] { kernel::AdvanceVirtualTime(CDateTimeDlg::kDateMs); });
    steps.push_back([&] {
      EXPECT_EQ(Text(IDC_CLOCK_DATE), pick ? u"24/12/2026" : u"01/01/2027");
      EXPECT_EQ(CalendarSelection().wYear, pick ? 2026 : 2027);
      EXPECT_EQ(PickerText(), u"00:00:00");
      Leave(Way::Ok);
    });
    RunDialog(page, std::move(steps));
    EXPECT_EQ(LocalMs(), *kernel::SystemTimeToMs(pick ? SYSTEMTIME{2026, 12, 0, 24} : SYSTEMTIME{2027, 1, 0, 1}));
  }
}

// The Date button shows and hides the calendar; the focus leaving for another control hides it
// (from the Date button and from the calendar alike), a tap on the bare page does not, and a
// double tap is one press.
TEST_F(DateTimeDlgTest, TheDateButtonTogglesTheCalendarAndTheFocusLeavingHidesIt) {
  // A press of the Date button apart from the last tap by more than a double tap's time, a double
  // tap on the date box, and taps on the calendar's title, the bare page, the zone box's end right
  // of the calendar and the time picker.
  using Touch = std::function<void()>;
  const Touch date = [] {
    kernel::AdvanceVirtualTime(GetDoubleClickTime());
    Press(IDC_CLOCK_DATE_BUTTON);
  };
  const Touch doubleTap = [] {
    Tap(125, 157);
    Tap(125, 157);
  };
  const Touch title = [] { Tap(121, 4); }, bare = [] { Tap(300, 230); }, zone = [] { Tap(230, 101); },
              picker = [] { Tap(153, 157); };
  struct Case { std::vector<Touch> touches; bool shown; } cases[] = {
      {{date}, true},
      {{date, date}, false},
      {{doubleTap}, true},
      {{date, title, date}, true},  // hidden by the focus rule, shown by the click
      {{date, bare}, true},
      {{date, zone}, false},
      {{date, title, picker}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    CDateTimeDlg page;
    std::deque<std::function<void()>> steps = {[] { EXPECT_FALSE(CalendarShown()); }};
    steps.insert(steps.end(), c.touches.begin(), c.touches.end());
    steps.push_back([&] {
      EXPECT_EQ(CalendarShown(), c.shown);
      Key(VK_ESCAPE);
    });
    RunDialog(page, std::move(steps));
  }
}

// Run on its own the page carries the program's title; under a window that has it, it does not.
TEST_F(DateTimeDlgTest, ThePageTakesTheProgramsTitleWhenNoWindowHasIt) {
  for (std::u16string title : {u"QuorvaneUtility", u"Other"}) {
    main.SetWindowText(title.c_str());
    CDateTimeDlg page;
    RunDialog(page, {[&] {
                EXPECT_EQ(CWnd::FromHandle(TopWindow())->GetWindowText(), title == u"Other" ? u"QuorvaneUtility" : u"");
                Key(VK_ESCAPE);
              }});
  }
}

}  // namespace
