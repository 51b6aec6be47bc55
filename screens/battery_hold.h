// The battery-warning hold: a counted, cross-process hold on the manual-reset event
// "EVENT_HOLD_BATT_WARNING". The event's data word counts the holders, and the event is signalled
// while the count is above zero, so the device's battery monitor stays quiet meanwhile. The count
// lasts between calls only while the monitor (or another process) keeps the event open.
#pragma once

#include "platform/kernel/battery_monitor.h"
#include "platform/kernel/win32_types.h"

using kernel::kHoldBatteryWarningEvent;

// hold true takes the hold, false releases it. False only when the event can be neither created
// nor opened. No handle stays open between calls.
bool HoldBatteryWarning(bool hold);
