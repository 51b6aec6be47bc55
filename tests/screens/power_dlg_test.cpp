// The power and battery page as a person works it: the battery's state in the status line and the
// gauge as the device reports it, the refresh that draws only what changed, the suspend choice
// stepped by keys and arrows, and OK and every cancel path with their effects on the device.
#include <gtest/gtest.h>

#include <optional>

#include "platform/gwes/controls/progress.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/power.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"
#include "res/resource.h"
#include "screens/power_dlg.h"
#include "screens/power_timeout_store.h"
#include "tests/screens/screen_fixture.h"

namespace {

using screens_test::ScreenTest;

constexpr POINT kPowerButton{274, 106};
constexpr POINT kGauge{38, 87};
constexpr int kGaugeWidth = 237;
constexpr std::uint8_t kSnapshotTag[] = {0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0};

struct Battery {
  int ac = 1;
  int flag = BATTERY_FLAG_HIGH;
  int percent = 100;
  bool fail = false;
};

class PowerPageTest : public ScreenTest {
 protected:
  void SetBattery(const Battery& battery) {
    auto& store = device.Device().Store();
    store.SetInt(kernel::state::kBatteryAc, battery.ac);
    store.SetInt(kernel::state::kBatteryFlag, battery.flag);
    store.SetInt(kernel::state::kBatteryPercent, battery.percent);
    store.SetInt(kernel::state::kBatteryFail, battery.fail ? 1 : 0);
  }
  // Stores "BattSuspend", or removes the value (nullopt).
  static void SetBattSuspend(std::optional<DWORD> seconds) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, PowerTimeoutStore::kTimeoutsKey, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    if (seconds) {
      RegSetValueExW(key, PowerTimeoutStore::kBattSuspendValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*seconds),
                     sizeof(DWORD));
    } else {
      RegDeleteValueW(key, PowerTimeoutStore::kBattSuspendValue);
    }
    RegCloseKey(key);
  }
  static std::optional<DWORD> StoredBattSuspend() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, PowerTimeoutStore::kTimeoutsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return std::nullopt;
    DWORD value = 0, size = sizeof value, type = 0;
    LONG result = RegQueryValueExW(key, PowerTimeoutStore::kBattSuspendValue, nullptr, &type,
                                   reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
  }

  static HWND Item(int id) { return GetDlgItem(TopWindow(), id); }
  static std::u16string Text(int id) {
    WCHAR text[128] = {};
    GetWindowTextW(Item(id), text, 128);
    return text;
  }
  static int GaugePos() { return static_cast<int>(SendMessageW(Item(IDC_POWER_GAUGE), PBM_GETPOS, 0, 0)); }
  // How many columns of the gauge, from column 1 on, show the filled bar.
  static int FilledColumns() {
    constexpr int kRow = 3;
    int column = 1;
    while (column < kGaugeWidth &&
           Pixel(kGauge.x + column, kGauge.y + kRow) == BitmapPixel(IDB_BATTERY_BAR_FILL, column - 1, kRow - 1))
      ++column;
    return column - 1;
  }
  static void Refresh() { kernel::AdvanceVirtualTime(CPowerDlg::kRefreshMs); }
  bool SnapshotWritten() { return std::filesystem::exists(device.Host("My Flash Disk/Setting.dat")); }
  std::vector<std::uint8_t> SnapshotBytes() { return testing_support::ReadHostFile(device.Host("My Flash Disk/Setting.dat")); }
};

std::u16string Remaining(int percent) {
  std::string text = "Battery Power Remaining: " + std::to_string(percent) + "%";
  return std::u16string(text.begin(), text.end());
}

