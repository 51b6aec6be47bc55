#include "platform/kernel/power.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "tests/support/child_process.h"
#include "tests/support/test_device.h"

namespace {

TEST(GetSystemPowerStatusEx, ReportsTheDeviceBatteryState) {
  testing_support::TestDevice device;
  SYSTEM_POWER_STATUS_EX status{};
  ASSERT_TRUE(GetSystemPowerStatusEx(&status, TRUE));  // nothing stored: on line, full
  EXPECT_EQ(status.ACLineStatus, AC_LINE_ONLINE);
  EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_HIGH);
  EXPECT_EQ(status.BatteryLifePercent, 100);
  EXPECT_EQ(status.BatteryLifeTime, BATTERY_LIFE_UNKNOWN);
  EXPECT_EQ(status.BackupBatteryFlag, BATTERY_FLAG_HIGH);

  auto& store = device.Device().Store();
  store.SetInt(kernel::state::kBatteryAc, 0);
  store.SetInt(kernel::state::kBatteryFlag, BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING);
  store.SetInt(kernel::state::kBatteryPercent, 85);
  ASSERT_TRUE(GetSystemPowerStatusEx(&status, TRUE));
  // The record's first three bytes, in the device's layout: line status, flag, percentage.
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&status);
  EXPECT_EQ(bytes[0], AC_LINE_OFFLINE);
  EXPECT_EQ(bytes[1], BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING);
  EXPECT_EQ(bytes[2], 85);

  // A change made by another program (devicectl battery) shows at the very next call.
  testing_support::ChildProcess other(device.Root(), [](testing_support::ChildProcess&) {
    kernel::CurrentDevice().Store().SetInt(kernel::state::kBatteryPercent, 12);
    return 0;
  });
  ASSERT_EQ(other.Join(), 0);
  ASSERT_TRUE(GetSystemPowerStatusEx(&status, FALSE));
  EXPECT_EQ(status.BatteryLifePercent, 12);
}

TEST(GetSystemPowerStatusEx, FailingDeviceLeavesTheRecordAlone) {
  testing_support::TestDevice device;
  device.Device().Store().SetInt(kernel::state::kBatteryFail, 1);
  SYSTEM_POWER_STATUS_EX status;
  std::memset(&status, 0xAB, sizeof status);
  EXPECT_EQ(GetSystemPowerStatusEx(&status, TRUE), 0);
  for (std::size_t i = 0; i < sizeof status; ++i) ASSERT_EQ(reinterpret_cast<const BYTE*>(&status)[i], 0xAB);
  EXPECT_EQ(GetSystemPowerStatusEx(nullptr, TRUE), 0);
}

}  // namespace
