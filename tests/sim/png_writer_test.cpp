#include "sim/png_writer.h"

#include <gtest/gtest.h>

#include "tests/sim/shot_reader.h"
#include "tests/support/programs.h"

namespace {

TEST(PngWriter, PixelsRoundTripAsRgbIgnoringTheTopByte) {
  const std::uint32_t pixels[] = {0xFF123456, 0x00ABCDEF, 0x7F000001, 0x00FFFFFF, 0x00010000, 0xAA000100};
  testing_support::ScratchRoot scratch;
  std::filesystem::create_directories(scratch.Path());
  auto path = scratch.Path() / "shot.png";
  std::string error;
  ASSERT_TRUE(sim::WritePng(path.string(), 3, 2, pixels, &error)) << error;
  int width = 0;
  EXPECT_EQ(testing_support::ReadShot(path, &width),
            (std::vector<std::uint32_t>{0x123456, 0xABCDEF, 0x000001, 0xFFFFFF, 0x010000, 0x000100}));
  EXPECT_EQ(width, 3);

  EXPECT_FALSE(sim::WritePng("/nonexistent-folder/shot.png", 3, 2, pixels, &error));
  EXPECT_NE(error.find("'/nonexistent-folder/shot.png'"), std::string::npos) << error;
}

}  // namespace