// Every control at its place with its face; the template's controls the page does not use stay
// hidden; the background shows where no control lies.
TEST_F(PowerPageTest, OpensWithEveryControlInPlaceOverItsBackground) {
  struct Place {
    int id;
    RECT rect;
    UINT face;  // shown at (5, 5) of the control, or 0
  };
  const Place places[] = {
      {IDC_POWER_TITLE, {85, 15, 320, 55}, 0},
      {IDC_POWER_GAUGE, {38, 87, 275, 95}, 0},
      {IDC_POWER_TIMEOUT_CAPTION, {20, 120, 320, 140}, 0},
      {IDC_POWER_SHORTER, {65, 142, 92, 169}, IDB_ARROW_LEFT_NORMAL},
      {IDC_POWER_TIMEOUT, {100, 143, 220, 168}, 0},
      {IDC_POWER_LONGER, {228, 142, 255, 169}, IDB_ARROW_RIGHT_NORMAL},
      {IDOK, {85, 192, 143, 220}, IDB_BUTTON_OK_NORMAL},
      {IDCANCEL, {175, 192, 233, 220}, IDB_BUTTON_CANCEL_NORMAL},
  };
  CPowerDlg page;
  RunDialog(page, {[&] {
                     for (const Place& place : places) {
                       RECT rect = WindowRect(Item(place.id));
                       EXPECT_TRUE(EqualRect(&rect, &place.rect)) << place.id;
                       if (place.face != 0) {
                         EXPECT_EQ(Pixel(place.rect.left + 5, place.rect.top + 5), BitmapPixel(place.face, 5, 5)) << place.id;
                       }
                     }
                     EXPECT_EQ(Text(IDC_POWER_TITLE), u"Power");
                     EXPECT_EQ(Text(IDC_POWER_TIMEOUT_CAPTION), u"Turn device off When device is Not use for");
                     for (int hidden : {IDC_POWER_TIMEOUT_LIST, 1012, 1017, 1016, 1002, 1018, 1082}) {
                       EXPECT_FALSE(IsWindowVisible(Item(hidden))) << hidden;
                     }
                     EXPECT_EQ(Pixel(5, 230), BitmapPixel(IDB_POWER_BACKGROUND, 5, 230));
                     Key(VK_ESCAPE);
                   }});
}

TEST_F(PowerPageTest, TheStatusLineAndGaugeShowTheBatteryAtOpeningAndAtTheFirstRefresh) {
  struct Case {
    const char* name;
    Battery battery;
    std::u16string opening;
    int position;
    int filled;  // columns of the gauge showing the filled bar
    std::u16string refreshed;
    bool gaugeShown;
  };
  const Case cases[] = {
      {"on battery at 85%", {0, BATTERY_FLAG_HIGH, 85}, Remaining(85), 85, 201, Remaining(85), true},
      {"full on external power", {1, BATTERY_FLAG_HIGH, 40}, Remaining(100), 100, 235, Remaining(100), true},
      // The flag is compared whole: high and charging together is an unknown state.
      {"flag 9", {1, BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING, 50}, Remaining(0), 0, 0, Remaining(0), true},
      {"no battery", {1, BATTERY_FLAG_NO_BATTERY, 0}, Remaining(0), 0, 0, u"Power:use external power", false},
      {"no status", {0, BATTERY_FLAG_HIGH, 85, true}, Remaining(0), 0, 0, Remaining(0), true},
      // An unknown percentage is shown as reported; the control holds the bar at full.
      {"percentage 255", {0, BATTERY_FLAG_HIGH, 255}, Remaining(255), 100, 235, Remaining(255), true},
  };
  for (const Case& c : cases) {
    SetBattery(c.battery);
    CPowerDlg page;
    RunDialog(page, {[&] {
                       EXPECT_EQ(Text(IDC_POWER_STATUS), c.opening) << c.name;
                       EXPECT_EQ(GaugePos(), c.position) << c.name;
                       EXPECT_EQ(FilledColumns(), c.filled) << c.name;
                       EXPECT_TRUE(IsWindowVisible(Item(IDC_POWER_GAUGE))) << c.name;
                       Refresh();
                     },
                     [&] {
                       EXPECT_EQ(Text(IDC_POWER_STATUS), c.refreshed) << c.name;
                       EXPECT_EQ(IsWindowVisible(Item(IDC_POWER_GAUGE)) != FALSE, c.gaugeShown) << c.name;
                       Key(VK_ESCAPE);
                     }});
  }
}

