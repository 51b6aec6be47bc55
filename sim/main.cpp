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
#include <sstream>
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

namespace {

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

void SetDeviceClock(const sim::LocalDateTime& t) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(t.year);
  local.wMonth = static_cast<WORD>(t.month);
  local.wDay = static_cast<WORD>(t.day);
  local.wHour = static_cast<WORD>(t.hour);
  local.wMinute = static_cast<WORD>(t.minute);
  local.wSecond = static_cast<WORD>(t.second);
  SetLocalTime(&local);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto options = sim::ParseUtilityOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) return Fail(kStatusBadOptions, error);
  if (options->script && *options->script != "-" && !std::ifstream(*options->script)) {
    return Fail(kStatusBadOptions, "cannot read the script " + *options->script);
  }
  if (options->shots) {
    std::error_code ec;
    std::filesystem::create_directories(*options->shots, ec);
    if (ec) return Fail(kStatusBadOptions, "cannot create the shots folder " + *options->shots + ": " + ec.message());
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
  if (options->clock) SetDeviceClock(*sim::ParseLocalDateTime(*options->clock));

  gwes::RegisterStandardControls();
  CDialogScreenHost host;
  CUtilityApp app(host);
  std::u16string commandLine = kernel::Utf8ToWide(options->commandLine);
  if (!options->headless) return sim::RunWithWindow(app, commandLine, options->scale);
  // Without a script the run is an empty script: a screen left waiting ends the run with status 3.
  std::ifstream scriptFile;
  std::istringstream noScript;
  std::istream* script = &noScript;
  if (options->script && *options->script == "-") {
    script = &std::cin;
  } else if (options->script) {
    scriptFile.open(*options->script);
    script = &scriptFile;
  }
  return sim::RunHeadless(app, commandLine, *script, options->shots.value_or(""));
}
