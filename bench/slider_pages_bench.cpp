// The backlight and volume pages in process: from DoModal to the page's first full frame (the
// first moment the page is idle with everything painted), on the program's resources and a
// scratch device.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/bench_device.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "screens/backlight_dlg.h"
#include "screens/volume_dlg.h"

namespace {

template <typename Page>
void BM_PageToFirstFrame(benchmark::State& state) {
  bench::CScratchDevice device;
  kernel::SetProgramResources(ProgramResourceBytes());
  gwes::RegisterStandardControls();
  for (auto _ : state) {
    Page page;
    auto start = std::chrono::steady_clock::now();
    bool framed = false;
    gwes::SetIdleHook([&] {
      if (framed) return;
      framed = true;
      state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      page.EndDialog(IDOK);
      PostMessageW(page.m_hWnd, WM_NULL, 0, 0);
    });
    page.DoModal();
    gwes::SetIdleHook(nullptr);
    if (!framed) state.SkipWithError("the page never became idle");
  }
}
BENCHMARK_TEMPLATE(BM_PageToFirstFrame, CBacklightDlg)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK_TEMPLATE(BM_PageToFirstFrame, CVolumeDlg)->Unit(benchmark::kMicrosecond)->UseManualTime();

}  // namespace
