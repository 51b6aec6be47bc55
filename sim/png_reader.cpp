#include "sim/png_reader.h"

#include <png.h>

#include "sim/shown_text.h"

namespace sim {

bool ReadPng(const std::string& path, PngPixels* out, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  bool read = png_image_begin_read_from_file(&image, path.c_str()) != 0;
  std::vector<png_byte> rgb;
  // A screen image is small; a header that claims more is not one (and would cost its memory).
  constexpr png_uint_32 kLargestSide = 4096;
  if (read && (image.width > kLargestSide || image.height > kLargestSide)) {
    png_image_free(&image);
    *error = "the image " + Shown(path) + " is larger than " + std::to_string(kLargestSide) + " pixels a side";
    return false;
  }
  if (read) {
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    read = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
  }
  if (!read) {
    *error = "cannot read the image " + Shown(path) + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  out->width = static_cast<int>(image.width);
  out->height = static_cast<int>(image.height);
  out->pixels.resize(rgb.size() / 3);
  for (std::size_t i = 0; i < out->pixels.size(); ++i) {
    out->pixels[i] = static_cast<std::uint32_t>(rgb[3 * i]) << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
  }
  return true;
}

}  // namespace sim
