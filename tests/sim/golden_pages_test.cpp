// The pages as they open on the default device, compared pixel for pixel with reviewed images
// (tests/golden/). After a change to a page's looks, look at the new shots and rewrite the images
// with scripts/update-golden.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/touch_calibrate.h"
#include "platform/gwes/virtual_keys.h"
#include "sim/png_writer.h"
#include "tests/sim/shot_reader.h"
#include "tests/support/device_fixture.h"
#include "tests/support/programs.h"

namespace {

using testing_support::ReadShot;

const std::filesystem::path kGolden = std::filesystem::path(QUORVANE_SOURCE_DIR) / "tests" / "golden";

void ExpectReviewed(const std::filesystem::path& shot, const char* name) {
  SCOPED_TRACE(name);
  auto expected = ReadShot(kGolden / name);
  auto actual = ReadShot(shot);
  ASSERT_EQ(expected.size(), 320u * 240u);
  ASSERT_EQ(actual.size(), expected.size());
  int differing = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) differing += expected[i] != actual[i];
  EXPECT_EQ(differing, 0) << "pixels differ from the reviewed image";
}

TEST(GoldenPages, EachPageOpensAsReviewed) {
  testing_support::ScratchRoot root;
  const auto shots = root.Path() / "shots";
  auto run = testing_support::Utility(root, {"--headless", "--script", (kGolden / "pages.script").string(), "--shots",
                                             shots.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* page : {"backlight.png", "volume.png", "power.png"}) ExpectReviewed(shots / page, page);
}

// The system's alignment screen at its first target, shot where it first waits for input.
// QUORVANE_GOLDEN_SHOTS names a folder to write the shot into as well (scripts/update-golden).
TEST(GoldenPages, TheAlignmentScreenShowsItsFirstTargetAsReviewed) {
  testing_support::ImagedDevice device;
  const auto shot = device.Root() / "alignment.png";
  std::vector<std::uint32_t> pixels(320 * 240);
  bool shown = false;
  gwes::SetIdleHook([&] {
    if (std::exchange(shown, true)) return;
    gwes::CopyShownScreen(pixels.data());
    gwes::PostKey(VK_ESCAPE, true);
    gwes::PostKey(VK_ESCAPE, false);
  });
  EXPECT_FALSE(TouchCalibrate());
  gwes::SetIdleHook(nullptr);
  std::string error;
  ASSERT_TRUE(sim::WritePng(shot.string(), 320, 240, pixels.data(), &error)) << error;
  if (const char* folder = std::getenv("QUORVANE_GOLDEN_SHOTS"))
    std::filesystem::copy_file(shot, std::filesystem::path(folder) / "alignment.png",
                               std::filesystem::copy_options::overwrite_existing);
  ExpectReviewed(shot, "alignment.png");
}

}  // namespace
