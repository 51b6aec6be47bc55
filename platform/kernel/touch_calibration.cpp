#include "platform/kernel/touch_calibration.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/kernel/device_root.h"
#include "platform/kernel/registry.h"

namespace kernel {
namespace {

// Reads a number of one to four digits up to 4095.
std::optional<int> TakeNumber(std::u16string_view& text) {
  int value = 0;
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9') {
    if (++digits > 4) return std::nullopt;
    value = value * 10 + (text[digits - 1] - u'0');
  }
  if (digits == 0 || value > kTouchRawMax) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

bool TakeChar(std::u16string_view& text, char16_t ch) {
  if (text.empty() || text.front() != ch) return false;
  text.remove_prefix(1);
  return true;
}

// Points whose spread is this small against its size lie on (or next to) one line.
constexpr double kDegenerateRatio = 1e-3;

RegistryPath TouchKeyPath() { return RegistryPath{HKEY_LOCAL_MACHINE, kTouchKey}; }

}  // namespace

std::optional<TouchSamples> ParseCalibrationData(std::u16string_view text) {
  TouchSamples raw;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    auto x = TakeNumber(text);
    if (!x || !TakeChar(text, u',')) return std::nullopt;
    auto y = TakeNumber(text);
    if (!y || (!TakeChar(text, u' ') && !(i + 1 == raw.size() && text.empty()))) return std::nullopt;
    raw[i] = {*x, *y};
  }
  if (!text.empty()) return std::nullopt;
  return raw;
}

std::u16string FormatCalibrationData(const TouchSamples& raw) {
  std::string text;
  for (const auto& point : raw) text += std::to_string(point.x) + "," + std::to_string(point.y) + " ";
  return std::u16string(text.begin(), text.end());
}

// Each screen axis is fitted on its own as a * raw x + b * raw y + c, over the points taken about
// their mean so the sums stay well-conditioned.
std::optional<TouchTransform> FitTouchTransform(const TouchSamples& raw) {
  double n = static_cast<double>(raw.size());
  double mx = 0, my = 0, mtx = 0, mty = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    mx += raw[i].x / n;
    my += raw[i].y / n;
    mtx += kTouchTargets[i].x / n;
    mty += kTouchTargets[i].y / n;
  }
  double sxx = 0, sxy = 0, syy = 0, sxtx = 0, sytx = 0, sxty = 0, syty = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    double dx = raw[i].x - mx, dy = raw[i].y - my;
    double tx = kTouchTargets[i].x - mtx, ty = kTouchTargets[i].y - mty;
    sxx += dx * dx;
    sxy += dx * dy;
    syy += dy * dy;
    sxtx += dx * tx;
    sytx += dy * tx;
    sxty += dx * ty;
    syty += dy * ty;
  }
  double det = sxx * syy - sxy * sxy;
  double size = sxx + syy;
  if (size <= 0 || det <= kDegenerateRatio * size * size) return std::nullopt;
  TouchTransform t;
  t.xx = (syy * sxtx - sxy * sytx) / det;
  t.xy = (sxx * sytx - sxy * sxtx) / det;
  t.x0 = mtx - t.xx * mx - t.xy * my;
  t.yx = (syy * sxty - sxy * syty) / det;
  t.yy = (sxx * syty - sxy * sxty) / det;
  t.y0 = mty - t.yx * mx - t.yy * my;
  return t;
}

TouchTransform IdealTouchTransform() {
  constexpr double kSteps = kTouchRawMax + 1;
  TouchTransform t;
  t.xx = -kDeviceScreenWidth / kSteps;
  t.x0 = kTouchRawMax * kDeviceScreenWidth / kSteps;
  t.yy = -kDeviceScreenHeight / kSteps;
  t.y0 = kTouchRawMax * kDeviceScreenHeight / kSteps;
  return t;
}

TouchSpot MapTouch(const TouchTransform& t, TouchPoint raw) {
  return {t.xx * raw.x + t.xy * raw.y + t.x0, t.yx * raw.x + t.yy * raw.y + t.y0};
}

TouchPoint TouchScreenPoint(const TouchTransform& transform, TouchPoint raw) {
  TouchSpot spot = MapTouch(transform, raw);
  auto held = [](double value, int size) {
    if (!std::isfinite(value)) return size / 2;
    return static_cast<int>(std::lround(std::clamp(value, 0.0, size - 1.0)));
  };
  return {held(spot.x, kDeviceScreenWidth), held(spot.y, kDeviceScreenHeight)};
}

TouchTransform ReadTouchTransform() {
  if (!HasCurrentDevice()) return IdealTouchTransform();
  std::optional<RegistryValue> value;
  try {
    value = RegistryGetValue(TouchKeyPath(), kCalibrationDataValue);
  } catch (const std::runtime_error&) {
    return IdealTouchTransform();  // a store that cannot be read leaves the device usable
  }
  if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return IdealTouchTransform();
  std::u16string text;
  for (std::size_t i = 0; i + 1 < value->data.size(); i += 2) {
    char16_t ch = static_cast<char16_t>(value->data[i] | value->data[i + 1] << 8);
    if (ch == 0) break;
    text.push_back(ch);
  }
  auto raw = ParseCalibrationData(text);
  auto fit = raw ? FitTouchTransform(*raw) : std::nullopt;
  return fit ? *fit : IdealTouchTransform();
}

bool WriteCalibrationData(const TouchSamples& raw) {
  std::u16string text = FormatCalibrationData(raw);
  RegistryValue value{kCalibrationDataValue, REG_SZ, {}};
  for (char16_t ch : text) {
    value.data.push_back(static_cast<std::uint8_t>(ch & 0xFF));
    value.data.push_back(static_cast<std::uint8_t>(ch >> 8));
  }
  value.data.insert(value.data.end(), {0, 0});
  try {
    return RegistrySetValue(TouchKeyPath(), value);
  } catch (const std::runtime_error&) {
    return false;
  }
}

}  // namespace kernel
