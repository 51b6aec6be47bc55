// Parser of device-independent bitmaps as a BITMAP resource holds them: a BITMAPINFOHEADER (or a
// later, longer version), the colour table and the pixel rows. A .bmp file's 14-byte file header
// is accepted in front. Pure: bytes in, top-down XRGB pixels out; every size is checked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gwes {

struct DibImage {
  int width = 0;
  int height = 0;
  int bitsPixel = 0;                 // as stored: 1, 4, 8, 16, 24 or 32
  std::vector<std::uint32_t> pixels;  // XRGB, top row first, top byte zero
};

// Largest accepted side and area, so a hostile header cannot ask for gigabytes.
constexpr int kMaxDibSide = 8192;
constexpr std::int64_t kMaxDibPixels = 16 * 1024 * 1024;

// Uncompressed (BI_RGB) images of 1, 4 and 8 bits with a colour table, and of 16 (5-5-5), 24 and
// 32 bits; rows bottom-up (positive height) or top-down (negative height), each padded to four
// bytes. nullopt for anything else or when the bytes run short. Palette indexes past the table
// give black.
std::optional<DibImage> ParseDib(std::span<const std::uint8_t> bytes);

}  // namespace gwes
