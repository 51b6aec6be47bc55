// The date and time page in process: one tick of its clock timer while the shown second stays (no
// drawing), and ticks following the clock half a second apart (the picker redrawn every second
// tick), each with the repaint it causes.
#include <benchmark/benchmark.h>

#include "bench/bench_device.h"
#include "bench/run_page.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/window.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "screens/date_time_dlg.h"

namespace {

struct PageDevice : bench::CScratchDevice {
  PageDevice() {
    kernel::SetProgramResources(ProgramResourceBytes());
    gwes::RegisterStandardControls();
  }
};

// The counter "frames" counts the drawing per tick.
void MeasureTicks(benchmark::State& state, DWORD advanceMs) {
  bench::RunPage<CDateTimeDlg>([&](HWND page) {
    HWND picker = GetDlgItem(page, IDC_CLOCK_TIME);
    std::uint64_t before = gwes::ScreenDirtyCount();
    for (auto _ : state) {
      kernel::AdvanceVirtualTime(advanceMs);
      SendMessageW(page, WM_TIMER, CDateTimeDlg::kClockTimer, 0);
      UpdateWindow(picker);
    }
    state.counters["frames"] = benchmark::Counter(static_cast<double>(gwes::ScreenDirtyCount() - before),
                                                  benchmark::Counter::kAvgIterations);
  });
}

void BM_DateTimePageTickWithinASecond(benchmark::State& state) {
  PageDevice device;
  MeasureTicks(state, 0);
}
BENCHMARK(BM_DateTimePageTickWithinASecond)->Unit(benchmark::kMicrosecond);

void BM_DateTimePageTickFollowingTheClock(benchmark::State& state) {
  PageDevice device;
  MeasureTicks(state, CDateTimeDlg::kClockMs);
}
BENCHMARK(BM_DateTimePageTickFollowingTheClock)->Unit(benchmark::kMicrosecond);

}  // namespace
