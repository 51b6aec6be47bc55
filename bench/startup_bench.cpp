// Start-up costs: the utility's start-up sequence in process (snapshot restore, language id and
// module, single-instance mutex) and a whole headless utility process from exec to exit.
#include <benchmark/benchmark.h>

#include "app/screen_host.h"
#include "app/settings_snapshot.h"
#include "app/utility_app.h"
#include "tests/support/device_fixture.h"
#include "tests/support/test_device.h"

namespace {

void BM_StartUpSequence(benchmark::State& state) {
  testing_support::ImagedDevice device;
  SaveSnapshot();
  CImmediateScreenHost host;
  for (auto _ : state) {
    CUtilityApp app(host);
    benchmark::DoNotOptimize(AfxWinMain(app, u""));
  }
}
BENCHMARK(BM_StartUpSequence)->Unit(benchmark::kMicrosecond);

void BM_SaveSnapshot(benchmark::State& state) {
  testing_support::ImagedDevice device;
  for (auto _ : state) benchmark::DoNotOptimize(SaveSnapshot());
}
BENCHMARK(BM_SaveSnapshot)->Unit(benchmark::kMicrosecond);

void BM_UtilityProcess(benchmark::State& state) {
  char pattern[] = "/tmp/quorvane-bench-XXXXXX";
  std::string root = std::string(mkdtemp(pattern)) + "/device";
  testing_support::RunProgram({QUORVANE_UTILITY_BIN, "--headless", "--device", root});
  for (auto _ : state) {
    auto result = testing_support::RunProgram({QUORVANE_UTILITY_BIN, "--headless", "--device", root});
    if (result.status != 0) state.SkipWithError("utility failed");
  }
  std::filesystem::remove_all(std::filesystem::path(root).parent_path());
}
BENCHMARK(BM_UtilityProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
