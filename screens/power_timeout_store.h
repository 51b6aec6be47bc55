// The battery suspend time-out in the registry: "BattSuspend" under
// HKLM\System\CurrentControlSet\Control\Power\Timeouts, seconds of inactivity on battery power
// before the device suspends, 0 for never. The key is opened, never created.
#pragma once

#include "platform/kernel/power_manager.h"
#include "platform/kernel/win32_types.h"

namespace PowerTimeoutStore {

// The stored seconds; 0 when the key cannot be opened or the value is missing. The value's type is
// not looked at: one of up to four bytes is read into a zeroed 32-bit number, a longer one gives 0.
DWORD ReadBattSuspend();
// Stores the seconds as a REG_DWORD; false (and nothing written) when the key cannot be opened or
// the value cannot be set.
BOOL WriteBattSuspend(DWORD seconds);

}  // namespace PowerTimeoutStore
