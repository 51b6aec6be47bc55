// A scratch device for the package installation tests, on a virtual clock that records every
// pause and wait time-out and can act at a given pause (a source vanishing, an installer finishing).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/win32_types.h"
#include "tests/support/test_device.h"

namespace install_testing {

class InstallTest : public testing::Test {
 protected:
  InstallTest() { kernel::SetClockSource(std::make_unique<PauseClock>(this)); }
  ~InstallTest() override { kernel::SetClockSource(kernel::MakeVirtualClock(testing_support::kTestStartUtcMs)); }

  // Writes a host file under the device root, creating its folders.
  void Lay(const std::string& relative, const std::string& text = "cab", bool runnable = false) {
    auto file = m_device.Host(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    if (runnable) std::filesystem::permissions(file, std::filesystem::perms::owner_exec,
                                               std::filesystem::perm_options::add);
  }
  std::string Read(const std::string& relative) const { return testing_support::ReadText(m_device.Host(relative)); }

  testing_support::TestDevice m_device;
  std::vector<DWORD> m_pauses;  // every pause and wait time-out in ms, in order
  std::function<void(std::size_t)> m_onPause;  // called with the number of each pause (from 1)

 private:
  class PauseClock final : public kernel::ClockSource {
   public:
    explicit PauseClock(InstallTest* test) : m_test(test) {}
    bool IsVirtual() const override { return true; }
    std::uint64_t MonotonicMs() override { return m_elapsed; }
    std::int64_t BaseUtcMs() override { return testing_support::kTestStartUtcMs + std::int64_t(m_elapsed); }
    void Sleep(DWORD ms) override {
      m_test->m_pauses.push_back(ms);
      if (m_test->m_onPause) m_test->m_onPause(m_test->m_pauses.size());
      m_elapsed += ms;
    }

   private:
    InstallTest* m_test;
    std::uint64_t m_elapsed = 0;
  };
};

}  // namespace install_testing
