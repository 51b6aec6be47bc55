#include "platform/gwes/touch_driver.h"

#include <filesystem>
#include <mutex>

#include "platform/kernel/device_root.h"

namespace gwes {
namespace {

// The calibration in force and the device it was read for: a process that changes devices (as
// tests do) reads the new device's value at its first use.
std::mutex g_lock;
std::filesystem::path g_device;
bool g_loaded = false;
kernel::TouchTransform g_transform;

std::filesystem::path CurrentRoot() {
  return kernel::HasCurrentDevice() ? kernel::CurrentDevice().Root() : std::filesystem::path();
}

}  // namespace

POINT TouchDriverScreenPoint(POINT raw) {
  auto root = CurrentRoot();
  std::lock_guard guard(g_lock);
  if (!g_loaded || g_device != root) {
    g_transform = kernel::ReadTouchTransform();
    g_device = root;
    g_loaded = true;
  }
  kernel::TouchPoint screen = kernel::TouchScreenPoint(g_transform, {raw.x, raw.y});
  return POINT{screen.x, screen.y};
}

void SetTouchCalibration(const kernel::TouchSamples& raw) {
  auto fit = kernel::FitTouchTransform(raw);
  auto root = CurrentRoot();
  std::lock_guard guard(g_lock);
  g_transform = fit ? *fit : kernel::IdealTouchTransform();
  g_device = root;
  g_loaded = true;
}

}  // namespace gwes
