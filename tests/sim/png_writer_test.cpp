#include "sim/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <vector>

#include "tests/support/programs.h"

namespace {

TEST(PngWriter, PixelsRoundTripAsRgbIgnoringTheTopByte) {
  const std::uint32_t pixels[] = {0xFF123456, 0x00ABCDEF, 0x7F000001, 0x00FFFFFF, 0x00010000, 0xAA000100};
  testing_support::ScratchRoot scratch;
  std::filesystem::create_directories(scratch.Path());
  auto path = scratch.Path() / "shot.png";
  std::string error;
  ASSERT_TRUE(sim::WritePng(path.string(), 3, 2, pixels, &error)) << error;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, 3u);
  EXPECT_EQ(image.height, 2u);
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  for (int i = 0; i < 6; ++i) {
    std::uint32_t read = (rgb[3 * i] << 16) | (rgb[3 * i + 1] << 8) | rgb[3 * i + 2];
    EXPECT_EQ(read, pixels[i] & 0xFFFFFF) << i;
  }

  EXPECT_FALSE(sim::WritePng("/nonexistent-folder/shot.png", 3, 2, pixels, &error));
  EXPECT_NE(error.find("'/nonexistent-folder/shot.png'"), std::string::npos) << error;
}

}  // namespace
