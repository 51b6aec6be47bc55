#include "platform/kernel/hardware.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/last_error.h"
#include "tests/support/test_device.h"

namespace {

struct ResetEntry {
  std::string deviceTime;
  std::int64_t failed;
};

std::vector<ResetEntry> ResetLog(kernel::Device& device) {
  std::vector<ResetEntry> log;
  device.Store().Read([&](sqlite3* db) {
    kernel::SqlStatement q(db, "SELECT device_time, failed FROM reset_log ORDER BY seq");
    while (q.Step()) log.push_back({q.Text(0), q.Int(1)});
  });
  return log;
}

DWORD QueryBacklight() {
  DWORD level = 0;
  EXPECT_TRUE(KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, kBacklightQuery, nullptr, 0, &level));
  return level;
}

// Puts the default reset handler back when a test that replaced it ends.
struct ResetHandlerGuard {
  ~ResetHandlerGuard() { kernel::SetResetHandler(nullptr); }
};

TEST(KernelIoControlBacklight, InputSizeSetsOrQueriesTheLevel) {
  testing_support::TestDevice device;
  EXPECT_EQ(QueryBacklight(), 5u);  // fresh device
  EXPECT_TRUE(KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, 3, nullptr, 0, nullptr));
  EXPECT_EQ(QueryBacklight(), 3u);
  EXPECT_TRUE(KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, 8, nullptr, 0, nullptr));

  for (DWORD size : {0u, 10u, 0xFFFFFFFFu}) {
    SetLastError(0);
    EXPECT_FALSE(KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, size, nullptr, 0, nullptr)) << size;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, kBacklightQuery, nullptr, 0, nullptr));
  EXPECT_EQ(QueryBacklight(), 8u);
}

TEST(KernelIoControlBlock, ReadsAndWritesTheWholeBlock) {
  testing_support::TestDevice device;
  std::vector<std::uint8_t> block(kStoreBlockSize, 0xEE);
  DWORD returned = 0;
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_BLOCK_READ, nullptr, 0, block.data(), kStoreBlockSize, &returned));
  EXPECT_EQ(returned, kStoreBlockSize);
  EXPECT_EQ(block, std::vector<std::uint8_t>(kStoreBlockSize, 0));  // never written: all zero

  std::vector<std::uint8_t> written(kStoreBlockSize + 16);
  for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i * 7 + 1);
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_BLOCK_WRITE, written.data(), kStoreBlockSize + 16, nullptr, 0, nullptr));
  std::vector<std::uint8_t> read(kStoreBlockSize + 4, 0xEE);
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_BLOCK_READ, nullptr, 0, read.data(), kStoreBlockSize + 4, nullptr));
  EXPECT_TRUE(std::equal(read.begin(), read.begin() + kStoreBlockSize, written.begin()));
  EXPECT_EQ(read[kStoreBlockSize], 0xEE);  // nothing beyond the block is touched

  // Short buffers are refused and leave the block as it was.
  std::vector<std::uint8_t> zeros(kStoreBlockSize, 0);
  SetLastError(0);
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_BLOCK_WRITE, zeros.data(), kStoreBlockSize - 1, nullptr, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_BLOCK_READ, nullptr, 0, zeros.data(), kStoreBlockSize - 1, nullptr));
  EXPECT_EQ(zeros[0], 0);
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_BLOCK_READ, nullptr, 0, read.data(), kStoreBlockSize, nullptr));
  EXPECT_EQ(read[0], written[0]);
}

TEST(KernelIoControlPlatformType, AnswersIntoAFourByteOutputOnly) {
  testing_support::TestDevice device;
  DWORD type = 0;
  DWORD returned = 0;
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, &type, 4, &returned));
  EXPECT_EQ(type, 9u);
  EXPECT_EQ(returned, 4u);
  device.Device().Store().SetInt(kernel::state::kPlatformType, 8);
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, &type, 4, nullptr));
  EXPECT_EQ(type, 8u);

  std::uint64_t wide = 0;
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, &wide, 8, nullptr));
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, &type, 2, nullptr));
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, nullptr, 4, nullptr));
  EXPECT_EQ(wide, 0u);

  SetLastError(0);
  EXPECT_FALSE(KernelIoControl(0x01012024, nullptr, 0, &type, 4, &returned));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST(KernelIoControlReset, LogsEveryRequestAndFailsWhenTheDeviceRefuses) {
  testing_support::TestDevice device;
  ResetHandlerGuard guard;
  int resets = 0;
  kernel::SetResetHandler([&] { ++resets; });

  device.Device().Store().SetInt(kernel::state::kResetFail, 1);
  SetLastError(0);
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_RESET_DEVICE, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(resets, 0);

  device.Device().Store().SetInt(kernel::state::kResetFail, 0);
  kernel::Clock().Sleep(61'000);
  EXPECT_TRUE(KernelIoControl(IOCTL_HAL_RESET_DEVICE, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_EQ(resets, 1);

  auto log = ResetLog(device.Device());
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].deviceTime, "2026-03-01T04:00:00");  // local (Pacific) time of the request
  EXPECT_EQ(log[0].failed, 1);
  EXPECT_EQ(log[1].deviceTime, "2026-03-01T04:01:01");
  EXPECT_EQ(log[1].failed, 0);
}

// The default reset ends the process at once with status 0, running no exit handlers, after the
// request has reached the device store.
TEST(KernelIoControlReset, DefaultResetEndsTheProcessAfterLogging) {
  testing_support::TestDevice device;
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child opens the device afresh rather than share the parent's database connection.
    kernel::SetCurrentDevice(std::make_shared<kernel::Device>(device.Root()));
    std::atexit([] { std::_Exit(7); });
    KernelIoControl(IOCTL_HAL_RESET_DEVICE, nullptr, 0, nullptr, 0, nullptr);
    std::_Exit(3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  auto log = ResetLog(device.Device());
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].failed, 0);
}

}  // namespace
