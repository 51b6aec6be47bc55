// The power page: the battery's state in the status line and the gauge, the refresh that draws
// only what changed, the suspend choice stepped by its shown text, and OK and every cancel path
// with their effects on the registry, the power manager's event and the snapshot.
#include <gtest/gtest.h>

#include "platform/gwes/controls/progress.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/power.h"
#include "platform/kernel/sync_objects.h"
#include "screens/power_dlg.h"
#include "screens/power_timeout_store.h"
#include "tests/screens/page_fixture.h"

namespace {

constexpr const char16_t* kTimeouts = kernel::kPowerTimeoutsKey;
constexpr const char16_t* kBattSuspend = kernel::kBatterySuspendValue;
// "BattSuspend" stored as seconds, or missing, or missing with its key.
constexpr DWORD kNoValue = 0xFFFFFFF0, kNoKey = 0xFFFFFFF1;

struct Battery { int ac, flag, percent; bool fail = false; };

class PowerDlgTest : public screens_test::PageTest {
 protected:
  static void SetBattery(const Battery& b) {
    Store().SetInt(kernel::state::kBatteryAc, b.ac);
    Store().SetInt(kernel::state::kBatteryFlag, b.flag);
    Store().SetInt(kernel::state::kBatteryPercent, b.percent);
    Store().SetInt(kernel::state::kBatteryFail, b.fail ? 1 : 0);
  }
  static void SetBattSuspend(DWORD seconds) {
    SetRegDword(HKEY_LOCAL_MACHINE, kTimeouts, kBattSuspend, seconds != kNoValue ? std::optional(seconds) : std::nullopt);
    if (seconds == kNoKey) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTimeouts);
  }
  // A missing key reads as a missing value: a write that made the key would leave a value.
  static DWORD StoredBattSuspend() { return RegDword(HKEY_LOCAL_MACHINE, kTimeouts, kBattSuspend).value_or(kNoValue); }
  static int GaugePos() { return static_cast<int>(SendMessageW(Item(IDC_POWER_GAUGE), PBM_GETPOS, 0, 0)); }
  static bool GaugeShown() { return IsWindowVisible(Item(IDC_POWER_GAUGE)) != FALSE; }
  static void Refresh() { kernel::AdvanceVirtualTime(CPowerDlg::kRefreshMs); }
};

std::u16string Remaining(int percent) {
  std::string text = "Battery Power Remaining: " + std::to_string(percent) + "%";
  return {text.begin(), text.end()};
}

TEST_F(PowerDlgTest, TheStatusLineAndGaugeShowTheBatteryAtOpeningAndAtTheFirstRefresh) {
  struct Case { Battery battery; std::u16string opening; int position; std::u16string refreshed; } cases[] = {
      {{0, BATTERY_FLAG_HIGH, 85}, Remaining(85), 85, Remaining(85)},
      {{1, BATTERY_FLAG_HIGH, 40}, Remaining(100), 100, Remaining(100)},
      // The flag is compared whole: high and charging together is an unknown state.
      {{1, BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING, 50}, Remaining(0), 0, Remaining(0)},
      {{1, BATTERY_FLAG_NO_BATTERY, 0}, Remaining(0), 0, u"Power:use external power"},
      {{0, BATTERY_FLAG_HIGH, 85, true}, Remaining(0), 0, Remaining(0)},  // no status
      // An unknown percentage is shown as reported; the control holds the bar at full.
      {{0, BATTERY_FLAG_HIGH, 255}, Remaining(255), 100, Remaining(255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "ac " << c.battery.ac << " flag " << c.battery.flag << " % " << c.battery.percent);
    SetBattery(c.battery);
    CPowerDlg page;
    RunDialog(page, {[&] {
                       EXPECT_EQ(Text(IDC_POWER_STATUS), c.opening);
                       EXPECT_EQ(GaugePos(), c.position);
                       EXPECT_TRUE(GaugeShown());
                       Refresh();
                     },
                     [&] {
                       EXPECT_EQ(Text(IDC_POWER_STATUS), c.refreshed);
                       EXPECT_EQ(GaugeShown(), c.battery.flag != BATTERY_FLAG_NO_BATTERY);
                       Key(VK_ESCAPE);
                     }});
  }
}

// A refresh that reads what the page shows draws nothing; a change shows at the next refresh, the
// gauge coming back with a battery. While charging the gauge runs up in tens and starts over.
TEST_F(PowerDlgTest, ARefreshDrawsOnlyWhenTheDeviceReportsAChangeAndFollowsCharging) {
  SetBattery({0, BATTERY_FLAG_HIGH, 85});
  std::uint64_t drawn = 0;
  CPowerDlg page;
  // A step moves the focus from the time-out box, whose caret blinks, to the hidden list.
  std::deque<std::function<void()>> steps = {
      [] { Key(VK_RIGHT); },
      [&] {
        drawn = gwes::ScreenDirtyCount();
        Refresh();
      },
      [&] { Refresh(); },
      [&] {
        EXPECT_EQ(gwes::ScreenDirtyCount(), drawn);
        SetBattery({1, BATTERY_FLAG_NO_BATTERY, 0});
        Refresh();
      },
      [&] {
        EXPECT_FALSE(GaugeShown());
        SetBattery({0, BATTERY_FLAG_HIGH, 60});
        Refresh();
      },
      [&] {
        EXPECT_EQ(Text(IDC_POWER_STATUS), Remaining(60));
        EXPECT_TRUE(GaugeShown());
        EXPECT_EQ(GaugePos(), 60);
        SetBattery({1, BATTERY_FLAG_CHARGING, 50});
        Refresh();
      }};
  std::vector<int> positions;
  for (int i = 0; i < 12; ++i) {
    steps.push_back([&] {
      EXPECT_EQ(Text(IDC_POWER_STATUS), u"Charging:");
      positions.push_back(GaugePos());
      Refresh();
    });
  }
  steps.push_back([] { Key(VK_ESCAPE); });
  RunDialog(page, std::move(steps));
  EXPECT_EQ(positions, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 0, 10}));
}

