// Start-up and screen costs: the utility's start-up sequence in process (snapshot restore,
// language id and module, single-instance mutex, the main menu up to its first full frame and
// closed again), a full repaint of the main menu, and a whole headless utility process from exec
// through the menu's first frame to exit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "app/dialog_screen_host.h"
#include "app/settings_snapshot.h"
#include "app/utility_app.h"
#include "bench/bench_device.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/window.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"

namespace {

// Runs the utility without a command line; `atFirstFrame` is called once the menu is idle with
// everything painted, and the menu is then left with Escape.
template <typename AtFirstFrame>
void RunMainMenu(AtFirstFrame atFirstFrame) {
  bool done = false;
  gwes::SetIdleHook([&] {
    if (done) return;
    done = true;
    atFirstFrame();
    gwes::PostKey(VK_ESCAPE, true);
    gwes::PostKey(VK_ESCAPE, false);
  });
  CDialogScreenHost host;
  CUtilityApp app(host);
  AfxWinMain(app, u"");
  gwes::SetIdleHook(nullptr);
}

struct ProgramDevice : bench::CScratchDevice {
  ProgramDevice() {
    kernel::SetProgramResources(ProgramResourceBytes());
    gwes::RegisterStandardControls();
    SaveSnapshot();
  }
};

void BM_StartUpToFirstFrame(benchmark::State& state) {
  ProgramDevice device;
  for (auto _ : state) RunMainMenu([] {});
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMicrosecond);

void BM_MainMenuFullRepaint(benchmark::State& state) {
  ProgramDevice device;
  RunMainMenu([&] {
    HWND menu = gwes::TopLevelWindowList().front();
    for (auto _ : state) {
      RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
  });
}
BENCHMARK(BM_MainMenuFullRepaint)->Unit(benchmark::kMicrosecond);

void BM_SaveSnapshot(benchmark::State& state) {
  bench::CScratchDevice device;
  for (auto _ : state) benchmark::DoNotOptimize(SaveSnapshot());
}
BENCHMARK(BM_SaveSnapshot)->Unit(benchmark::kMicrosecond);

// exec, device open, start-up, the main menu's first full frame, Escape, exit.
void BM_UtilityProcessToFirstFrame(benchmark::State& state) {
  std::filesystem::path folder = bench::MakeScratchFolder();
  std::string root = (folder / "device").string();
  std::string script = (folder / "leave.txt").string();
  std::ofstream(script) << "key ESCAPE\n";
  std::vector<std::string> argv = {QUORVANE_UTILITY_BIN, "--headless", "--device", root, "--script", script};
  bench::RunProgram(argv);
  for (auto _ : state) {
    if (bench::RunProgram(argv) != 0) state.SkipWithError("utility failed");
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_UtilityProcessToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
