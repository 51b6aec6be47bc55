// A fresh, empty device for one test: a temporary root folder opened as the process's current
// device, on a virtual clock; removed again when the test ends.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/device_root.h"

namespace testing_support {

// 2026-03-01 12:00:00 UTC, the virtual clock's start in tests.
constexpr std::int64_t kTestStartUtcMs = 1772366400000;

class TestDevice {
 public:
  TestDevice();
  ~TestDevice();
  TestDevice(const TestDevice&) = delete;
  TestDevice& operator=(const TestDevice&) = delete;

  const std::filesystem::path& Root() const { return m_root; }
  kernel::Device& Device() { return *m_device; }
  // The host path under the root for a relative host path such as "My Flash Disk/Setting.dat".
  std::filesystem::path Host(const std::string& relative) const { return m_root / relative; }

 private:
  std::filesystem::path m_root;
  std::shared_ptr<kernel::Device> m_device;
};

// A fresh device whose screen is aligned with its touch panel, for tests that tap: its only
// registry value is the panel's "CalibrationData" (without one the touch driver's ideal mapping
// would put taps beside their aim).
class TouchDevice : public TestDevice {
 public:
  TouchDevice();
};

// Runs a program to its end and returns its exit status and what it printed.
struct ProgramResult {
  int status = -1;
  std::string out;
  std::string err;
};
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input = "");
// Starts a program on the given standard streams, its environment the test's own after `env`;
// -1 when it cannot start.
pid_t StartProgram(std::vector<std::string> argv, int in, int out, int err = 2, std::vector<std::string> env = {});
// Waits for a started program to end: its exit status, or 128 + the signal that ended it.
int AwaitExit(pid_t pid);
// A host file's whole content, or empty when it cannot be read.
std::string ReadText(const std::filesystem::path& file);

}  // namespace testing_support
