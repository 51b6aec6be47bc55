#include "platform/kernel/touch_panel.h"

#include <algorithm>
#include <cmath>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"

namespace kernel {
namespace {

// The image's panel: the screen's centre reads (2047, 2049), and each pixel is 12 raw units across
// and 16 down, the axes reversed.
constexpr double kCentreRawX = 2047;
constexpr double kCentreRawY = 2049;
constexpr double kRawPerPixelX = 12;
constexpr double kRawPerPixelY = 16;
constexpr double kCentreX = kDeviceScreenWidth / 2;
constexpr double kCentreY = kDeviceScreenHeight / 2;

int Raw(double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, double{kTouchRawMax}))); }

}  // namespace

bool TouchPanelValid(const TouchPanel& panel) {
  auto scale = [](int milli) { return milli >= kTouchScaleMinMilli && milli <= kTouchScaleMaxMilli; };
  return std::abs(panel.offsetX) <= kTouchOffsetLimit && std::abs(panel.offsetY) <= kTouchOffsetLimit &&
         scale(panel.scaleXMilli) && scale(panel.scaleYMilli);
}

TouchPanel ReadTouchPanel() {
  if (!HasCurrentDevice()) return {};
  auto& store = CurrentDevice().Store();
  TouchPanel panel;
  // Each value is checked before it narrows, so no stored number can wrap into range.
  auto read = [&](const char* name, int& slot) {
    auto value = store.GetInt(name);
    if (value && *value >= -1'000'000 && *value <= 1'000'000) slot = static_cast<int>(*value);
  };
  read(state::kTouchOffsetX, panel.offsetX);
  read(state::kTouchOffsetY, panel.offsetY);
  read(state::kTouchScaleX, panel.scaleXMilli);
  read(state::kTouchScaleY, panel.scaleYMilli);
  return TouchPanelValid(panel) ? panel : TouchPanel{};
}

void WriteTouchPanel(const TouchPanel& panel) {
  auto& store = CurrentDevice().Store();
  store.Batch([&] {
    store.SetInt(state::kTouchOffsetX, panel.offsetX);
    store.SetInt(state::kTouchOffsetY, panel.offsetY);
    store.SetInt(state::kTouchScaleX, panel.scaleXMilli);
    store.SetInt(state::kTouchScaleY, panel.scaleYMilli);
  });
}

TouchPoint TouchPanelRaw(const TouchPanel& panel, TouchPoint physical) {
  double x = kCentreX + (physical.x - kCentreX) * panel.scaleXMilli / 1000.0 + panel.offsetX;
  double y = kCentreY + (physical.y - kCentreY) * panel.scaleYMilli / 1000.0 + panel.offsetY;
  return {Raw(kCentreRawX + (kCentreX - x) * kRawPerPixelX), Raw(kCentreRawY + (kCentreY - y) * kRawPerPixelY)};
}

}  // namespace kernel
