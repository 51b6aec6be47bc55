// devicectl: reads and changes a simulated device's state (registry, hardware, clock, logs, events)
// while the utility runs or before it starts.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "device/default_image.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/registry.h"
#include "tools/devicectl/commands.h"

namespace {

constexpr const char* kUsage =
    "usage: devicectl [--device DIR] COMMAND\n"
    "  init [--force]                         lay the default image (--force: reset registry and state)\n"
    "  reg get KEY [VALUE]                    show a key's values and sub-keys, or one value\n"
    "  reg set KEY VALUE dword:N|sz:TEXT|binary:HEX\n"
    "  reg delete KEY [VALUE]\n"
    "  reg export [KEY]                       REGEDIT4 text on standard output\n"
    "  reg import FILE                        REGEDIT4 text (- for standard input)\n"
    "  backlight [N]                          level 1 to 8\n"
    "  battery [--ac on|off] [--flag N] [--percent N] [--fail [on|off]]\n"
    "  volume [WORD]                          wave-out volume word of device 0\n"
    "  clock [--set LOCAL-ISO-TIME]\n"
    "  tz                                     the time-zone record\n"
    "  platform-type [N]                      9: installs from the storage card; 8: from the SD card\n"
    "  reset [--fail on|off]                  the reset log; whether resets fail\n"
    "  store-block [--bytes N]                the persistent store block (first N bytes)\n"
    "  keys [--clear]                         injected key events\n"
    "  sounds [--clear]                       played sounds, with the volume word in force\n"
    "  power                                  the power manager: state, battery time-out (s), reloads\n"
    "  event NAME [--set|--reset|--wait MS]\n"
    "  installer [--behaviour finish|signal-only|no-key|crash|hang] [--seconds N]\n"
    "  touch [--offset DX,DY] [--scale SX,SY] [--reset] [--at X,Y]\n"
    "                                         the touch panel's wear; where a screen point lands\n"
    "A running utility (the newest, or the one with --pid N):\n"
    "  ps                                     running utilities: process id, front end, screen title\n"
    "  input [--pid N] tap|down|move|up X Y   stylus at screen pixel X Y (also dbltap)\n"
    "  input [--pid N] key K                  a key, as the script names it (also keydown, keyup, char)\n"
    "  input [--pid N] wait MS                advance a headless run's virtual time\n"
    "  screenshot [--pid N] [--now] FILE.png  the screen, once the program is idle (--now: at once)\n"
    "  dump [--pid N] [FILE]                  the windows as JSON Lines\n"
    "Bundles (tar: registry.reg, state.json, logs.json, files/):\n"
    "  save FILE.tar                          the whole device\n"
    "  load FILE.tar [--device NEW] [--force] lay a bundle into a new or empty root (--force: any)\n";

int Usage(const std::string& reason) {
  std::fprintf(stderr, "devicectl: %s\n", reason.c_str());
  return 2;
}

void InitCommand(const devicectl::Args& args, bool created, std::ostream& out) {
  devicectl::ExpectAtMost(args, 1, "init [--force]");
  bool force = !args.empty();
  if (force && args[0] != "--force") throw devicectl::UsageError("init takes only --force");
  if (created) {
    out << "created the default device at " << kernel::CurrentDevice().Root().string() << "\n";
  } else if (force) {
    device::ResetToDefaultImage();
    out << "reset the registry and hardware state of " << kernel::CurrentDevice().Root().string() << "\n";
  } else {
    throw devicectl::CommandError("a device already exists at " + kernel::CurrentDevice().Root().string() +
                                  " (init --force resets it)");
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  std::filesystem::path root;
  std::size_t i = 0;
  if (!words.empty() && (words[0] == "--help" || words[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!words.empty() && words[0] == "--device") {
    if (words.size() < 2) return Usage("--device needs a folder");
    root = words[1];
    i = 2;
  } else {
    root = device::DefaultDeviceRoot();
  }
  if (i >= words.size()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string command = words[i];
  devicectl::Args args(words.begin() + static_cast<long>(i) + 1, words.end());

  using Handler = std::function<void(const devicectl::Args&, std::ostream&)>;
  static const std::map<std::string, Handler> kCommands = {
      {"reg", devicectl::RegistryCommand},          {"backlight", devicectl::BacklightCommand},
      {"battery", devicectl::BatteryCommand},       {"volume", devicectl::VolumeCommand},
      {"platform-type", devicectl::PlatformTypeCommand}, {"reset", devicectl::ResetCommand},
      {"store-block", devicectl::StoreBlockCommand}, {"clock", devicectl::ClockCommand},
      {"tz", devicectl::TimeZoneCommand},           {"keys", devicectl::KeysCommand},
      {"sounds", devicectl::SoundsCommand},         {"event", devicectl::EventCommand},
      {"power", devicectl::PowerCommand},           {"installer", devicectl::InstallerCommand},
      {"touch", devicectl::TouchCommand},           {"ps", devicectl::PsCommand},
      {"input", devicectl::InputCommand},           {"screenshot", devicectl::ScreenshotCommand},
      {"dump", devicectl::DumpCommand},             {"save", devicectl::SaveCommand},
  };
  auto handler = kCommands.find(command);
  if (command == "load") {
    try {
      devicectl::LoadCommand(args, root, std::cout);
    } catch (const devicectl::UsageError& e) {
      return Usage(e.what());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "devicectl: %s\n", e.what());
      return 1;
    }
    return 0;
  }
  if (command != "init" && handler == kCommands.end()) return Usage("unknown command '" + devicectl::Shown(command) + "'");

  try {
    bool created = false;
    try {
      device::OpenDevice(root, &created);
    } catch (const kernel::DeviceStoreError& e) {
      // init --force is the way out of a damaged store; everything else reports it.
      bool repairable = e.m_kind == kernel::DeviceStoreError::Kind::kDamaged || e.m_kind == kernel::DeviceStoreError::Kind::kLink;
      if (command != "init" || args != devicectl::Args{"--force"} || !repairable) throw;
      auto aside = device::RepairDevice(root);
      std::cout << "moved the damaged store to " << aside.string() << " and laid the default registry and state\n";
      return 0;
    }
    if (command == "init") {
      InitCommand(args, created, std::cout);
    } else {
      handler->second(args, std::cout);
    }
  } catch (const devicectl::UsageError& e) {
    return Usage(e.what());
  } catch (const kernel::RegistryLimitError& e) {
    return Usage(e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "devicectl: %s\n", e.what());
    return 1;
  }
  std::cout.flush();
  return 0;
}
