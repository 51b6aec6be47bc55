// From a key press to the next full frame, in process: a key is posted the way a device key
// reaches the program, and the time runs until the program is idle again with everything painted.
// The main menu moves its selection; the backlight page moves its slider, which also sets the
// backlight and writes it to the registry.
#include <benchmark/benchmark.h>

#include <chrono>

#include "app/dialog_screen_host.h"
#include "app/settings_snapshot.h"
#include "app/utility_app.h"
#include "bench/bench_device.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/virtual_keys.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "screens/backlight_dlg.h"

namespace {

constexpr int kPressesPerRun = 100;

using Clock = std::chrono::steady_clock;

// Presses `forward` and `back` in turn, each once the previous press is painted, then leaves with
// Escape. Returns the summed time from each key-down to the idle after it.
class KeyPresses {
 public:
  KeyPresses(UINT forward, UINT back) : m_keys{forward, back} {}

  void OnIdle() {
    if (m_pressed > 0 && !m_left) m_total += Clock::now() - m_start;
    if (m_pressed == kPressesPerRun) {
      if (!m_left) gwes::PostKey(VK_ESCAPE, true), gwes::PostKey(VK_ESCAPE, false);
      m_left = true;
      return;
    }
    UINT key = m_keys[m_pressed % 2];
    ++m_pressed;
    m_start = Clock::now();
    gwes::PostKey(key, true);
    gwes::PostKey(key, false);
  }
  double Seconds() const { return std::chrono::duration<double>(m_total).count(); }

 private:
  UINT m_keys[2];
  int m_pressed = 0;
  bool m_left = false;
  Clock::time_point m_start;
  Clock::duration m_total{};
};

struct ProgramDevice : bench::CScratchDevice {
  ProgramDevice() {
    kernel::SetProgramResources(ProgramResourceBytes());
    gwes::RegisterStandardControls();
    SaveSnapshot();
  }
};

// Runs `run` (a screen up to its end) again and again with the presses; the time shown is for a
// run of presses, the counter gives one press.
template <typename Run>
void MeasureKeys(benchmark::State& state, UINT forward, UINT back, Run run) {
  ProgramDevice device;
  double seconds = 0;
  for (auto _ : state) {
    KeyPresses presses(forward, back);
    gwes::SetIdleHook([&] { presses.OnIdle(); });
    run();
    gwes::SetIdleHook(nullptr);
    state.SetIterationTime(presses.Seconds());
    seconds += presses.Seconds();
  }
  if (state.iterations() > 0) state.counters["us_per_key"] = seconds * 1e6 / (state.iterations() * kPressesPerRun);
}

void BM_MainMenuKeyToFrame(benchmark::State& state) {
  MeasureKeys(state, VK_RIGHT, VK_LEFT, [] {
    CDialogScreenHost host;
    CUtilityApp app(host);
    AfxWinMain(app, u"");
  });
}
BENCHMARK(BM_MainMenuKeyToFrame)->Unit(benchmark::kMicrosecond)->UseManualTime();

void BM_BacklightPageKeyToFrame(benchmark::State& state) {
  MeasureKeys(state, VK_UP, VK_DOWN, [] { CBacklightDlg().DoModal(); });
}
BENCHMARK(BM_BacklightPageKeyToFrame)->Unit(benchmark::kMicrosecond)->UseManualTime();

}  // namespace
