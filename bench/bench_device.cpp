#include "bench/bench_device.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

#include "device/default_image.h"
#include "platform/kernel/clock.h"

extern char** environ;

namespace bench {
namespace {

// 2026-03-01 12:00:00 UTC.
constexpr std::int64_t kStartUtcMs = 1772366400000;

}  // namespace

std::filesystem::path MakeScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
  return pattern;
}

CScratchDevice::CScratchDevice() : m_root(MakeScratchFolder()) {
  m_device = std::make_shared<kernel::Device>(m_root);
  kernel::SetCurrentDevice(m_device);
  kernel::SetClockSource(kernel::MakeVirtualClock(kStartUtcMs));
  device::LayDefaultImage();
}

CScratchDevice::~CScratchDevice() {
  kernel::SetCurrentDevice(nullptr);
  m_device.reset();
  std::error_code ec;
  std::filesystem::remove_all(m_root, ec);
}

int RunProgram(const std::vector<std::string>& argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int result = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

}  // namespace bench
