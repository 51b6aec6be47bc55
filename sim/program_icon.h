// The program's icon (group IDI_UTILITY of its resources) as pixels for the host window.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // rows from the top
};

// The largest 32-bit image of the icon group; empty when the resources hold none.
IconPixels ProgramIconPixels();

}  // namespace sim