TEST_F(PowerPageTest, WhileChargingTheGaugeRunsUpInTensAndStartsOver) {
  SetBattery({1, BATTERY_FLAG_CHARGING, 50});
  std::vector<int> positions;
  std::deque<std::function<void()>> steps;
  for (int i = 0; i < 12; ++i) {
    steps.push_back([&] {
      EXPECT_EQ(Text(IDC_POWER_STATUS), u"Charging:");
      positions.push_back(GaugePos());
      Refresh();
    });
  }
  steps.push_back([] { Key(VK_ESCAPE); });
  CPowerDlg page;
  RunDialog(page, steps);
  EXPECT_EQ(positions, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 0, 10}));
}

// A refresh that reads what the page shows draws nothing; a change made on the device shows at the
// next refresh, the gauge coming back with a battery.
TEST_F(PowerPageTest, ARefreshDrawsOnlyWhenTheDeviceReportsAChange) {
  SetBattery({0, BATTERY_FLAG_HIGH, 85});
  std::uint64_t drawn = 0;
  CPowerDlg page;
  // A step moves the focus from the time-out box, whose caret blinks, to the hidden list.
  RunDialog(page, {[] { Key(VK_RIGHT); },
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
                     EXPECT_NE(gwes::ScreenDirtyCount(), drawn);
                     EXPECT_FALSE(IsWindowVisible(Item(IDC_POWER_GAUGE)));
                     SetBattery({0, BATTERY_FLAG_HIGH, 60});
                     Refresh();
                   },
                   [&] {
                     EXPECT_EQ(Text(IDC_POWER_STATUS), Remaining(60));
                     EXPECT_TRUE(IsWindowVisible(Item(IDC_POWER_GAUGE)));
                     EXPECT_EQ(FilledColumns(), CBatteryGauge::FillWidth(60, kGaugeWidth));
                     Key(VK_ESCAPE);
                   }});
}

// Steps go by the shown text and stop at the ends; only OK writes, and it writes the choice.
TEST_F(PowerPageTest, StepsMoveTheChoiceInMemoryAndOkWritesIt) {
  struct Case {
    std::optional<DWORD> stored;
    std::u16string opening;
    std::vector<std::function<void()>> steps;
    std::u16string chosen;
    DWORD written;
  };
  auto key = [](BYTE vk) { return [vk] { Key(vk); }; };
  auto tap = [](int id) {
    return [id] {
      RECT rect = WindowRect(Item(id));
      Tap(rect.left + 5, rect.top + 5);
    };
  };
  const Case cases[] = {
      {1200, u"20 Minutes", {key(VK_RIGHT), key(VK_RIGHT)}, u"Never", 0},
      {300, u"Never", {}, u"Never", 0},
      {std::nullopt, u"Never", {key(VK_LEFT)}, u"30 Minutes", 1800},
      {600, u"10 Minutes", {key(VK_LEFT)}, u"10 Minutes", 600},
      {0, u"Never", {key(VK_UP)}, u"Never", 0},
      {0, u"Never", {key(VK_DOWN), key(VK_DOWN), key(VK_DOWN)}, u"10 Minutes", 600},
      {1800, u"30 Minutes", {tap(IDC_POWER_SHORTER)}, u"20 Minutes", 1200},
      {600, u"10 Minutes", {tap(IDC_POWER_LONGER)}, u"20 Minutes", 1200},
  };
  for (const Case& c : cases) {
    SetBattSuspend(c.stored);
    std::filesystem::remove(device.Host("My Flash Disk/Setting.dat"));
    std::deque<std::function<void()>> steps = {[] { Tap(kPowerButton.x, kPowerButton.y); },
                                               [&] {
                                                 EXPECT_EQ(Text(IDC_POWER_TIMEOUT), c.opening);
                                                 EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_POWER_TIMEOUT);
                                               }};
    for (const auto& step : c.steps) steps.push_back(step);
    steps.push_back([&] {
      EXPECT_EQ(Text(IDC_POWER_TIMEOUT), c.chosen) << "case " << (&c - cases);
      EXPECT_EQ(StoredBattSuspend(), c.stored) << "case " << (&c - cases);
      if (!c.steps.empty()) {
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_POWER_TIMEOUT_LIST);
      }
      RECT ok = WindowRect(Item(IDOK));
      Tap(ok.left + 10, ok.top + 10);
    });
    steps.push_back([] { Key(VK_ESCAPE); });  // leaves the menu
    Run(u"", steps);
    EXPECT_EQ(StoredBattSuspend(), c.written) << "case " << (&c - cases);
  }
}

