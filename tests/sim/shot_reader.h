// Reads a screenshot written by the utility back into pixels, for tests that look at screens.
#pragma once

#include <png.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace testing_support {

// A PNG's pixels as 0xRRGGBB, row by row, and its width; empty when the file cannot be read.
inline std::vector<std::uint32_t> ReadShot(const std::filesystem::path& path, int* width = nullptr) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  if (width) *width = static_cast<int>(image.width);
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  std::vector<std::uint32_t> pixels(rgb.size() / 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
  return pixels;
}

}  // namespace testing_support
