// Screen alignment as a user meets it: a worn touch panel makes a tap miss the menu button it was
// aimed at; the calibration page runs the alignment by tapping its five targets; the same tap then
// hits, and the store block holds the new calibration behind its magic.
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
  // page's OK, the five targets, a tap to keep the alignment, the success message's Enter. The
  // battery warning is held meanwhile. Back on the menu the same tap opens the volume page.
  testing_support::RunningUtility utility(root, {});
  utility.AwaitListed();
  // Each line of `lines` as one devicectl input request.
  auto input = [&](const std::string& lines) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
      ASSERT_EQ(Devicectl(root, Words("input " + line)).status, 0) << line;
    }
  };
  auto hold = [&] { return Devicectl(root, {"event", "EVENT_HOLD_BATT_WARNING"}).out; };
  EXPECT_EQ(hold(), "not signalled data 0 manual\n");
  input("tap 200 106\ntap 114 206\n");
  EXPECT_NE(Devicectl(root, {"dump"}).out.find("\"class\":\"TouchAlignment\""), std::string::npos);
  EXPECT_EQ(hold(), "signalled data 1 manual\n");
  input("tap 160 120\ntap 32 24\ntap 32 216\ntap 288 216\ntap 288 24\ntap 160 120\nwait 500\n");
  EXPECT_NE(Devicectl(root, {"dump"}).out.find("\"text\":\"Calibration succeeded\""), std::string::npos);
  input("key ENTER\n" + kVolumeTap);
  EXPECT_NE(Devicectl(root, {"dump"}).out.find(kVolumePageShown), std::string::npos);
  EXPECT_EQ(hold(), "not signalled data 0 manual\n");
  input("key ESCAPE\nkey ESCAPE\n");
  EXPECT_EQ(utility.Wait(), 0);

  auto calibration = Devicectl(root, {"reg", "get", "HKLM\\HARDWARE\\DEVICEMAP\\TOUCH", "CalibrationData"}).out;
  ASSERT_GT(calibration.size(), 1u);
  calibration.pop_back();  // the line's end
  auto block = Devicectl(root, {"store-block", "--bytes", "64"}).out;
  EXPECT_EQ(block.substr(0, 22), "00000000  55 AA 55 AA ") << block;
  // The text column runs on over the lines: the magic's two printable bytes, then the string.
  std::string text;
  for (std::size_t at = block.find('|'); at != std::string::npos; at = block.find('|', block.find('|', at + 1) + 1))
    text += block.substr(at + 1, block.find('|', at + 1) - at - 1);
  EXPECT_EQ(text.substr(0, 4 + calibration.size()), "U.U." + calibration) << block;
}

}  // namespace
