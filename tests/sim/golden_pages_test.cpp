// Every reviewed image in tests/golden/ against the shot of the same name that pages.script takes:
// the pages as they open on the default device, compared pixel for pixel with reviewed images
// (tests/golden/). After a change to a page's looks, look at the new shots and rewrite the images
// with scripts/update-golden.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/sim/shot_reader.h"
#include "tests/support/programs.h"

namespace {

using testing_support::ReadShot;

TEST(GoldenPages, EachPageOpensAsReviewed) {
  testing_support::ScratchRoot root;
  const std::filesystem::path golden = std::filesystem::path(QUORVANE_SOURCE_DIR) / "tests" / "golden";
  const auto shots = root.Path() / "shots";
  auto run = testing_support::Utility(root, {"--headless", "--script", (golden / "pages.script").string(), "--shots",
                                             shots.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(golden)) {
    if (entry.path().extension() != ".png") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++compared;
    auto expected = ReadShot(entry.path());
    auto actual = ReadShot(shots / entry.path().filename());
    ASSERT_EQ(expected.size(), 320u * 240u);
    ASSERT_EQ(actual.size(), expected.size());
    int differing = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) differing += expected[i] != actual[i];
    EXPECT_EQ(differing, 0) << "pixels differ from the reviewed image";
  }
  EXPECT_GT(compared, 0);
}

}  // namespace
