// The screens as the golden scripts of tests/golden/ show them on fresh devices, compared pixel for
// pixel with the reviewed images there: every reviewed image must be shot by one of the runs.
// After a change to a screen's looks, look at the new shots and rewrite the images with
// scripts/update-golden, which runs the same scripts the same way.
#include <gtest/gtest.h>

#include "tests/sim/shot_reader.h"
#include "tests/support/programs.h"

namespace {

using testing_support::ReadShot;

// The device's local time in every golden run, so the date page's clock matches.
constexpr const char* kGoldenClock = "2026-12-05T14:30:00";

struct GoldenRun {
  const char* script;
  std::vector<std::vector<std::string>> setup;  // devicectl commands on the fresh device
  std::vector<std::string> commandLine;
};

TEST(GoldenPages, EveryReviewedImageMatchesItsShot) {
  const std::filesystem::path golden = std::filesystem::path(QUORVANE_SOURCE_DIR) / "tests" / "golden";
  const GoldenRun runs[] = {
      {"pages.script", {}, {}},
      {"german.script", {{"init"}, {"reg", "set", "HKLM\\nls", "DefaultLCID", "dword:1031"}}, {}},
      {"sel_timezone.script", {}, {"-SelTimezone"}},
      {"sel_lang.script", {}, {"-SelLang"}},
      {"power_charging.script", {{"init"}, {"battery", "--flag", "8", "--percent", "50"}}, {}},
      {"power_battery.script", {{"init"}, {"battery", "--ac", "off", "--percent", "60"}}, {}},
      {"power_no_battery.script", {{"init"}, {"battery", "--flag", "128", "--percent", "0"}}, {}},
      {"low_power_msg.script", {}, {"-LowPowerMsg"}},
      {"no_data_msg.script", {}, {"-NoDataMsg"}},
      {"switch_failed.script", {{"init"}, {"installer", "--behaviour", "signal-only"}}, {}},
  };
  testing_support::ScratchRoot shotsRoot;
  const auto shots = shotsRoot.Path() / "shots";
  for (const GoldenRun& goldenRun : runs) {
    SCOPED_TRACE(goldenRun.script);
    testing_support::ScratchRoot root;
    for (const auto& command : goldenRun.setup) ASSERT_EQ(testing_support::Devicectl(root, command).status, 0);
    std::vector<std::string> words = {"--headless", "--clock", kGoldenClock, "--script",
                                      (golden / goldenRun.script).string(), "--shots", shots.string()};
    words.insert(words.end(), goldenRun.commandLine.begin(), goldenRun.commandLine.end());
    auto run = testing_support::Utility(root, words);
    ASSERT_EQ(run.status, 0) << run.err;
  }
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(golden)) {
    if (entry.path().extension() != ".png") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++compared;
    auto expected = ReadShot(entry.path());
    auto actual = ReadShot(shots / entry.path().filename());
    ASSERT_EQ(expected.size(), 320u * 240u);
    ASSERT_EQ(actual.size(), expected.size()) << "no run shot this image";
    int differing = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) differing += expected[i] != actual[i];
    EXPECT_EQ(differing, 0) << "pixels differ from the reviewed image";
  }
  EXPECT_GT(compared, 0);
}

}  // namespace
