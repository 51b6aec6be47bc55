// The pages as they open on the default device, compared pixel for pixel with reviewed images
// (tests/golden/). After a change to a page's looks, look at the new shots and rewrite the images
// with scripts/update-golden.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/sim/shot_reader.h"
#include "tests/support/programs.h"

namespace {

using testing_support::ReadShot;

// The device's local time in every golden run (scripts/update-golden uses the same).
constexpr const char* kGoldenClock = "2026-12-05T14:30:00";

// Each run: its script, the device command line, and the shots it takes.
struct GoldenRun {
  const char* script;
  std::vector<std::string> commandLine;
  std::vector<const char*> shots;
};

TEST(GoldenPages, EachPageOpensAsReviewed) {
  const std::filesystem::path golden = std::filesystem::path(QUORVANE_SOURCE_DIR) / "tests" / "golden";
  const GoldenRun runs[] = {
      {"pages.script", {}, {"backlight.png", "volume.png", "power.png", "date_time.png", "date_time_calendar.png"}},
      {"sel_timezone.script", {"-SelTimezone"}, {"sel_timezone.png"}},
  };
  for (const GoldenRun& goldenRun : runs) {
    testing_support::ScratchRoot root;
    const auto shots = root.Path() / "shots";
    std::vector<std::string> words = {"--headless", "--clock", kGoldenClock, "--script",
                                      (golden / goldenRun.script).string(), "--shots", shots.string()};
    words.insert(words.end(), goldenRun.commandLine.begin(), goldenRun.commandLine.end());
    auto run = testing_support::Utility(root, words);
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* page : goldenRun.shots) {
      SCOPED_TRACE(page);
      auto expected = ReadShot(golden / page);
      auto actual = ReadShot(shots / page);
      ASSERT_EQ(expected.size(), 320u * 240u);
      ASSERT_EQ(actual.size(), expected.size());
      int differing = 0;
      for (std::size_t i = 0; i < expected.size(); ++i) differing += expected[i] != actual[i];
      EXPECT_EQ(differing, 0) << "pixels differ from the reviewed image";
    }
  }
}

}  // namespace
