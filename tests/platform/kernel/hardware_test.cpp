#include "platform/kernel/hardware.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/last_error.h"
#include "tests/support/child_process.h"
#include "tests/support/test_device.h"

namespace {

TEST(KernelIoControlBacklight, InputSizeSetsOrQueriesTheLevel) {
  testing_support::TestDevice device;
  auto query = [] {
    DWORD level = 0;
    EXPECT_TRUE(KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, kBacklightQuery, nullptr, 0, &level));
    return level;
  };
  EXPECT_EQ(query(), 5u);  // fresh device
  for (DWORD level : {1u, 8u}) {
    EXPECT_TRUE(KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, level, nullptr, 0, nullptr));
    EXPECT_EQ(query(), level);
  }
  for (DWORD size : {0u, 10u, 0xFFFFFFFFu, kBacklightQuery}) {  // a query needs somewhere to answer
    SetLastError(0);
    EXPECT_FALSE(KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, size, nullptr, 0, nullptr)) << size;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(query(), 8u);
}

TEST(KernelIoControlBlock, ReadsAndWritesTheWholeBlock) {
  testing_support::TestDevice device;
  std::vector<std::uint8_t> written(kStoreBlockSize + 16), read(kStoreBlockSize + 4, 0xEE), zeros(kStoreBlockSize);
  DWORD returned = 0;
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_BLOCK_READ, nullptr, 0, read.data(), kStoreBlockSize, &returned));
  EXPECT_EQ(returned, kStoreBlockSize);
  EXPECT_EQ(std::count(read.begin(), read.end(), 0), kStoreBlockSize);  // never written: all zero
  for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i * 7 + 1);
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_BLOCK_WRITE, written.data(), kStoreBlockSize + 16, nullptr, 0, nullptr));

  // Short buffers are refused and leave the block and the buffer as they were.
  SetLastError(0);
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_BLOCK_WRITE, zeros.data(), kStoreBlockSize - 1, nullptr, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_BLOCK_READ, nullptr, 0, zeros.data(), kStoreBlockSize - 1, nullptr));
  EXPECT_EQ(zeros[0], 0);
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_BLOCK_READ, nullptr, 0, read.data(), kStoreBlockSize + 4, nullptr));
  EXPECT_TRUE(std::equal(read.begin(), read.begin() + kStoreBlockSize, written.begin()));
  EXPECT_EQ(read[kStoreBlockSize], 0xEE);  // nothing beyond the block is touched
}

TEST(KernelIoControlPlatformType, AnswersIntoAFourByteOutputOnly) {
  testing_support::TestDevice device;
  DWORD type = 0, returned = 0;
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, &type, 4, &returned));
  EXPECT_EQ(std::tuple(type, returned), std::tuple(9u, 4u));
  device.Device().Store().SetInt(kernel::state::kPlatformType, 8);
  std::uint64_t wide = 0;
  for (auto [output, size] : {std::pair<LPVOID, DWORD>{&wide, 8}, {&type, 2}, {nullptr, 4}}) {
    EXPECT_FALSE(KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, output, size, nullptr)) << size;
  }
  EXPECT_EQ(wide, 0u);
  ASSERT_TRUE(KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, &type, 4, nullptr));
  EXPECT_EQ(type, 8u);
  SetLastError(0);
  EXPECT_FALSE(KernelIoControl(0x01012024, nullptr, 0, &type, 4, &returned));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

// A refused reset is logged and returns FALSE; a successful one is logged and then, by default,
// ends the process at once with status 0, running no exit handlers.
TEST(KernelIoControlReset, LogsEveryRequestAndEndsTheProcessUnlessRefused) {
  testing_support::TestDevice device;
  device.Device().Store().SetInt(kernel::state::kResetFail, 1);
  testing_support::ChildProcess child(device.Root(), [](testing_support::ChildProcess&) {
    std::atexit([] { std::_Exit(7); });
    SetLastError(0);
    CHILD_CHECK(!KernelIoControl(IOCTL_HAL_RESET_DEVICE, nullptr, 0, nullptr, 0, nullptr));
    CHILD_CHECK(GetLastError() == ERROR_NOT_SUPPORTED);
    kernel::CurrentDevice().Store().SetInt(kernel::state::kResetFail, 0);
    kernel::Clock().Sleep(61'000);
    KernelIoControl(IOCTL_HAL_RESET_DEVICE, nullptr, 0, nullptr, 0, nullptr);
    return 3;
  });
  EXPECT_EQ(child.Join(), 0);
  // The local (Pacific) time of each request and whether it failed.
  std::vector<std::pair<std::string, std::int64_t>> log;
  for (const auto& e : device.Device().Store().ResetLog()) log.emplace_back(e.deviceTime, e.failed ? 1 : 0);
  EXPECT_EQ(log, (decltype(log){{"2026-03-01T04:00:00", 1}, {"2026-03-01T04:01:01", 0}}));
}

}  // namespace
