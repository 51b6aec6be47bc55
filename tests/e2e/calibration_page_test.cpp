// Screen alignment as a user meets it: a worn touch panel makes a tap miss the menu button it was
// aimed at; the calibration page runs the alignment by tapping its five targets; the same tap then
// hits. What the page stores, and the battery warning it holds, are the page's own test.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/running_utility.h"

namespace {

using testing_support::Devicectl;
using testing_support::Utility;
using testing_support::Words;

// Aimed at the volume button's lower right corner; 12 pixels to the right it meets no button.
const std::string kVolumeTap = "tap 145 130\n";
const std::string kVolumePageShown = "\"type\":\"CVolumeDlg\"";

TEST(CalibrationPage, AnAlignmentOnAWornPanelMakesTapsLandWhereTheyAreAimed) {
  testing_support::ImagedRoot root;
  ASSERT_EQ(Devicectl(root, {"touch", "--offset", "12,-9"}).status, 0);

  auto run = Utility(root, {"--headless", "--script", "-"}, kVolumeTap + "dump\nkey ESCAPE\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find(kVolumePageShown), std::string::npos) << "the tap missed the button";

  // On a running utility, driven as a person would with devicectl: the calibration button, the
  // page's OK, the five targets, a tap to keep the alignment, the success message's Enter. Back on
  // the menu the same tap opens the volume page.
  testing_support::RunningUtility utility(root, {});
  utility.AwaitListed();
  // Each line of `lines` as one devicectl input request.
  auto input = [&](const std::string& lines) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
      ASSERT_EQ(Devicectl(root, Words("input " + line)).status, 0) << line;
    }
  };
  input("tap 200 106\ntap 114 206\n");
  input("tap 160 120\ntap 32 24\ntap 32 216\ntap 288 216\ntap 288 24\ntap 160 120\nwait 500\n");
  input("key ENTER\n" + kVolumeTap);
  EXPECT_NE(Devicectl(root, {"dump"}).out.find(kVolumePageShown), std::string::npos);
  input("key ESCAPE\nkey ESCAPE\n");
  EXPECT_EQ(utility.Wait(), 0);
}

}  // namespace
