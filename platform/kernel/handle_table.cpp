#include "platform/kernel/handle_table.h"

#include <mutex>
#include <unordered_map>

#include "platform/kernel/last_error.h"

namespace kernel {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<ULONG_PTR, std::shared_ptr<KernelObject>> objects;
  // Handle values grow by four, like the device's, and are never reused within a process, so a
  // stale handle can never name a newer object.
  ULONG_PTR next = 0x40;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  auto& table = Table();
  std::lock_guard guard(table.lock);
  ULONG_PTR value = table.next;
  table.next += 4;
  table.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandleObject(HANDLE handle) {
  auto& table = Table();
  std::lock_guard guard(table.lock);
  auto it = table.objects.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == table.objects.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> doomed;
  auto& table = Table();
  {
    std::lock_guard guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<ULONG_PTR>(handle));
    if (it == table.objects.end()) return false;
    doomed = std::move(it->second);
    table.objects.erase(it);
  }
  // The object's destructor runs outside the table lock: closing may call back into the kernel.
  return true;
}

std::size_t OpenHandleCount() {
  auto& table = Table();
  std::lock_guard guard(table.lock);
  return table.objects.size();
}

}  // namespace kernel

BOOL CloseHandle(HANDLE handle) {
  if (!kernel::RemoveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
