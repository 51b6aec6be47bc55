#include "tests/support/test_device.h"
#include "tests/support/device_fixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/kernel/clock.h"
#include "platform/kernel/touch_calibration.h"

extern char** environ;

namespace testing_support {

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TestDevice::TestDevice() {
  char pattern[] = "/tmp/quorvane-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_root = pattern;
  m_device = std::make_shared<kernel::Device>(m_root);
  kernel::SetCurrentDevice(m_device);
  kernel::SetClockSource(kernel::MakeVirtualClock(kTestStartUtcMs));
}

TestDevice::~TestDevice() {
  kernel::SetCurrentDevice(nullptr);
  m_device.reset();
  std::error_code ec;
  std::filesystem::permissions(m_root, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(m_root, ec);
}

TouchDevice::TouchDevice() {
  kernel::TouchSamples raw;
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = kernel::TouchPanelRaw(kernel::TouchPanel{}, kernel::kTouchTargets[i]);
  if (!kernel::WriteCalibrationData(raw)) throw std::runtime_error("cannot write the touch calibration");
}

std::vector<std::uint8_t> ReadHostFile(const std::filesystem::path& file) {
  std::string text = ReadText(file);
  return {text.begin(), text.end()};
}

void WriteHostFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

pid_t StartProgram(std::vector<std::string> argv, int in, int out, int err, std::vector<std::string> env) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  for (char** e = environ; *e; ++e) env.push_back(*e);
  std::vector<char*> args, envp;
  for (auto& a : argv) args.push_back(a.data());
  for (auto& e : env) envp.push_back(e.data());
  args.push_back(nullptr);
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int AwaitExit(pid_t pid) {
  int status = 0;
  if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input) {
  char pattern[] = "/tmp/quorvane-run-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  const std::filesystem::path dir = pattern;
  std::ofstream(dir / "in", std::ios::binary) << input;
  const int in = ::open((dir / "in").c_str(), O_RDONLY | O_CLOEXEC);
  const int out = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  const int err = ::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ProgramResult result;
  result.status = AwaitExit(StartProgram(argv, in, out, err));
  for (int fd : {in, out, err}) ::close(fd);
  result.out = ReadText(dir / "out");
  result.err = ReadText(dir / "err");
  std::filesystem::remove_all(dir);
  return result;
}

}  // namespace testing_support
