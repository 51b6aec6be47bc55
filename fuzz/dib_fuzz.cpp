// Feeds arbitrary bytes to the DIB parser and, when they parse, checks the image's shape.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/gwes/gdi/dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto image = gwes::ParseDib(std::span<const std::uint8_t>(data, size));
  if (image) {
    if (image->width <= 0 || image->height <= 0 ||
        image->pixels.size() != static_cast<std::size_t>(image->width) * image->height)
      std::abort();
    for (std::uint32_t pixel : image->pixels)
      if (pixel > 0xFFFFFF) std::abort();
  }
  return 0;
}
