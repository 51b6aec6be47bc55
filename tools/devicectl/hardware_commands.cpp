// devicectl's hardware commands: the simulated hardware state as the device's drivers keep it.
#include <cstdio>
#include <iomanip>

#include "device/default_image.h"
#include "device/installer/installer_settings.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/hardware.h"
#include "platform/kernel/power_manager.h"
#include "tools/devicectl/commands.h"

namespace devicectl {
namespace {

kernel::DeviceStore& Store() { return kernel::CurrentDevice().Store(); }

std::int64_t StateInt(const char* name, std::int64_t fallback) { return Store().GetInt(name).value_or(fallback); }

std::string Hex32(std::uint32_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

}  // namespace

void BacklightCommand(const Args& args, std::ostream& out) {
  ExpectAtMost(args, 1, "backlight [N]");
  if (args.empty()) {
    out << StateInt(kernel::state::kBacklight, 5) << "\n";
    return;
  }
  // The range message of ParseNumber would say "from 0"; the level's own range is 1 to 8.
  std::uint64_t level = 0;
  try {
    level = ParseNumber(args[0], 8, "the backlight level");
  } catch (const UsageError&) {
    level = 0;
  }
  if (level < 1) throw UsageError("the backlight level must be a number from 1 to 8, not '" + Shown(args[0]) + "'");
  Store().SetInt(kernel::state::kBacklight, static_cast<std::int64_t>(level));
}

void BatteryCommand(const Args& args, std::ostream& out) {
  std::optional<bool> ac;
  std::optional<bool> fail;
  std::optional<std::uint64_t> flag;
  std::optional<std::uint64_t> percent;
  for (std::size_t i = 0; i < args.size(); ++i) {
    auto next = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(Shown(args[i]) + " needs a value");
      return args[++i];
    };
    if (args[i] == "--ac") {
      ac = ParseOnOff(next(), "--ac");
    } else if (args[i] == "--flag") {
      flag = ParseNumber(next(), 255, "the battery flag");
    } else if (args[i] == "--percent") {
      percent = ParseNumber(next(), 255, "the battery percentage");
      if (*percent > 100 && *percent != 255) throw UsageError("the battery percentage must be 0 to 100, or 255 (unknown)");
    } else if (args[i] == "--fail") {
      fail = true;
      if (i + 1 < args.size() && (args[i + 1] == "on" || args[i + 1] == "off")) fail = ParseOnOff(args[++i], "--fail");
    } else {
      throw UsageError("usage: battery [--ac on|off] [--flag N] [--percent N] [--fail [on|off]]");
    }
  }
  if (!ac && !flag && !percent && !fail) {
    out << "ac " << (StateInt(kernel::state::kBatteryAc, 1) ? "on" : "off") << " flag "
        << StateInt(kernel::state::kBatteryFlag, 1) << " percent " << StateInt(kernel::state::kBatteryPercent, 100)
        << " fail " << (StateInt(kernel::state::kBatteryFail, 0) ? "on" : "off") << "\n";
    return;
  }
  Store().Batch([&] {
    if (ac) Store().SetInt(kernel::state::kBatteryAc, *ac ? 1 : 0);
    if (flag) Store().SetInt(kernel::state::kBatteryFlag, static_cast<std::int64_t>(*flag));
    if (percent) Store().SetInt(kernel::state::kBatteryPercent, static_cast<std::int64_t>(*percent));
    if (fail) Store().SetInt(kernel::state::kBatteryFail, *fail ? 1 : 0);
  });
}

void VolumeCommand(const Args& args, std::ostream& out) {
  ExpectAtMost(args, 1, "volume [WORD]");
  if (args.empty()) {
    out << Hex32(static_cast<std::uint32_t>(StateInt(kernel::state::kWaveVolume, 0x99999999))) << "\n";
    return;
  }
  Store().SetInt(kernel::state::kWaveVolume, static_cast<std::int64_t>(ParseNumber(args[0], 0xFFFFFFFFu, "the volume word")));
}

void PowerCommand(const Args& args, std::ostream& out) {
  ExpectAtMost(args, 0, "power");
  kernel::PowerStatus status = kernel::ReadPowerStatus();
  out << "state " << (status.suspended ? "suspended" : "on") << " timeout " << status.timeoutSeconds << " reloads "
      << status.reloads << "\n";
}

void PlatformTypeCommand(const Args& args, std::ostream& out) {
  ExpectAtMost(args, 1, "platform-type [N]");
  if (args.empty()) {
    out << StateInt(kernel::state::kPlatformType, 9) << "\n";
    return;
  }
  auto type = ParseNumber(args[0], 0xFFFFFFFFu, "the platform type");
  Store().SetInt(kernel::state::kPlatformType, static_cast<std::int64_t>(type));
  // Type 8 installs from "\SD Card\Installation": the card gets the installer and the packages.
  if (type == 8) device::LayInstallationFolder("SD Card/Installation");
}

void InstallerCommand(const Args& args, std::ostream& out) {
  constexpr const char* kUsage = "usage: installer [--behaviour finish|signal-only|no-key|crash|hang] [--seconds N]";
  std::optional<device::InstallerBehaviour> behaviour;
  std::optional<std::uint64_t> seconds;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i + 1 >= args.size()) throw UsageError(kUsage);
    if (args[i] == "--behaviour") {
      behaviour = device::ParseInstallerBehaviour(args[++i]);
      if (!behaviour) {
        throw UsageError("the installer behaviour must be finish, signal-only, no-key, crash or hang, not '" +
                         Shown(args[i]) + "'");
      }
    } else if (args[i] == "--seconds") {
      seconds = ParseNumber(args[++i], 86400, "the installer's seconds");
    } else {
      throw UsageError(kUsage);
    }
  }
  if (!behaviour && !seconds) {
    device::InstallerSettings settings = device::ReadInstallerSettings();
    out << "behaviour " << device::InstallerBehaviourName(settings.behaviour) << " seconds " << settings.seconds << "\n";
    return;
  }
  Store().Batch([&] {
    if (behaviour) Store().SetInt(kernel::state::kInstallerBehaviour, static_cast<std::int64_t>(*behaviour));
    if (seconds) Store().SetInt(kernel::state::kInstallerSeconds, static_cast<std::int64_t>(*seconds));
  });
}

