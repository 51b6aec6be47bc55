// The power page as a user works it: opened from the menu through the headless runner, the choice
// stepped and confirmed on battery, the device's power manager told (the page's looks are in the
// golden images).
#include <gtest/gtest.h>

#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;

TEST(PowerPage, OkStoresTheChoiceAndTellsThePowerManager) {
  testing_support::ImagedRoot root;
  ASSERT_EQ(Devicectl(root, {"battery", "--ac", "off", "--percent", "85"}).status, 0);
  // The menu's power button; from "10 Minutes" one step longer, OK, then the menu's Escape.
  auto run = testing_support::Utility(root, {"--headless", "--script", "-"},
                                      "tap 274 106\nkey RIGHT\ntap 114 206\nkey ESCAPE\n");
  ASSERT_EQ(run.status, 0) << run.err;
  // The device's power manager took the event and reloaded the new time-out from the registry (what
  // the page writes there and into the snapshot is the page's own test).
  EXPECT_EQ(Devicectl(root, {"power"}).out, "state on timeout 1200 reloads 1\n");
}

}  // namespace
