// Memory of a whole headless utility process: exec, device open, start-up, the main menu's first
// full frame, Escape, exit, as the kernel counts its peak resident set (VmHWM: every page mapped at
// once, the program's and the libraries' code included). The figure is read as the process exits,
// from its own address space: wait4's ru_maxrss would also count the memory of the benchmark
// process the child was forked from.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

long HighWaterKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// Runs the program with its output discarded; its peak resident set in KiB, or -1 when it failed.
long PeakResidentKiB(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  // The child stops at its exec, then at its exit while its memory is still there.
  long peak = -1;
  int status = 0;
  bool first = true;
  while (waitpid(child, &status, 0) == child && WIFSTOPPED(status)) {
    int signal = 0;
    if (first) {
      ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);
      first = false;
    } else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
      peak = HighWaterKiB(child);
    } else {
      signal = WSTOPSIG(status);
    }
    ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(static_cast<long>(signal)));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? peak : -1;
}

void BM_UtilityProcessPeakMemory(benchmark::State& state) {
  char pattern[] = "/tmp/quorvane-bench-XXXXXX";
  std::filesystem::path folder = mkdtemp(pattern);
  std::string script = (folder / "leave.txt").string();
  std::ofstream(script) << "key ESCAPE\n";
  std::vector<std::string> argv = {QUORVANE_UTILITY_BIN, "--headless", "--device", (folder / "device").string(),
                                   "--script", script};
  PeakResidentKiB(argv);  // lays the device
  std::vector<long> peaks;
  for (auto _ : state) {
    const long peak = PeakResidentKiB(argv);
    if (peak < 0) {
      state.SkipWithError("the utility failed, or its memory could not be read (ptrace refused)");
      break;
    }
    peaks.push_back(peak);
  }
  std::filesystem::remove_all(folder);
  if (peaks.empty()) return;
  std::sort(peaks.begin(), peaks.end());
  state.counters["peak_rss_KiB"] = static_cast<double>(peaks[peaks.size() / 2]);
  state.counters["max_peak_rss_KiB"] = static_cast<double>(peaks.back());
}
BENCHMARK(BM_UtilityProcessPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(25);

}  // namespace
