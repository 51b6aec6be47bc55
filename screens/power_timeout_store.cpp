#include "screens/power_timeout_store.h"

#include "platform/kernel/registry.h"

namespace PowerTimeoutStore {

DWORD ReadBattSuspend() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kernel::kPowerTimeoutsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD seconds = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof seconds;
  RegQueryValueExW(key, kernel::kBatterySuspendValue, nullptr, &type, reinterpret_cast<BYTE*>(&seconds), &size);
  RegCloseKey(key);
  return seconds;
}

BOOL WriteBattSuspend(DWORD seconds) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kernel::kPowerTimeoutsKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return FALSE;
  LONG result = RegSetValueExW(key, kernel::kBatterySuspendValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seconds),
                               sizeof seconds);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace PowerTimeoutStore
