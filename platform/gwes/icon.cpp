#include "platform/gwes/icon.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/kernel/last_error.h"
#include "platform/kernel/resources.h"

namespace {

std::mutex g_lock;
// One handle per icon group found, keyed by where its bytes live.
std::map<const void*, HICON> g_icons;
constexpr ULONG_PTR kFirstIconHandle = 0x1C000;

}  // namespace

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  HMODULE module = instance;
  HRSRC group = FindResourceW(module, name, RT_GROUP_ICON);
  if (group == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const void* bytes = LockResource(LoadResource(module, group));
  std::lock_guard guard(g_lock);
  auto [entry, added] = g_icons.try_emplace(bytes, nullptr);
  if (added) entry->second = reinterpret_cast<HICON>(kFirstIconHandle + g_icons.size() - 1);
  return entry->second;
}
