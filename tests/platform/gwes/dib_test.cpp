#include "platform/gwes/gdi/dib.h"

#include <gtest/gtest.h>

#include "tests/platform/gwes/dib_builder.h"

namespace {

using gwes::ParseDib;
using gwes_test::Bytes;
using gwes_test::MakeDib;

TEST(Dib, EightBitPaletteRowsComeOutTopFirstFromEitherOrder) {
  const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  const std::vector<Bytes> rows = {{1, 2, 3}, {3, 0, 1}};  // 3 pixels: one padding byte per row
  for (int height : {2, -2}) {
    SCOPED_TRACE(height);
    auto image = ParseDib(MakeDib(3, height, 8, palette, rows));
    ASSERT_TRUE(image);
    EXPECT_EQ((std::vector<int>{image->width, image->height, image->bitsPixel}), (std::vector<int>{3, 2, 8}));
    EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x0000FF, 0, 0xFF0000}));
  }
}

TEST(Dib, ShortPaletteGivesBlackPastItsEndAndFullTableIsTheDefault) {
  // Two palette entries declared; index 7 lies past them.
  auto image = ParseDib(MakeDib(2, 1, 8, {0x112233, 0x445566}, {{1, 7}}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{0x445566, 0}));

  // With "colours used" 0 a 4-bit image carries all 16 entries.
  std::vector<std::uint32_t> sixteen(16);
  for (std::uint32_t i = 0; i < 16; ++i) sixteen[i] = i * 0x010101;
  Bytes dib = MakeDib(3, 1, 4, sixteen, {{0xF1, 0x20}});
  dib[32] = 0;  // biClrUsed
  image = ParseDib(dib);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{0x0F0F0F, 0x010101, 0x020202}));
}

TEST(Dib, TwentyFourBitRowsArePaddedAndStoredBlueFirst) {
  // 2 pixels = 6 bytes, padded to 8.
  const std::vector<Bytes> rows = {{0x01, 0x02, 0x03, 0x10, 0x20, 0x30}, {0xFF, 0, 0, 0, 0, 0xFF}};
  for (int height : {2, -2}) {
    auto image = ParseDib(MakeDib(2, height, 24, {}, rows));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{0x030201, 0x302010, 0x0000FF, 0xFF0000})) << height;
  }
  // 32-bit pixels drop their top byte.
  auto image = ParseDib(MakeDib(1, 1, 32, {}, {{0x01, 0x02, 0x03, 0xAB}}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels[0], 0x030201u);
}

TEST(Dib, RefusesEveryTruncationAndUnsupportedHeader) {
  const Bytes good = MakeDib(5, -3, 8, {1, 2, 3}, {{0, 1, 2, 0, 1}, {2, 2, 2, 2, 2}, {1, 1, 1, 1, 1}});
  ASSERT_TRUE(ParseDib(good));
  for (std::size_t size = 0; size < good.size(); ++size)
    EXPECT_FALSE(ParseDib(std::span(good).first(size))) << size;

  auto patched = [&](std::size_t at, std::uint32_t value) {
    Bytes copy = good;
    for (int i = 0; i < 4; ++i) copy[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return ParseDib(copy);
  };
  EXPECT_FALSE(patched(16, 1));           // run-length compression
  EXPECT_FALSE(patched(4, 0));            // no width
  EXPECT_FALSE(patched(8, 0x80000000u));  // the most negative height
  EXPECT_FALSE(patched(4, 100000));       // absurd width
  EXPECT_FALSE(patched(0, 12));           // an OS/2 core header
  EXPECT_FALSE(ParseDib(MakeDib(1, 1, 8, std::vector<std::uint32_t>(257), {{0}})));  // more colours than 8 bits index
}

}  // namespace
