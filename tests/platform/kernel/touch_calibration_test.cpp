#include "platform/kernel/touch_calibration.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel/registry.h"
#include "platform/kernel/wide_string.h"
#include "tests/support/device_fixture.h"

namespace {

using kernel::TouchPoint;

// The worst distance, either way, between a grid of screen points and where the panel and the
// transform put them.
int WorstMiss(const kernel::TouchPanel& panel, const kernel::TouchTransform& transform, TouchPoint shift = {}) {
  int worst = 0;
  for (int x = 0; x < kDeviceScreenWidth; x += 7) {
    for (int y = 0; y < kDeviceScreenHeight; y += 7) {
      TouchPoint seen = kernel::TouchScreenPoint(transform, kernel::TouchPanelRaw(panel, {x, y}));
      TouchPoint aim{std::clamp(x + shift.x, 0, 319), std::clamp(y + shift.y, 0, 239)};
      worst = std::max({worst, std::abs(seen.x - aim.x), std::abs(seen.y - aim.y)});
    }
  }
  return worst;
}

kernel::TouchSamples ReadAtTargets(const kernel::TouchPanel& panel) {
  kernel::TouchSamples raw;
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = kernel::TouchPanelRaw(panel, kernel::kTouchTargets[i]);
  return raw;
}

TEST(TouchCalibration, TheImagesPanelAndCalibrationAgreeAndAnAlignmentFollowsAWornPanel) {
  testing_support::ImagedDevice device;
  EXPECT_EQ(kernel::ReadTouchPanel(), kernel::TouchPanel{});
  EXPECT_LE(WorstMiss({}, kernel::ReadTouchTransform()), 1);

  struct Row {
    kernel::TouchPanel panel;
    TouchPoint centre, corner;  // where taps aimed at (160, 120) and (20, 20) land before the alignment
  } rows[] = {
      {{12, -9, 1000, 1000}, {172, 111}, {32, 11}},
      {{3, 4, 1050, 950}, {163, 124}, {16, 29}},  // still on the panel at the edges
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.panel.offsetX);
    kernel::WriteTouchPanel(row.panel);
    ASSERT_EQ(kernel::ReadTouchPanel(), row.panel);
    auto landing = [&](TouchPoint aim) {
      return kernel::TouchScreenPoint(kernel::ReadTouchTransform(), kernel::TouchPanelRaw(row.panel, aim));
    };
    EXPECT_EQ(std::pair(landing({160, 120}), landing({20, 20})), std::pair(row.centre, row.corner));
    auto fit = kernel::FitTouchTransform(ReadAtTargets(row.panel));
    ASSERT_TRUE(fit);
    EXPECT_LE(WorstMiss(row.panel, *fit), 1);
  }
}

// Where a transform puts three raw points spread over the panel.
std::vector<TouchPoint> Mapped(const kernel::TouchTransform& transform) {
  std::vector<TouchPoint> out;
  for (TouchPoint raw : {TouchPoint{0, 0}, TouchPoint{4095, 4095}, TouchPoint{1000, 3000}}) {
    out.push_back(kernel::TouchScreenPoint(transform, raw));
  }
  return out;
}

TEST(TouchCalibration, OnlyFiveInRangePairsThatSpanThePanelAreTakenElseTheIdealMapping) {
  testing_support::TestDevice device;
  const kernel::TouchSamples good{{{2000, 2100}, {3500, 3600}, {3500, 500}, {500, 500}, {500, 3600}}};
  const kernel::RegistryPath key{HKEY_LOCAL_MACHINE, kernel::kTouchKey};
  const std::u16string four = u"2000,2100 3500,3600 3500,500 500,500 ";
  struct Row {
    std::optional<std::u16string> text;  // none: no value
    DWORD type;
    bool taken;
  } rows[] = {
      {four + u"500,3600 ", REG_SZ, true}, {four + u"500,3600", REG_SZ, true}, {std::nullopt, REG_SZ, false},
      {four + u"500,3600 ", REG_BINARY, false}, {u"", REG_SZ, false}, {u"garbage", REG_SZ, false},
      {four, REG_SZ, false}, {four + u"500,3600 1,1 ", REG_SZ, false}, {four + u"500,4096 ", REG_SZ, false},
      {four + u"500,99999999999999999999 ", REG_SZ, false}, {four + u"500,-36 ", REG_SZ, false},
      {u"2000, 2100 3500,3600 3500,500 500,500 500,3600 ", REG_SZ, false},
      {u"2000,2100  3500,3600 3500,500 500,500 500,3600 ", REG_SZ, false},
      {u"2000,2000 2000,2000 2000,2000 2000,2000 2000,2000 ", REG_SZ, false},  // one point
      {u"100,100 200,200 300,300 400,400 500,500 ", REG_SZ, false},            // one line
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(kernel::WideToUtf8(row.text.value_or(u"none")));
    kernel::RegistryDeleteValue(key, kernel::kCalibrationDataValue);
    if (row.text) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(row.text->c_str());
      std::vector<std::uint8_t> data(bytes, bytes + 2 * row.text->size() + 2);  // with its terminator
      kernel::RegistrySetValue(key, {kernel::kCalibrationDataValue, row.type, data});
    }
    auto expected = row.taken ? *kernel::FitTouchTransform(good) : kernel::IdealTouchTransform();
    EXPECT_EQ(Mapped(kernel::ReadTouchTransform()), Mapped(expected));
  }
  ASSERT_TRUE(kernel::WriteCalibrationData(good));
  EXPECT_EQ(Mapped(kernel::ReadTouchTransform()), Mapped(*kernel::FitTouchTransform(good))) << "written as it is read";
  // The ideal mapping spreads the raw range over the screen with the axes reversed.
  EXPECT_EQ(kernel::TouchScreenPoint(kernel::IdealTouchTransform(), {4095, 4095}), (TouchPoint{0, 0}));
  EXPECT_EQ(kernel::TouchScreenPoint(kernel::IdealTouchTransform(), {0, 0}), (TouchPoint{319, 239}));
}

}  // namespace
