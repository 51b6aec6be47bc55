#include "platform/kernel/keyboard.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_store.h"
#include "tests/support/test_device.h"

namespace {

using KeyRecord = std::array<std::int64_t, 4>;  // vk, scan, flags, extra

std::vector<KeyRecord> KeyLog(kernel::Device& device) {
  std::vector<KeyRecord> log;
  for (const auto& e : device.Store().KeyLog()) {
    log.push_back({e.vk, e.scan, e.flags, static_cast<std::int64_t>(e.extra)});
  }
  return log;
}

// The close key that the program passes on as it ends: down with the silent flag, then up.
TEST(KeybdEvent, LogsEachKeyAndHandsItToTheSink) {
  testing_support::TestDevice device;
  std::vector<KeyRecord> delivered;
  kernel::SetKeyEventSink([&](BYTE vk, BYTE scan, DWORD flags) {
    // The key is already in the log when the window system sees it.
    EXPECT_EQ(KeyLog(device.Device()).size(), delivered.size() + 1);
    delivered.push_back({vk, scan, flags, 0});
  });
  keybd_event(0xC5, 0, KEYEVENTF_SILENT, 0);
  keybd_event(0xC5, 0, KEYEVENTF_KEYUP | KEYEVENTF_SILENT, 0);
  kernel::SetKeyEventSink(nullptr);
  keybd_event(0x26, 0x48, KEYEVENTF_EXTENDEDKEY, 1234);

  std::vector<KeyRecord> expected{{0xC5, 0, KEYEVENTF_SILENT, 0},
                                  {0xC5, 0, KEYEVENTF_KEYUP | KEYEVENTF_SILENT, 0},
                                  {0x26, 0x48, KEYEVENTF_EXTENDEDKEY, 1234}};
  EXPECT_EQ(KeyLog(device.Device()), expected);
  expected.pop_back();
  EXPECT_EQ(delivered, expected);
}

}  // namespace
