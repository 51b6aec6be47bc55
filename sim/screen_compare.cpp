#include "sim/screen_compare.h"

#include <algorithm>
#include <cstdlib>

namespace sim {
namespace {

constexpr std::uint32_t kDifferenceRed = 0xFF0000;

bool Differs(const PngPixels& expected, const PngPixels& actual, int x, int y, unsigned tolerance) {
  if (expected.width != actual.width || expected.height != actual.height) return true;
  std::size_t i = static_cast<std::size_t>(y) * actual.width + x;
  std::uint32_t a = expected.pixels[i], b = actual.pixels[i];
  for (int shift : {16, 8, 0}) {
    int d = std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF));
    if (static_cast<unsigned>(d) > tolerance) return true;
  }
  return false;
}

}  // namespace

ScreenDifference CompareImages(const PngPixels& expected, const PngPixels& actual, unsigned tolerance) {
  ScreenDifference difference;
  int width = std::max(expected.width, actual.width), height = std::max(expected.height, actual.height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!Differs(expected, actual, x, y, tolerance)) continue;
      if (difference.count++ == 0) {
        difference.left = difference.right = x;
        difference.top = difference.bottom = y;
      }
      difference.left = std::min(difference.left, x);
      difference.right = std::max(difference.right, x);
      difference.bottom = y;
    }
  }
  return difference;
}

std::vector<std::uint32_t> DifferenceImage(const PngPixels& expected, const PngPixels& actual, unsigned tolerance) {
  std::vector<std::uint32_t> out(actual.pixels.size());
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      std::size_t i = static_cast<std::size_t>(y) * actual.width + x;
      std::uint32_t p = actual.pixels[i];
      // A light grey of the pixel's brightness, so the red stands out over any screen.
      std::uint32_t grey = 128 + ((p >> 16 & 0xFF) * 77 + (p >> 8 & 0xFF) * 150 + (p & 0xFF) * 29) / 512;
      out[i] = Differs(expected, actual, x, y, tolerance) ? kDifferenceRed : grey << 16 | grey << 8 | grey;
    }
  }
  return out;
}

}  // namespace sim
