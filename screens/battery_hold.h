// The battery-warning hold: a counted, cross-process hold on the manual-reset event
// "EVENT_HOLD_BATT_WARNING". The event's data word counts the holders, and the event is signalled
// while the count is above zero, so the device's battery watcher stays quiet meanwhile.
#pragma once

#include "platform/kernel/win32_types.h"

inline constexpr const char16_t* kHoldBatteryWarningEvent = u"EVENT_HOLD_BATT_WARNING";

// hold true takes the hold, false releases it. False only when the event can be neither created
// nor opened. No handle stays open between calls.
bool HoldBatteryWarning(bool hold);
