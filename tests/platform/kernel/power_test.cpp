#include "platform/kernel/power.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <tuple>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "tests/support/child_process.h"
#include "tests/support/test_device.h"

namespace {

TEST(GetSystemPowerStatusEx, ReportsTheDeviceBatteryStateAndLeavesTheRecordAloneOnFailure) {
  testing_support::TestDevice device;
  SYSTEM_POWER_STATUS_EX status{};
  ASSERT_TRUE(GetSystemPowerStatusEx(&status, TRUE));  // nothing stored: on line, full
  EXPECT_EQ(std::tuple(status.ACLineStatus, status.BatteryFlag, status.BatteryLifePercent, status.BackupBatteryFlag),
            std::tuple(BYTE{AC_LINE_ONLINE}, BYTE{BATTERY_FLAG_HIGH}, BYTE{100}, BYTE{BATTERY_FLAG_HIGH}));
  EXPECT_EQ(status.BatteryLifeTime, BATTERY_LIFE_UNKNOWN);

  auto& store = device.Device().Store();
  store.SetInt(kernel::state::kBatteryAc, 0);
  store.SetInt(kernel::state::kBatteryFlag, BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING);
  store.SetInt(kernel::state::kBatteryPercent, 85);
  ASSERT_TRUE(GetSystemPowerStatusEx(&status, TRUE));
  // The record's first three bytes, in the device's layout: line status, flag, percentage.
  std::array<BYTE, sizeof status> bytes;
  std::memcpy(bytes.data(), &status, sizeof status);
  EXPECT_EQ(std::tuple(bytes[0], bytes[1], bytes[2]),
            std::tuple(BYTE{AC_LINE_OFFLINE}, BYTE{BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING}, BYTE{85}));

  // A failing gauge leaves the record as it was.
  store.SetInt(kernel::state::kBatteryFail, 1);
  EXPECT_FALSE(GetSystemPowerStatusEx(&status, TRUE));
  EXPECT_EQ(std::memcmp(bytes.data(), &status, sizeof status), 0);
  EXPECT_FALSE(GetSystemPowerStatusEx(nullptr, TRUE));

  // A change made by another program (devicectl battery) shows at the very next call.
  testing_support::ChildProcess other(device.Root(), [](testing_support::ChildProcess&) {
    kernel::CurrentDevice().Store().SetInt(kernel::state::kBatteryFail, 0);
    kernel::CurrentDevice().Store().SetInt(kernel::state::kBatteryPercent, 12);
    return 0;
  });
  ASSERT_EQ(other.Join(), 0);
  ASSERT_TRUE(GetSystemPowerStatusEx(&status, FALSE));
  EXPECT_EQ(status.BatteryLifePercent, 12);
}

}  // namespace