// OK tells the power manager and has the snapshot written even when the time-out key is missing;
// the key is not created.
TEST_F(PowerPageTest, OkSetsTheReloadEventAndWritesTheSnapshotAlsoWhenTheWriteFails) {
  struct Case {
    bool keyMissing;
    DWORD snapshotSeconds;
  };
  for (const Case c : {Case{false, 1800}, Case{true, 0}}) {
    SetBattSuspend(0);
    if (c.keyMissing) RegDeleteKeyW(HKEY_LOCAL_MACHINE, PowerTimeoutStore::kTimeoutsKey);
    std::filesystem::remove(device.Host("My Flash Disk/Setting.dat"));
    // Held as the power manager holds it, so the set is seen.
    HANDLE reload = CreateEventW(nullptr, FALSE, FALSE, kReloadActivityTimeoutsEvent);
    Run(u"", {[] { Tap(kPowerButton.x, kPowerButton.y); },
              [] { Key(VK_LEFT); },
              [] {
                EXPECT_EQ(Text(IDC_POWER_TIMEOUT), u"30 Minutes");
                PostMessageW(TopWindow(), WM_COMMAND, IDOK, 0);
              },
              [] { Key(VK_ESCAPE); }});
    EXPECT_EQ(WaitForSingleObject(reload, 0), WAIT_OBJECT_0) << c.keyMissing;
    CloseHandle(reload);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, PowerTimeoutStore::kTimeoutsKey, 0, KEY_READ, &key) == ERROR_SUCCESS,
              !c.keyMissing);
    if (key != nullptr) RegCloseKey(key);
    std::vector<std::uint8_t> expected(std::begin(kSnapshotTag), std::end(kSnapshotTag));
    for (DWORD value : {DWORD{5}, c.snapshotSeconds}) {
      for (int shift = 0; shift < 32; shift += 8) expected.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    EXPECT_EQ(SnapshotBytes(), expected) << c.keyMissing;
  }
}

TEST_F(PowerPageTest, EveryCancelPathLeavesTheDeviceAsItWas) {
  struct Way {
    const char* name;
    std::function<void()> leave;
    bool menuCloses;
  };
  const Way ways[] = {
      {"cancel button",
       [] {
         RECT cancel = WindowRect(Item(IDCANCEL));
         Tap(cancel.left + 10, cancel.top + 10);
       },
       false},
      {"escape", [] { Key(VK_ESCAPE); }, false},
      {"device cancel key", [] { Key(VK_DEVICE_CANCEL); }, false},
      {"device close key", [] { Key(VK_DEVICE_CLOSE); }, true},
  };
  for (const Way& way : ways) {
    SetBattSuspend(1200);
    HANDLE reload = CreateEventW(nullptr, FALSE, FALSE, kReloadActivityTimeoutsEvent);
    HWND page = nullptr;
    std::deque<std::function<void()>> steps = {[] { Tap(kPowerButton.x, kPowerButton.y); },
                                               [&] {
                                                 page = TopWindow();
                                                 Key(VK_RIGHT);
                                               },
                                               way.leave};
    if (!way.menuCloses) {
      steps.push_back([&] {
        EXPECT_FALSE(IsWindow(page)) << way.name;
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_MENU_POWER) << way.name;
        Key(VK_ESCAPE);
      });
    }
    Run(u"", steps);
    EXPECT_EQ(exitFlag != FALSE, way.menuCloses) << way.name;
    EXPECT_EQ(StoredBattSuspend(), DWORD{1200}) << way.name;
    EXPECT_EQ(WaitForSingleObject(reload, 0), WAIT_TIMEOUT) << way.name;
    EXPECT_FALSE(SnapshotWritten()) << way.name;
    CloseHandle(reload);
  }
}

}  // namespace