// Steps go by the shown text and stop at the ends; nothing is written before OK. OK writes the
// choice, sets the power manager's event and has the snapshot written, also when the write fails
// (the key is not made); every other way out leaves all three alone.
TEST_F(PowerDlgTest, StepsChooseAndOnlyOkWritesTellsThePowerManagerAndSnapshots) {
  struct Case {
    DWORD stored;
    const char16_t *opening, *chosen;  // the time-out shown at opening, and after the inputs
    std::vector<BYTE> inputs;
    Way way;
    DWORD after;
  } cases[] = {
      {1200, u"20 Minutes", u"Never", {VK_RIGHT, VK_RIGHT}, Way::Ok, 0},
      {300, u"Never", u"Never", {}, Way::Ok, 0},
      {kNoValue, u"Never", u"30 Minutes", {VK_LEFT}, Way::Ok, 1800},
      {600, u"10 Minutes", u"10 Minutes", {VK_LEFT}, Way::Ok, 600},
      {0, u"Never", u"Never", {VK_UP}, Way::Ok, 0},
      {0, u"Never", u"10 Minutes", {VK_DOWN, VK_DOWN, VK_DOWN}, Way::Ok, 600},
      {1800, u"30 Minutes", u"20 Minutes", {kLeftArrow}, Way::Ok, 1200},
      {600, u"10 Minutes", u"20 Minutes", {kRightArrow}, Way::Ok, 1200},
      {1200, u"20 Minutes", u"30 Minutes", {VK_RIGHT}, Way::CancelButton, 1200},
      {1200, u"20 Minutes", u"30 Minutes", {VK_RIGHT}, Way::Escape, 1200},
      {1200, u"20 Minutes", u"10 Minutes", {VK_LEFT}, Way::DeviceCancel, 1200},
      {1200, u"20 Minutes", u"30 Minutes", {VK_RIGHT}, Way::DeviceClose, 1200},
      {1200, u"20 Minutes", u"30 Minutes", {VK_RIGHT}, Way::CloseRequest, 1200},
      {kNoKey, u"Never", u"30 Minutes", {VK_LEFT}, Way::Ok, kNoValue},  // last: the key is gone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    SetBattSuspend(c.stored);
    s_snapshots = 0;
    // Held as the power manager holds it, so the set is seen.
    HANDLE reload = CreateEventW(nullptr, FALSE, FALSE, kernel::kReloadTimeoutsEvent);
    std::deque<std::function<void()>> steps = {[&] {
      EXPECT_EQ(Text(IDC_POWER_TIMEOUT), c.opening);
      EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_POWER_TIMEOUT);
    }};
    for (BYTE input : c.inputs) steps.push_back([input] { Input(input, IDC_POWER_SHORTER, IDC_POWER_LONGER); });
    steps.push_back([&] {
      EXPECT_EQ(Text(IDC_POWER_TIMEOUT), c.chosen);
      EXPECT_EQ(StoredBattSuspend(), c.stored == kNoKey ? kNoValue : c.stored);
      EXPECT_EQ(GetDlgCtrlID(GetFocus()), !c.inputs.empty() ? IDC_POWER_TIMEOUT_LIST : IDC_POWER_TIMEOUT);
      Leave(c.way);
    });
    CPowerDlg page;
    EXPECT_EQ(RunDialog(page, std::move(steps)), c.way == Way::Ok ? IDOK : IDCANCEL);
    EXPECT_EQ(StoredBattSuspend(), c.after);
    EXPECT_EQ(WaitForSingleObject(reload, 0), c.way == Way::Ok ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
    EXPECT_EQ(s_snapshots, c.way == Way::Ok ? 1 : 0);
    EXPECT_EQ(CloseRequestPosted(), c.way == Way::DeviceClose);
    CloseHandle(reload);
  }
}

}  // namespace
