#include "platform/kernel/power_manager.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"
#include "tests/support/child_process.h"
#include "tests/support/test_device.h"

namespace {

void SetBatterySuspend(DWORD seconds) {
  std::vector<std::uint8_t> data(sizeof seconds);
  std::memcpy(data.data(), &seconds, sizeof seconds);
  kernel::RegistrySetValue({HKEY_LOCAL_MACHINE, kernel::kPowerTimeoutsKey}, {kernel::kBatterySuspendValue, REG_DWORD, data});
}

void SetEventByName() {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, kernel::kReloadTimeoutsEvent);
  SetEvent(event);
  CloseHandle(event);
}

struct PowerManagerRun {
  PowerManagerRun() { kernel::StartPowerManager(); }
  ~PowerManagerRun() { kernel::StopPowerManager(); }
};

TEST(PowerManager, SuspendsAnIdleDeviceOnBatteryAndTheNextPressWakesIt) {
  struct Row {
    const char* what;
    DWORD timeout;
    bool onBattery;
    DWORD idleMs;
    bool suspends;
  };
  const Row rows[] = {
      {"on battery, the time-out passed", 60, true, 60000, true},
      {"on battery, 1 ms short", 60, true, 59999, false},
      {"on the power line", 60, false, 3600000, false},
      {"time-out 0 never suspends", 0, true, 3600000, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    testing_support::TestDevice device;
    device.Device().Store().SetInt(kernel::state::kBatteryAc, row.onBattery ? 0 : 1);
    SetBatterySuspend(row.timeout);
    PowerManagerRun run;
    kernel::AdvanceVirtualTime(row.idleMs);
    EXPECT_EQ(kernel::TickPowerManager(), row.suspends);
    EXPECT_EQ(kernel::DeviceSuspended(), row.suspends);
    EXPECT_EQ(kernel::ReadPowerStatus().suspended, row.suspends);
    EXPECT_EQ(kernel::ReadPowerStatus().timeoutSeconds, row.timeout);
    // A move is activity, not a press: it never wakes the device. The next press does, once.
    EXPECT_FALSE(kernel::PowerManagerInput(false));
    EXPECT_EQ(kernel::PowerManagerInput(true), row.suspends);
    EXPECT_FALSE(kernel::PowerManagerInput(true));
    EXPECT_FALSE(kernel::DeviceSuspended() || kernel::ReadPowerStatus().suspended);
  }
}

TEST(PowerManager, AHostCloseRequestWakesTheDeviceWithoutAPress) {
  testing_support::TestDevice device;
  device.Device().Store().SetInt(kernel::state::kBatteryAc, 0);
  SetBatterySuspend(10);
  EXPECT_FALSE(kernel::TickPowerManager() || kernel::PowerManagerInput(true) || kernel::ResumeDevice() ||
               kernel::ReadPowerStatus().suspended)
      << "no manager runs yet";
  PowerManagerRun run;
  kernel::AdvanceVirtualTime(10000);
  EXPECT_TRUE(kernel::TickPowerManager());
  EXPECT_TRUE(kernel::ResumeDevice());
  EXPECT_FALSE(kernel::ResumeDevice());
  EXPECT_FALSE(kernel::DeviceSuspended());
}

TEST(PowerManager, ReloadsTheTimeOutEachTimeTheEventIsSetHereOrElsewhere) {
  testing_support::TestDevice device;
  device.Device().Store().SetInt(kernel::state::kBatteryAc, 0);
  SetBatterySuspend(600);
  PowerManagerRun run;
  EXPECT_EQ(kernel::ReadPowerStatus().reloads, 0u);
  SetBatterySuspend(30);
  kernel::AdvanceVirtualTime(30000);
  EXPECT_FALSE(kernel::TickPowerManager());  // not told yet: 600 s still in force
  EXPECT_EQ(kernel::ReadPowerStatus().timeoutSeconds, 600u);

  SetEventByName();
  SetLastError(ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(kernel::TickPowerManager());  // the reload restarts the idle time
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);  // the program's own last error is kept
  EXPECT_EQ(kernel::ReadPowerStatus().timeoutSeconds, 30u);
  EXPECT_EQ(kernel::ReadPowerStatus().reloads, 1u);
  kernel::AdvanceVirtualTime(30000);
  EXPECT_TRUE(kernel::TickPowerManager());

  // Another program (devicectl event --set) sets it; a tick without a set reloads nothing.
  testing_support::ChildProcess other(device.Root(), [](testing_support::ChildProcess&) {
    SetBatterySuspend(0);
    SetEventByName();
    return 0;
  });
  ASSERT_EQ(other.Join(), 0);
  kernel::TickPowerManager();
  kernel::TickPowerManager();
  EXPECT_EQ(kernel::ReadPowerStatus().reloads, 2u);
  EXPECT_EQ(kernel::ReadPowerStatus().timeoutSeconds, 0u);
  ASSERT_TRUE(kernel::DeviceSuspended());
  kernel::StartPowerManager();  // a start begins again: awake, no reloads
  EXPECT_FALSE(kernel::DeviceSuspended() || kernel::ReadPowerStatus().suspended);
  EXPECT_EQ(kernel::ReadPowerStatus().reloads, 0u);
}

}  // namespace
