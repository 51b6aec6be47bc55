#include "platform/kernel/power_manager.h"

#include <atomic>
#include <mutex>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/power.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"

namespace kernel {
namespace {

struct Manager {
  std::mutex lock;
  bool running = false;
  HANDLE reloadEvent = nullptr;
  DWORD timeoutSeconds = 0;
  std::uint64_t reloads = 0;
  std::uint64_t lastActivityMs = 0;
  std::atomic<bool> suspended{false};
};

Manager& TheManager() {
  static Manager manager;
  return manager;
}

// A missing value, or one that is not a DWORD, means the device never suspends on its own.
DWORD ReadBatterySuspend() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPowerTimeoutsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG result = RegQueryValueExW(key, kBatterySuspendValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : 0;
}

// Writes the manager's state for devicectl; a start that finds the same state stored writes nothing,
// so an ordinary start costs the device store no write.
void Publish(const Manager& manager) {
  auto& store = CurrentDevice().Store();
  if (store.GetInt(state::kPowerState).value_or(-1) == (manager.suspended ? 1 : 0) &&
      store.GetInt(state::kPowerTimeout).value_or(-1) == manager.timeoutSeconds &&
      store.GetInt(state::kPowerReloads).value_or(-1) == static_cast<std::int64_t>(manager.reloads)) {
    return;
  }
  store.Batch([&] {
    store.SetInt(state::kPowerState, manager.suspended ? 1 : 0);
    store.SetInt(state::kPowerTimeout, manager.timeoutSeconds);
    store.SetInt(state::kPowerReloads, static_cast<std::int64_t>(manager.reloads));
  });
}

// Read as GetSystemPowerStatusEx reads it, without touching the caller's last error.
bool OnBattery() {
  return CurrentDevice().Store().GetInt(state::kBatteryAc).value_or(AC_LINE_ONLINE) == AC_LINE_OFFLINE;
}

}  // namespace

void StartPowerManager() {
  Manager& manager = TheManager();
  std::lock_guard guard(manager.lock);
  if (manager.reloadEvent) CloseHandle(manager.reloadEvent);
  // Holding the event keeps it in being, so a set from another program is never lost with it.
  manager.reloadEvent = CreateEventW(nullptr, FALSE, FALSE, kReloadTimeoutsEvent);
  if (manager.reloadEvent) ResetEvent(manager.reloadEvent);
  manager.timeoutSeconds = ReadBatterySuspend();
  manager.reloads = 0;
  manager.lastActivityMs = Clock().MonotonicMs();
  manager.suspended = false;
  manager.running = true;
  Publish(manager);
}

void StopPowerManager() {
  Manager& manager = TheManager();
  std::lock_guard guard(manager.lock);
  if (manager.reloadEvent) CloseHandle(manager.reloadEvent);
  manager.reloadEvent = nullptr;
  manager.running = false;
  manager.suspended = false;
}

// Runs between the program's own calls, so the program's last error is kept as it was.
bool TickPowerManager() {
  Manager& manager = TheManager();
  std::lock_guard guard(manager.lock);
  if (!manager.running) return false;
  struct KeepLastError {
    DWORD error = GetLastError();
    ~KeepLastError() { SetLastError(error); }
  } keep;
  const std::uint64_t now = Clock().MonotonicMs();
  // The event resets as the manager takes it; sets that come together count as one reload.
  if (manager.reloadEvent && WaitForSingleObject(manager.reloadEvent, 0) == WAIT_OBJECT_0) {
    manager.timeoutSeconds = ReadBatterySuspend();
    ++manager.reloads;
    manager.lastActivityMs = now;
    Publish(manager);
  }
  if (manager.suspended || manager.timeoutSeconds == 0) return false;
  if (now - manager.lastActivityMs < std::uint64_t{manager.timeoutSeconds} * 1000 || !OnBattery()) return false;
  manager.suspended = true;
  Publish(manager);
  return true;
}

bool PowerManagerInput(bool press) {
  Manager& manager = TheManager();
  std::lock_guard guard(manager.lock);
  if (!manager.running) return false;
  manager.lastActivityMs = Clock().MonotonicMs();
  if (!press || !manager.suspended) return false;
  manager.suspended = false;
  Publish(manager);
  return true;
}

bool ResumeDevice() {
  Manager& manager = TheManager();
  std::lock_guard guard(manager.lock);
  if (!manager.running || !manager.suspended) return false;
  manager.suspended = false;
  manager.lastActivityMs = Clock().MonotonicMs();
  Publish(manager);
  return true;
}

bool SuspendDevice() {
  Manager& manager = TheManager();
  std::lock_guard guard(manager.lock);
  if (!manager.running || manager.suspended) return false;
  manager.suspended = true;
  Publish(manager);
  return true;
}

bool DeviceSuspended() { return TheManager().suspended.load(); }

PowerStatus ReadPowerStatus() {
  auto& store = CurrentDevice().Store();
  PowerStatus status;
  store.Batch([&] {
    status.suspended = store.GetInt(state::kPowerState).value_or(0) == 1;
    status.timeoutSeconds = static_cast<DWORD>(store.GetInt(state::kPowerTimeout).value_or(0));
    status.reloads = static_cast<std::uint64_t>(store.GetInt(state::kPowerReloads).value_or(0));
  });
  return status;
}

}  // namespace kernel
