#include "platform/gwes/gdi/dib.h"

namespace gwes {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t{bytes[at + 3]} << 24);
}
std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t Xrgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

// Expands 5 bits of a 5-5-5 pixel to 8 bits.
std::uint8_t Expand5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }

}  // namespace

std::optional<DibImage> ParseDib(std::span<const std::uint8_t> bytes) {
  // A .bmp file: skip the file header; its offset to the bits is used below.
  std::size_t bitsOffsetFromFile = 0;
  if (bytes.size() >= kFileHeaderSize && bytes[0] == 'B' && bytes[1] == 'M') {
    bitsOffsetFromFile = Read32(bytes, 10);
    if (bitsOffsetFromFile < kFileHeaderSize) return std::nullopt;
    bitsOffsetFromFile -= kFileHeaderSize;
    bytes = bytes.subspan(kFileHeaderSize);
  }
  if (bytes.size() < kInfoHeaderSize) return std::nullopt;
  const std::uint32_t headerSize = Read32(bytes, 0);
  if (headerSize < kInfoHeaderSize || headerSize > bytes.size()) return std::nullopt;
  const auto width = static_cast<std::int32_t>(Read32(bytes, 4));
  const auto rawHeight = static_cast<std::int32_t>(Read32(bytes, 8));
  const std::uint16_t planes = Read16(bytes, 12);
  const std::uint16_t bitCount = Read16(bytes, 14);
  const std::uint32_t compression = Read32(bytes, 16);
  const std::uint32_t coloursUsed = Read32(bytes, 32);
  if (planes != 1 || compression != kBiRgb) return std::nullopt;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    return std::nullopt;
  // The most negative height has no positive counterpart; refuse it with every other oversize.
  if (rawHeight == INT32_MIN) return std::nullopt;
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxDibSide || height > kMaxDibSide ||
      std::int64_t{width} * height > kMaxDibPixels)
    return std::nullopt;

  // The colour table follows the header: coloursUsed entries, or all 2^bits when that is zero.
  std::vector<std::uint32_t> palette;
  std::size_t offset = headerSize;
  if (bitCount <= 8) {
    const std::uint32_t full = 1u << bitCount;
    const std::uint32_t count = coloursUsed == 0 ? full : coloursUsed;
    if (count > full) return std::nullopt;
    if (bytes.size() - offset < std::size_t{count} * 4) return std::nullopt;
    palette.resize(full, 0);  // indexes past the table are black
    for (std::uint32_t i = 0; i < count; ++i, offset += 4)
      palette[i] = Xrgb(bytes[offset + 2], bytes[offset + 1], bytes[offset]);
  }
  if (bitsOffsetFromFile != 0) {
    if (bitsOffsetFromFile < offset) return std::nullopt;
    offset = bitsOffsetFromFile;
  }

  const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
  if (offset > bytes.size() || (bytes.size() - offset) / stride < static_cast<std::size_t>(height)) return std::nullopt;

  DibImage image;
  image.width = width;
  image.height = height;
  image.bitsPixel = bitCount;
  image.pixels.resize(static_cast<std::size_t>(width) * height);
  // One loop per format, so the per-pixel work carries no format test (a background is 76,800
  // pixels, converted at every erase).
  auto convertRows = [&](auto convertPixel) {
    for (std::int32_t y = 0; y < height; ++y) {
      const std::uint8_t* row =
          bytes.data() + offset + stride * static_cast<std::size_t>(topDown ? y : height - 1 - y);
      std::uint32_t* out = image.pixels.data() + static_cast<std::size_t>(y) * width;
      for (std::int32_t x = 0; x < width; ++x) out[x] = convertPixel(row, x);
    }
  };
  switch (bitCount) {
    case 1: convertRows([&](const std::uint8_t* row, int x) { return palette[(row[x / 8] >> (7 - x % 8)) & 1]; }); break;
    case 4: convertRows([&](const std::uint8_t* row, int x) { return palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]; }); break;
    case 8: convertRows([&](const std::uint8_t* row, int x) { return palette[row[x]]; }); break;
    case 16:
      convertRows([](const std::uint8_t* row, int x) {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        return Xrgb(Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
      });
      break;
    case 24: convertRows([](const std::uint8_t* row, int x) { return Xrgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); }); break;
    default: convertRows([](const std::uint8_t* row, int x) { return Xrgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]); }); break;
  }
  return image;
}

}  // namespace gwes
