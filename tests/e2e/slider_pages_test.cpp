// The backlight and volume pages opened from the main menu and worked through the headless runner,
// their effects read back through devicectl as a user would.
#include <gtest/gtest.h>

#include "tests/support/device_fixture.h"
#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;

TEST(SliderPages, TwoStepsUpAndOkKeepTheBacklightLevelAndTheVolumeWithTheirEffects) {
  testing_support::ImagedRoot root;
  ASSERT_EQ(Devicectl(root, {"backlight", "3"}).status, 0);
  ASSERT_EQ(Devicectl(root, {"volume", "0x80008000"}).status, 0);
  // Each page from its menu button: one step up by the right arrow and one by the Up key, OK, and
  // the menu's Escape.
  for (std::string page : {"tap 52 106\n", "tap 126 106\n"}) {
    auto run = testing_support::Utility(root, {"--headless", "--script", "-"},
                                        page + "tap 272 125\nkey UP\ntap 114 206\nkey ESCAPE\n");
    ASSERT_EQ(run.status, 0) << run.err;
  }
  EXPECT_EQ(Devicectl(root, {"backlight"}).out, "5\n");
  auto snapshot = testing_support::ReadHostFile(root.Path() / "My Flash Disk" / "Setting.dat");
  ASSERT_EQ(snapshot.size(), 18u);
  EXPECT_EQ(snapshot[10], 5);
  // From the odd word 0x80008000 (shown at the bottom) two steps up; the registry and the clicks
  // are the page's own test.
  EXPECT_EQ(Devicectl(root, {"volume"}).out, "0x66666666\n");
}

}  // namespace
