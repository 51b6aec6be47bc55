// devicectl keys, sounds and event: what programs injected, played and signalled.
#include <cstdio>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/keyboard.h"
#include "platform/kernel/sync_objects.h"
#include "platform/kernel/wide_string.h"
#include "tools/devicectl/commands.h"

namespace devicectl {
namespace {

bool ClearRequested(const Args& args, const std::string& usage) {
  ExpectAtMost(args, 1, usage);
  if (args.empty()) return false;
  if (args[0] != "--clear") throw UsageError("usage: " + usage);
  return true;
}

void ClearLog(kernel::DeviceLog log) { kernel::CurrentDevice().Store().ClearLog(log); }

}  // namespace

void KeysCommand(const Args& args, std::ostream& out) {
  if (ClearRequested(args, "keys [--clear]")) return ClearLog(kernel::DeviceLog::kKeys);
  for (const auto& entry : kernel::CurrentDevice().Store().KeyLog()) {
    char line[64];
    std::snprintf(line, sizeof line, "%s 0x%02X flags %u", (entry.flags & KEYEVENTF_KEYUP) ? "up" : "down", entry.vk,
                  entry.flags);
    out << line << "\n";
  }
}

void SoundsCommand(const Args& args, std::ostream& out) {
  if (ClearRequested(args, "sounds [--clear]")) return ClearLog(kernel::DeviceLog::kSounds);
  for (const auto& entry : kernel::CurrentDevice().Store().SoundLog()) {
    char line[128];
    std::snprintf(line, sizeof line, "sound %llu bytes %llu ms flags %u checksum 0x%08X",
                  static_cast<unsigned long long>(entry.bytes), static_cast<unsigned long long>(entry.durationMs),
                  entry.flags, entry.checksum);
    out << line;
    // Sounds logged before the device kept the volume word show without one.
    if (entry.volume) {
      std::snprintf(line, sizeof line, " volume 0x%08X", *entry.volume);
      out << line;
    }
    out << "\n";
  }
}

void EventCommand(const Args& args, std::ostream& out) {
  constexpr const char* kUsage = "event NAME [--set|--reset|--wait MS]";
  if (args.empty() || args.size() > 3) throw UsageError(std::string("usage: ") + kUsage);
  std::u16string name = kernel::Utf8ToWide(args[0]);
  if (args.size() == 1) {
    kernel::EventInfo info = kernel::InspectNamedEvent(name);
    if (!info.exists) {
      out << "absent\n";
    } else {
      out << (info.signalled ? "signalled" : "not signalled") << " data " << info.data << " "
          << (info.manualReset ? "manual" : "auto") << "\n";
    }
    return;
  }
  const std::string& action = args[1];
  if ((action == "--set" || action == "--reset") && args.size() == 2) {
    // Setting an event nobody holds would vanish with this process, so only a held one is touched.
    if (!kernel::InspectNamedEvent(name).exists) {
      throw CommandError("no event '" + Shown(args[0]) + "' (an event exists only while a program holds it)");
    }
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, name.c_str());
    if (event == nullptr) throw CommandError("cannot open the event '" + Shown(args[0]) + "'");
    action == "--set" ? SetEvent(event) : ResetEvent(event);
    CloseHandle(event);
    return;
  }
  if (action == "--wait" && args.size() == 3) {
    auto ms = static_cast<DWORD>(ParseNumber(args[2], 0xFFFFFFFEu, "the wait time"));
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, name.c_str());
    if (event == nullptr) throw CommandError("cannot open the event '" + Shown(args[0]) + "'");
    DWORD result = WaitForSingleObject(event, ms);
    CloseHandle(event);
    if (result != WAIT_OBJECT_0) throw CommandError("timed out after " + args[2] + " ms waiting for '" + Shown(args[0]) + "'");
    out << "signalled\n";
    return;
  }
  throw UsageError(std::string("usage: ") + kUsage);
}

}  // namespace devicectl
