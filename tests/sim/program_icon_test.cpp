#include "sim/program_icon.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/kernel/resources.h"
#include "res/program_resources.h"

namespace {

TEST(ProgramIcon, TheLargestImageComesTopRowFirstWithItsAlpha) {
  kernel::SetProgramResources(ProgramResourceBytes());
  sim::IconPixels icon = sim::ProgramIconPixels();
  ASSERT_EQ(icon.width, 32);
  ASSERT_EQ(icon.height, 32);
  ASSERT_EQ(icon.argb.size(), 32u * 32u);

  // utility.ico's first image (32 x 32) starts after its 6 + 2 * 16 byte directory and a 40-byte
  // header, with the bottom row first.
  std::ifstream file(QUORVANE_SOURCE_DIR "/res/utility.ico", std::ios::binary);
  std::vector<unsigned char> ico((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(ico.size(), 78u + 32 * 32 * 4);
  auto stored = [&](int row, int x) {
    std::size_t at = 78 + 4 * (static_cast<std::size_t>(31 - row) * 32 + x);
    return std::uint32_t{ico[at]} | std::uint32_t{ico[at + 1]} << 8 | std::uint32_t{ico[at + 2]} << 16 |
           std::uint32_t{ico[at + 3]} << 24;
  };
  int opaque = 0;
  for (int row = 0; row < 32; ++row) {
    for (int x = 0; x < 32; ++x) {
      EXPECT_EQ(icon.argb[row * 32 + x], stored(row, x)) << row << "," << x;
      opaque += (icon.argb[row * 32 + x] >> 24) == 0xFF;
    }
  }
  EXPECT_GT(opaque, 0);
  EXPECT_LT(opaque, 32 * 32);  // the icon is not a square
}

}  // namespace
