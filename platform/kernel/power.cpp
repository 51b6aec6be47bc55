#include "platform/kernel/power.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/store_sql.h"

namespace {

constexpr std::int64_t kDefaultAc = AC_LINE_ONLINE;
constexpr std::int64_t kDefaultFlag = BATTERY_FLAG_HIGH;
constexpr std::int64_t kDefaultPercent = 100;

struct BatteryState {
  std::optional<std::int64_t> ac, flag, percent, fail;
};

// The battery's state values in one query of one read transaction: a page that polls the status
// twice a second pays for one query, and a change devicectl makes in one go is seen whole.
BatteryState ReadBatteryState(kernel::DeviceStore& store) {
  BatteryState state;
  kernel::StoreRead(store, [&](sqlite3* db) {
    kernel::SqlStatement q(db, "SELECT name, value FROM state WHERE name IN (?1, ?2, ?3, ?4) AND typeof(value) = 'integer'");
    q.Bind(1, kernel::state::kBatteryAc).Bind(2, kernel::state::kBatteryFlag);
    q.Bind(3, kernel::state::kBatteryPercent).Bind(4, kernel::state::kBatteryFail);
    while (q.Step()) {
      std::string name = q.Text(0);
      std::optional<std::int64_t>* slot = name == kernel::state::kBatteryAc        ? &state.ac
                                          : name == kernel::state::kBatteryFlag    ? &state.flag
                                          : name == kernel::state::kBatteryPercent ? &state.percent
                                                                                   : &state.fail;
      *slot = q.Int(1);
    }
  });
  return state;
}

BYTE StateByte(const std::optional<std::int64_t>& value, std::int64_t fallback) {
  return static_cast<BYTE>(std::clamp<std::int64_t>(value.value_or(fallback), 0, 255));
}

}  // namespace

// The simulated device has no battery gauge that could estimate run times, so the life times are
// unknown; the backup battery is always reported full.
BOOL GetSystemPowerStatusEx(SYSTEM_POWER_STATUS_EX* status, BOOL /*update: every reading is fresh*/) {
  if (!status) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BatteryState state = ReadBatteryState(kernel::CurrentDevice().Store());
  if (state.fail.value_or(0) == 1) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  SYSTEM_POWER_STATUS_EX result{};
  result.ACLineStatus = StateByte(state.ac, kDefaultAc);
  result.BatteryFlag = StateByte(state.flag, kDefaultFlag);
  result.BatteryLifePercent = StateByte(state.percent, kDefaultPercent);
  result.BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  result.BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  result.BackupBatteryFlag = BATTERY_FLAG_HIGH;
  result.BackupBatteryLifePercent = 100;
  result.BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  result.BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  *status = result;
  return TRUE;
}
