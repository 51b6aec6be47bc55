// The power page in process: opening it to its first full frame (and closing it again), and one
// status refresh when the device reports what the page shows (no drawing) and when it reports a
// change (charging: the gauge moves and is drawn).
#include <benchmark/benchmark.h>

#include "bench/bench_device.h"
#include "bench/run_page.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/window.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/power.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "screens/power_dlg.h"

namespace {

struct PageDevice : bench::CScratchDevice {
  PageDevice(int ac, int flag, int percent) {
    kernel::SetProgramResources(ProgramResourceBytes());
    gwes::RegisterStandardControls();
    auto& store = kernel::CurrentDevice().Store();
    store.SetInt(kernel::state::kBatteryAc, ac);
    store.SetInt(kernel::state::kBatteryFlag, flag);
    store.SetInt(kernel::state::kBatteryPercent, percent);
  }
};

void BM_PowerPageToFirstFrame(benchmark::State& state) {
  PageDevice device(AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, 85);
  for (auto _ : state) bench::RunPage<CPowerDlg>([](HWND) {});
}
BENCHMARK(BM_PowerPageToFirstFrame)->Unit(benchmark::kMicrosecond);

// One refresh timer message; the counter "frames" counts the drawing it caused per refresh.
void MeasureRefresh(benchmark::State& state) {
  bench::RunPage<CPowerDlg>([&](HWND page) {
    SendMessageW(page, WM_TIMER, CPowerDlg::kRefreshTimer, 0);  // the first refresh after opening
    std::uint64_t before = gwes::ScreenDirtyCount();
    for (auto _ : state) SendMessageW(page, WM_TIMER, CPowerDlg::kRefreshTimer, 0);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(gwes::ScreenDirtyCount() - before),
                                                  benchmark::Counter::kAvgIterations);
  });
}

void BM_PowerPageRefreshWithoutChange(benchmark::State& state) {
  PageDevice device(AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, 85);
  MeasureRefresh(state);
}
BENCHMARK(BM_PowerPageRefreshWithoutChange)->Unit(benchmark::kMicrosecond);

void BM_PowerPageRefreshCharging(benchmark::State& state) {
  PageDevice device(AC_LINE_ONLINE, BATTERY_FLAG_CHARGING, 50);
  MeasureRefresh(state);
}
BENCHMARK(BM_PowerPageRefreshCharging)->Unit(benchmark::kMicrosecond);

}  // namespace
