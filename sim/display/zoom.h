// The window's zoom: a whole-number scale of the desk, from 1 to the largest that fits the display.
#pragma once

#include <algorithm>

namespace sim {

// The largest scale at which the desk fits the usable part of the display; never below 1.
constexpr int LargestScale(int deskWidth, int deskHeight, int usableWidth, int usableHeight) {
  return std::max(1, std::min(usableWidth / deskWidth, usableHeight / deskHeight));
}

// One step in (+1) or out (-1) from scale, kept between 1 and largest.
constexpr int ZoomStep(int scale, int step, int largest) { return std::clamp(scale + step, 1, std::max(1, largest)); }

}  // namespace sim
