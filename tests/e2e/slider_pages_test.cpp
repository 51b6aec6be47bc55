// The backlight and volume pages from the main menu, worked by touch and keys through the headless
// runner, with their effects read back through devicectl as a user would.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/device_fixture.h"
#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;
using testing_support::ScratchRoot;
using testing_support::Utility;

// Taps on the menu's page buttons and the pages' arrows and buttons.
const std::string kOpenBacklight = "tap 52 106\n";
const std::string kOpenVolume = "tap 126 106\n";
const std::string kRight = "tap 272 125\n";
const std::string kOk = "tap 114 206\n";
const std::string kLeaveMenu = "key ESCAPE\n";

TEST(SliderPages, BacklightStepsLiveOkKeepsAndSnapshotsCancelGivesBack) {
  ScratchRoot root;
  ASSERT_EQ(Devicectl(root, {"init"}).status, 0);
  ASSERT_EQ(Devicectl(root, {"backlight", "3"}).status, 0);
  // Two steps up and OK keep 5; then Up twice (Up is Right) and Escape give 5 back.
  auto kept = Utility(root, {"--headless", "--script", "-"}, kOpenBacklight + kRight + kRight + kOk + kLeaveMenu);
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(Devicectl(root, {"backlight"}).out, "5\n");
  auto snapshot = testing_support::ReadHostFile(root.Path() / "My Flash Disk" / "Setting.dat");
  ASSERT_EQ(snapshot.size(), 18u);
  EXPECT_EQ(snapshot[10], 5);

  auto cancelled =
      Utility(root, {"--headless", "--script", "-"}, kOpenBacklight + "key UP\nkey UP\nkey ESCAPE\n" + kLeaveMenu);
  ASSERT_EQ(cancelled.status, 0) << cancelled.err;
  EXPECT_EQ(Devicectl(root, {"backlight"}).out, "5\n");
}

TEST(SliderPages, VolumeStepsClickAndStoreCancelPutsTheOddWordBack) {
  ScratchRoot root;
  ASSERT_EQ(Devicectl(root, {"init"}).status, 0);
  ASSERT_EQ(Devicectl(root, {"volume", "0x80008000"}).status, 0);
  auto cancelled = Utility(root, {"--headless", "--script", "-"}, kOpenVolume + kRight + "key ESCAPE\n" + kLeaveMenu);
  ASSERT_EQ(cancelled.status, 0) << cancelled.err;
  EXPECT_EQ(Devicectl(root, {"volume"}).out, "0x80008000\n");
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKCU\\ControlPanel\\Volume", "Volume"}).out, "2147516416\n");

  ASSERT_EQ(Devicectl(root, {"sounds", "--clear"}).status, 0);
  auto kept = Utility(root, {"--headless", "--script", "-"}, kOpenVolume + kRight + "key UP\n" + kOk + kLeaveMenu);
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(Devicectl(root, {"volume"}).out, "0x66666666\n");
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKCU\\ControlPanel\\Volume", "Volume"}).out, "1717986918\n");
  std::string sounds = Devicectl(root, {"sounds"}).out;
  EXPECT_EQ(std::count(sounds.begin(), sounds.end(), '\n'), 2) << sounds;
  EXPECT_NE(sounds.find("flags 4 "), std::string::npos) << sounds;
}

}  // namespace
