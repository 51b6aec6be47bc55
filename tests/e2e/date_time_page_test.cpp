// The date and time page as a user works it, with the device's clock and zone read through
// devicectl: on its own ("-SelTimezone") confirmed with OK. Cancel's clock is the page test's.
#include <gtest/gtest.h>

#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;
using testing_support::ScratchRoot;
using testing_support::Utility;

constexpr const char* kPacificRecord =
    "bias 480\n"
    "standard \"Pacific Standard Time\" bias 0 from month 11 week 1 weekday 0 at 02:00\n"
    "daylight \"Pacific Daylight Time\" bias -60 from month 3 week 2 weekday 0 at 02:00\n";

// devicectl reads the clock in real time, and a script's wait runs ahead of it: the minute is what is
// compared, from half a minute in.
std::string ClockMinute(const ScratchRoot& root) { return Devicectl(root, {"clock"}).out.substr(0, 16); }

// Right takes the preselected "GMT+1 Paris, Madrid" to Berlin; OK writes it and keeps the local
// time the page showed, so universal time moves instead.
TEST(DateTimePage, OnItsOwnOkWritesTheZoneAndKeepsTheLocalTime) {
  testing_support::ImagedRoot root;
  EXPECT_EQ(Devicectl(root, {"tz"}).out.rfind(kPacificRecord, 0), 0u);
  auto run = Utility(root, {"--headless", "--clock", "2026-06-15T10:00:30", "--script", "-", "-SelTimezone"},
                     "tap 275 100\ntap 114 206\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Devicectl(root, {"tz"}).out,
            "bias -60\n"
            "standard \"GMT+1 Berlin, Rome\" bias 0 from month 11 week 1 weekday 0 at 02:00\n"
            "daylight \"GMT+1 Berlin, Rome\" bias -60 from month 3 week 2 weekday 0 at 02:00\n"
            "now daylight\n");
  EXPECT_EQ(ClockMinute(root), "2026-06-15T10:00");
}

}  // namespace
