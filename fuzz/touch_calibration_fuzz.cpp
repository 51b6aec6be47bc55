// "CalibrationData" text from outside: the parser must never crash, whatever it accepts must lie
// on the panel and come back unchanged through FormatCalibrationData, and the transform fitted to
// it must put every raw point somewhere on the screen.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/kernel/touch_calibration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks how the rest reads: one character a byte (digits come easily), or UTF-16LE.
  std::u16string text;
  if (size > 0 && (data[0] & 1)) {
    for (std::size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  } else {
    for (std::size_t i = 1; i < size; ++i) text.push_back(data[i]);
  }
  auto raw = kernel::ParseCalibrationData(text);
  if (!raw) return 0;
  for (const auto& point : *raw)
    if (point.x < 0 || point.x > kernel::kTouchRawMax || point.y < 0 || point.y > kernel::kTouchRawMax) std::abort();
  if (kernel::ParseCalibrationData(kernel::FormatCalibrationData(*raw)) != raw) std::abort();
  auto fit = kernel::FitTouchTransform(*raw);
  if (!fit) return 0;
  for (kernel::TouchPoint corner : {kernel::TouchPoint{0, 0}, {kernel::kTouchRawMax, kernel::kTouchRawMax}, (*raw)[0]}) {
    kernel::TouchPoint screen = kernel::TouchScreenPoint(*fit, corner);
    if (screen.x < 0 || screen.x >= kDeviceScreenWidth || screen.y < 0 || screen.y >= kDeviceScreenHeight)
      std::abort();
  }
  return 0;
}
