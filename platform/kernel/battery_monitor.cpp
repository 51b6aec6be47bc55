#include "platform/kernel/battery_monitor.h"

#include <mutex>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/sync_objects.h"

namespace kernel {
namespace {

std::mutex g_lock;
HANDLE g_holdEvent = nullptr;

}  // namespace

bool StartBatteryMonitor() {
  std::lock_guard guard(g_lock);
  if (g_holdEvent == nullptr) g_holdEvent = CreateEventW(nullptr, TRUE, FALSE, kHoldBatteryWarningEvent);
  return g_holdEvent != nullptr;
}

void StopBatteryMonitor() {
  std::lock_guard guard(g_lock);
  if (g_holdEvent == nullptr) return;
  CloseHandle(g_holdEvent);
  g_holdEvent = nullptr;
}

}  // namespace kernel
