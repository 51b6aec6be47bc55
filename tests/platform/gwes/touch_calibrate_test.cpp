#include "platform/gwes/touch_calibrate.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/input.h"
#include "platform/gwes/surface.h"
#include "platform/gwes/touch_driver.h"
#include "platform/gwes/window.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/touch_calibration.h"
#include "tests/platform/gwes/message_log.h"
#include "tests/support/device_fixture.h"

namespace {

using kernel::kTouchTargets;

// One thing the user does while the alignment screen waits.
struct Act {
  enum Kind { Aim, TapAt, Key, Wait } kind;
  int a = 0, b = 0, c = 0;  // Aim: target, miss x, miss y; TapAt: x, y; Key: vk; Wait: ms
};
Act AimAt(int target, int missX = 0, int missY = 0) { return {Act::Aim, target, missX, missY}; }
const Act kRound[] = {AimAt(0), AimAt(1), AimAt(2), AimAt(3), AimAt(4)};

bool Black(kernel::TouchPoint at) {
  return (gwes::Screen()->Pixel(at.x, at.y) & gwes::kColourBits) == 0;
}

class TouchCalibrateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gwes_test::DestroyAllWindows();
    kernel::WriteTouchPanel(kWorn);
    main = gwes_test::MakeWindow("main", WS_POPUP | WS_VISIBLE);
    SetActiveWindow(main);
    SetFocus(main);
  }
  void TearDown() override { gwes_test::DestroyAllWindows(); }

  // Runs the alignment, doing one act each time it waits; an Aim act first checks that its target
  // (and no other) is the one shown. Steps left over, or a screen that outlives them, fail.
  BOOL Run(const std::vector<Act>& acts) {
    std::deque<Act> left(acts.begin(), acts.end());
    bool ranOut = false;
    gwes::SetIdleHook([&] {
      if (left.empty()) {
        if (!ranOut) Press(VK_ESCAPE);
        ranOut = true;
        return;
      }
      Act act = left.front();
      left.pop_front();
      switch (act.kind) {
        case Act::Aim:
          for (int i = 0; i < 5; ++i) EXPECT_EQ(Black(kTouchTargets[i]), i == act.a) << "target " << i;
          Tap(kTouchTargets[act.a].x + act.b, kTouchTargets[act.a].y + act.c);
          break;
        case Act::TapAt: Tap(act.a, act.b); break;
        case Act::Key: Press(static_cast<BYTE>(act.a)); break;
        case Act::Wait: gwes::AdvanceTime(static_cast<DWORD>(act.a)); break;
      }
    });
    BOOL result = TouchCalibrate();
    gwes::SetIdleHook(nullptr);
    EXPECT_FALSE(ranOut) << "the screen was still open when the acts ran out";
    EXPECT_TRUE(left.empty()) << left.size() << " acts were not taken";
    return result;
  }

  static void Tap(int x, int y) {
    gwes::PostStylus(gwes::StylusAction::Down, x, y);
    gwes::PostStylus(gwes::StylusAction::Up, x, y);
  }
  static void Press(BYTE vk) {
    gwes::PostKey(vk, true);
    gwes::PostKey(vk, false);
  }
  static std::u16string CalibrationData() {
    auto value = kernel::RegistryGetValue({HKEY_LOCAL_MACHINE, kernel::kTouchKey}, kernel::kCalibrationDataValue);
    if (!value) return u"(none)";
    return std::u16string(reinterpret_cast<const char16_t*>(value->data.data()), value->data.size() / 2 - 1);
  }
  // Where a tap aimed at (x, y) reaches the main window.
  POINT Landing(int x, int y) {
    Tap(x, y);
    MSG msg{};
    EXPECT_TRUE(PeekMessageW(&msg, main, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    gwes_test::Pump();
    return msg.pt;
  }

  static constexpr kernel::TouchPanel kWorn{12, -9, 1000, 1000};
  testing_support::ImagedDevice device;
  HWND main = nullptr;
};

TEST_F(TouchCalibrateTest, FiveTapsOnTheTargetsAlignTheScreenWhenKeptAndNothingChangesOtherwise) {
  kernel::TouchSamples worn;
  for (int i = 0; i < 5; ++i) worn[i] = kernel::TouchPanelRaw(kWorn, kTouchTargets[i]);
  const std::u16string before = CalibrationData();
  auto round = [](std::initializer_list<Act> after, std::initializer_list<Act> first = {}) {
    std::vector<Act> acts(first);
    acts.insert(acts.end(), std::begin(kRound), std::end(kRound));
    acts.insert(acts.end(), after);
    return acts;
  };
  struct Row {
    const char* what;
    std::vector<Act> acts;
    bool kept;
  } rows[] = {
      {"a tap keeps it", round({{Act::TapAt, 200, 100}}), true},
      {"Enter keeps it", round({{Act::Key, VK_RETURN}}), true},
      {"Escape at the question keeps the old one", round({{Act::Key, VK_ESCAPE}}), false},
      {"Escape at a target", {AimAt(0), AimAt(1), {Act::Key, VK_ESCAPE}}, false},
      {"input restarts the wait; 30 s without any ends it",
       {AimAt(0), {Act::Key, VK_RETURN}, {Act::Wait, 29999}, AimAt(1), {Act::Wait, 29999}, AimAt(2),
        {Act::Wait, 30000}},
       false},
      {"a tap off its target starts over at the centre",
       round({{Act::Key, VK_RETURN}}, {AimAt(0, 15, 0), AimAt(1), AimAt(2), AimAt(3), AimAt(4)}), true},
  };
  const kernel::RegistryPath key{HKEY_LOCAL_MACHINE, kernel::kTouchKey};
  const auto image = kernel::RegistryGetValue(key, kernel::kCalibrationDataValue);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    kernel::RegistrySetValue(key, *image);
    gwes::SetTouchCalibration(*kernel::ParseCalibrationData(before));
    SetActiveWindow(main);
    SetFocus(main);
    EXPECT_EQ(Run(row.acts) != FALSE, row.kept);
    EXPECT_EQ(CalibrationData(), row.kept ? kernel::FormatCalibrationData(worn) : before);
    EXPECT_EQ(gwes::TopLevelWindowList(), std::vector<HWND>{main}) << "the alignment's window is gone";
    EXPECT_EQ((std::vector<HWND>{GetActiveWindow(), GetFocus()}), (std::vector<HWND>{main, main}));
    // The driver has the kept alignment at once; otherwise taps still land beside their aim.
    const POINT landed = Landing(100, 100), miss = row.kept ? POINT{0, 0} : POINT{kWorn.offsetX, kWorn.offsetY};
    EXPECT_NEAR(landed.x, 100 + miss.x, 1);
    EXPECT_NEAR(landed.y, 100 + miss.y, 1);
  }
}

}  // namespace
