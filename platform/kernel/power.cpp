#include "platform/kernel/power.h"

#include <algorithm>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr std::int64_t kDefaultAc = AC_LINE_ONLINE;
constexpr std::int64_t kDefaultFlag = BATTERY_FLAG_HIGH;
constexpr std::int64_t kDefaultPercent = 100;

BYTE StateByte(kernel::DeviceStore& store, const char* name, std::int64_t fallback) {
  return static_cast<BYTE>(std::clamp<std::int64_t>(store.GetInt(name).value_or(fallback), 0, 255));
}

}  // namespace

// The simulated device has no battery gauge that could estimate run times, so the life times are
// unknown; the backup battery is always reported full.
BOOL GetSystemPowerStatusEx(SYSTEM_POWER_STATUS_EX* status, BOOL /*update: every reading is fresh*/) {
  if (!status) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto& store = kernel::CurrentDevice().Store();
  if (store.GetInt(kernel::state::kBatteryFail).value_or(0) == 1) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  SYSTEM_POWER_STATUS_EX result{};
  result.ACLineStatus = StateByte(store, kernel::state::kBatteryAc, kDefaultAc);
  result.BatteryFlag = StateByte(store, kernel::state::kBatteryFlag, kDefaultFlag);
  result.BatteryLifePercent = StateByte(store, kernel::state::kBatteryPercent, kDefaultPercent);
  result.BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  result.BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  result.BackupBatteryFlag = BATTERY_FLAG_HIGH;
  result.BackupBatteryLifePercent = 100;
  result.BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  result.BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  *status = result;
  return TRUE;
}
