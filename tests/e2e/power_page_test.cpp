// The power page as a user works it: opened from the menu through the headless runner, the choice
// stepped and confirmed on battery, the effects read back (what the page shows is in the golden images).
#include <gtest/gtest.h>

#include "tests/support/device_fixture.h"
#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;

TEST(PowerPage, OkStoresTheChoiceTellsThePowerManagerAndSnapshots) {
  testing_support::ImagedRoot root;
  ASSERT_EQ(Devicectl(root, {"battery", "--ac", "off", "--percent", "85"}).status, 0);
  // The menu's power button; from "10 Minutes" one step longer, OK, then the menu's Escape.
  auto run = testing_support::Utility(root, {"--headless", "--script", "-"},
                                      "tap 274 106\nkey RIGHT\ntap 114 206\nkey ESCAPE\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\System\\CurrentControlSet\\Control\\Power\\Timeouts", "BattSuspend"}).out,
            "1200\n");
  // The device's power manager took the event and reloaded the new time-out.
  EXPECT_EQ(Devicectl(root, {"power"}).out, "state on timeout 1200 reloads 1\n");
  EXPECT_EQ(testing_support::ReadHostFile(root.Path() / "My Flash Disk" / "Setting.dat"),
            (std::vector<std::uint8_t>{0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0, 5, 0, 0, 0, 0xB0, 0x04, 0, 0}));
}

}  // namespace