void ResetCommand(const Args& args, std::ostream& out) {
  if (!args.empty()) {
    if (args.size() != 2 || args[0] != "--fail") throw UsageError("usage: reset [--fail on|off]");
    Store().SetInt(kernel::state::kResetFail, ParseOnOff(args[1], "--fail") ? 1 : 0);
    return;
  }
  out << "fail " << (StateInt(kernel::state::kResetFail, 0) ? "on" : "off") << "\n";
  for (const auto& entry : Store().ResetLog()) out << entry.deviceTime << (entry.failed ? " failed" : " reset") << "\n";
}

void StoreBlockCommand(const Args& args, std::ostream& out) {
  std::uint64_t count = 64;
  if (!args.empty()) {
    if (args.size() != 2 || args[0] != "--bytes") throw UsageError("usage: store-block [--bytes N]");
    count = ParseNumber(args[1], kStoreBlockSize, "the byte count");
  }
  auto block = Store().GetBlob(kernel::state::kStoreBlock).value_or(std::vector<std::uint8_t>(kStoreBlockSize, 0));
  count = std::min<std::uint64_t>(count, block.size());
  // Sixteen bytes a line: the offset, the bytes in hexadecimal, and the printable ones as text.
  for (std::uint64_t row = 0; row < count; row += 16) {
    char line[32];
    std::snprintf(line, sizeof line, "%08llX ", static_cast<unsigned long long>(row));
    out << line;
    std::string text;
    for (std::uint64_t i = row; i < row + 16; ++i) {
      if (i >= count) {
        out << "   ";
        continue;
      }
      std::snprintf(line, sizeof line, " %02X", block[i]);
      out << line;
      text += block[i] >= 0x20 && block[i] < 0x7F ? static_cast<char>(block[i]) : '.';
    }
    out << "  |" << text << "|\n";
  }
}

}  // namespace devicectl
