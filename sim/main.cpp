// utility: runs the settings utility on a simulated device.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "app/dialog_screen_host.h"
#include "app/utility_app.h"
#include "device/default_image.h"
#include "platform/gwes/controls/controls.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/resources.h"
#include "platform/kernel/time_zone.h"
#include "platform/kernel/wide_string.h"
#include "res/program_resources.h"
#include "sim/front_end.h"
#include "sim/options.h"
#include "sim/shown_text.h"

namespace {

constexpr const char* kUsage =
    "usage: utility [--device DIR] [--headless] [--script FILE|-] [--shots DIR]\n"
    "               [--clock LOCAL-ISO-TIME] [--scale N] [--no-frame] [--record FILE]\n"
    "               [--help] [--] [COMMAND LINE...]\n"
    "Runs the settings utility on a simulated device, in a window or headless.\n"
    "  --device DIR      the device root (else $QUORVANE_DEVICE, else ~/.local/share/quorvane/device)\n"
    "  --headless        no window: virtual time, driven by --script and devicectl\n"
    "  --script FILE|-   script commands, one a line (- reads standard input); in a window\n"
    "                    they run at real speed; without one a headless run lasts until the\n"
    "                    program ends\n"
    "  --shots DIR       where the script's relative shot and dump files go, and the window's\n"
    "                    screenshots (F12; default ./shots)\n"
    "  --clock TIME      sets the device's local time first, e.g. 2026-12-06T14:30:00\n"
    "  --scale N         window scale from 1 to 8 (default 2; reduced to fit the screen)\n"
    "  --no-frame        the bare screen and status strip, without the device's frame\n"
    "  --record FILE     writes the window session's input as a headless script\n"
    "  --help            this text\n"
    "COMMAND LINE is the device's: nothing (the main menu), -SelLang, -SelTimezone,\n"
    "-NoDataMsg or -LowPowerMsg. SIGINT, SIGTERM and closing the window press the device's\n"
    "close key; a second one ends the program at once.\n";

constexpr int kStatusBadOptions = 2;
constexpr int kStatusDeviceFailure = 1;

int Fail(int status, const std::string& reason) {
  std::fprintf(stderr, "utility: %s\n", reason.c_str());
  return status;
}

// Reading the index of the embedded resources maps every page of them (a header lies between each
// two bitmaps). They are the program file's own read-only data, so those pages are handed back:
// the few a resource needs are read again from the file when it is used.
void ReleaseResourcePages(std::span<const std::uint8_t> bytes) {
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto first = (reinterpret_cast<std::uintptr_t>(bytes.data()) + page - 1) / page * page;
  const auto last = (reinterpret_cast<std::uintptr_t>(bytes.data()) + bytes.size()) / page * page;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto options = sim::ParseUtilityOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) return Fail(kStatusBadOptions, error);
  if (options->help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (options->script && *options->script != "-" &&
      (std::filesystem::is_directory(*options->script) || !std::ifstream(*options->script))) {
    return Fail(kStatusBadOptions, "cannot read the script " + sim::Shown(*options->script));
  }
  if (options->shots) {
    std::error_code ec;
    std::filesystem::create_directories(*options->shots, ec);
    if (ec) return Fail(kStatusBadOptions, "cannot create the shots folder " + sim::Shown(*options->shots) + ": " + ec.message());
  }

  kernel::SetProgramResources(ProgramResourceBytes());
  ReleaseResourcePages(ProgramResourceBytes());
  // The headless runner keeps virtual time, starting at the host's present; a window runs in real time.
  if (options->headless) kernel::SetClockSource(kernel::MakeVirtualClock(kernel::MakeRealClock()->BaseUtcMs()));
  try {
    device::OpenDevice(options->device ? std::filesystem::path(*options->device) : device::DefaultDeviceRoot());
  } catch (const std::exception& e) {
    return Fail(kStatusDeviceFailure, e.what());
  }
  if (options->clock) {
    SYSTEMTIME local = *kernel::ParseLocalDateTime(*options->clock);
    SetLocalTime(&local);
  }

  gwes::RegisterStandardControls();
  CDialogScreenHost host;
  CUtilityApp app(host);
  std::u16string commandLine = kernel::Utf8ToWide(options->commandLine);
  if (!ScreenForCommandLine(commandLine)) {
    // The program still starts and ends at once, as the device's does with such a command line.
    std::fprintf(stderr, "utility: the device command line %s is not one the program knows; it ends at once\n",
                 sim::Shown(options->commandLine).c_str());
  }
  // Without a script a headless run is driven through devicectl alone and lasts until the program
  // ends.
  std::ifstream scriptFile;
  std::istream* script = nullptr;
  sim::ScriptPlaces places;
  places.shotsFolder = options->shots.value_or("");
  if (options->script && *options->script == "-") {
    script = &std::cin;
    places.readInBackground = true;
  } else if (options->script) {
    scriptFile.open(*options->script);
    script = &scriptFile;
    // A script from a pipe or a device may keep the runner waiting for its next line.
    places.readInBackground = !std::filesystem::is_regular_file(*options->script);
    places.imagesFolder = std::filesystem::path(*options->script).parent_path().string();
  }
  if (!options->headless) {
    sim::WindowOptions window;
    window.scale = options->scale;
    window.frame = options->frame;
    window.script = script;
    window.scriptPlaces = places;
    window.record = options->record.value_or("");
    return sim::RunWithWindow(app, commandLine, window);
  }
  return sim::RunHeadless(app, commandLine, script, places);
}
