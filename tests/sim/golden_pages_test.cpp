// The pages as they open on the default device, compared pixel for pixel with reviewed images
// (tests/golden/). After a change to a page's looks, look at the new shots and rewrite the images
// with scripts/update-golden.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/sim/shot_reader.h"
#include "tests/support/programs.h"

namespace {

using testing_support::ReadShot;

// Runs a script of tests/golden on a fresh device (with `setup` devicectl commands first) and
// compares its shots with the reviewed images.
void ExpectShotsAsReviewed(const char* script, const std::vector<std::vector<std::string>>& setup,
                           std::initializer_list<const char*> pages) {
  testing_support::ScratchRoot root;
  const std::filesystem::path golden = std::filesystem::path(QUORVANE_SOURCE_DIR) / "tests" / "golden";
  const auto shots = root.Path() / "shots";
  for (const auto& command : setup) ASSERT_EQ(testing_support::Devicectl(root, command).status, 0);
  auto run = testing_support::Utility(root, {"--headless", "--script", (golden / script).string(), "--shots",
                                             shots.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* page : pages) {
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

TEST(GoldenPages, EachPageOpensAsReviewed) {
  ExpectShotsAsReviewed("pages.script", {}, {"backlight.png", "volume.png", "power.png", "language.png"});
}

TEST(GoldenPages, TheGermanMenuAndLanguagePageOpenAsReviewed) {
  ExpectShotsAsReviewed("german.script", {{"init"}, {"reg", "set", "HKLM\\nls", "DefaultLCID", "dword:1031"}},
                        {"menu_german.png", "language_german.png"});
}

}  // namespace
