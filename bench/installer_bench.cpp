// The navigator's installer started and waited for as the language page does, on the headless
// runner's virtual time: the real installer unpacks its package and works its 2 s of device time.
// A finished installation, and a hung installer whose wait runs through all 30 attempts (63 s of
// device time), each in real time.
#include <benchmark/benchmark.h>

#include "bench/bench_device.h"
#include "device/installer/installer_settings.h"
#include "install/installer_run.h"
#include "install/package_search.h"
#include "platform/kernel/device_programs.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/registry.h"

namespace {

void RunInstaller(benchmark::State& state, device::InstallerBehaviour behaviour, bool installed) {
  bench::CScratchDevice device;
  kernel::CurrentDevice().Store().SetInt(kernel::state::kInstallerBehaviour, static_cast<std::int64_t>(behaviour));
  if (FindPackage(PackageLayoutFor(9)->folder, 1033) != PACKAGE_SUCCESS) return state.SkipWithError("no package");
  for (auto _ : state) {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kInstallKey);
    if (RunInstallerAndWait(false) != installed) return state.SkipWithError("unexpected result");
    kernel::EndDevicePrograms();
  }
}

void BM_InstallerRunFinishes(benchmark::State& state) { RunInstaller(state, device::InstallerBehaviour::kFinish, true); }
BENCHMARK(BM_InstallerRunFinishes)->Unit(benchmark::kMillisecond);

void BM_InstallerRunHangsThroughAllAttempts(benchmark::State& state) {
  RunInstaller(state, device::InstallerBehaviour::kHang, false);
}
BENCHMARK(BM_InstallerRunHangsThroughAllAttempts)->Unit(benchmark::kMillisecond);

}  // namespace
