// Compares the screen with a reviewed image, for the script's "expect": which pixels differ by
// more than a tolerance in any colour channel, and a picture of them.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/png_reader.h"

namespace sim {

struct ScreenDifference {
  std::size_t count = 0;  // differing pixels
  // Their bounding box, inclusive; meaningless when count is 0.
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Images of different sizes differ in every pixel of the larger.
ScreenDifference CompareImages(const PngPixels& expected, const PngPixels& actual, unsigned tolerance);

// The actual image greyed and dimmed, with the pixels that differ from expected in pure red.
std::vector<std::uint32_t> DifferenceImage(const PngPixels& expected, const PngPixels& actual, unsigned tolerance);

}  // namespace sim
