#include "platform/kernel/battery_monitor.h"

#include <gtest/gtest.h>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/sync_objects.h"
#include "tests/support/test_device.h"

namespace {

// Takes one hold the way a program does: open, count, close.
void TakeHold() {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, kernel::kHoldBatteryWarningEvent);
  SetEvent(event);
  SetEventData(event, GetEventData(event) + 1);
  CloseHandle(event);
}

TEST(BatteryMonitor, KeepsTheHoldCountBetweenCallsWhileItRuns) {
  testing_support::TestDevice device;
  TakeHold();
  EXPECT_FALSE(kernel::InspectNamedEvent(kernel::kHoldBatteryWarningEvent).exists);  // nobody kept it

  ASSERT_TRUE(kernel::StartBatteryMonitor());
  ASSERT_TRUE(kernel::StartBatteryMonitor());  // a second start keeps the one handle
  auto shown = kernel::InspectNamedEvent(kernel::kHoldBatteryWarningEvent);
  EXPECT_TRUE(shown.exists && shown.manualReset && !shown.signalled && shown.data == 0) << shown.data;
  TakeHold();
  TakeHold();
  shown = kernel::InspectNamedEvent(kernel::kHoldBatteryWarningEvent);
  EXPECT_TRUE(shown.signalled && shown.data == 2) << shown.data;

  kernel::StopBatteryMonitor();
  EXPECT_FALSE(kernel::InspectNamedEvent(kernel::kHoldBatteryWarningEvent).exists);
}

}  // namespace
