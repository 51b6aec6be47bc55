// Builds BITMAP resource bytes for drawing tests: a BITMAPINFOHEADER, the colour table and the rows,
// each padded to four bytes and stored bottom-up (positive height) or top-down (negative height).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace gwes_test {

using Bytes = std::vector<std::uint8_t>;

inline void Put(Bytes& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// `rows` are the unpadded pixel bytes of each row, top row first; `palette` holds XRGB colours.
inline Bytes MakeDib(int width, int height, int bits, const std::vector<std::uint32_t>& palette,
                     const std::vector<Bytes>& rows) {
  Bytes dib;
  Put(dib, 40, 4), Put(dib, static_cast<std::uint32_t>(width), 4), Put(dib, static_cast<std::uint32_t>(height), 4);
  Put(dib, 1, 2), Put(dib, static_cast<std::uint32_t>(bits), 2), Put(dib, 0, 4), Put(dib, 0, 4);
  Put(dib, 2835, 4), Put(dib, 2835, 4), Put(dib, static_cast<std::uint32_t>(palette.size()), 4), Put(dib, 0, 4);
  for (std::uint32_t colour : palette) Put(dib, colour, 4);
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const int count = std::abs(height);
  for (int i = 0; i < count; ++i) {
    const Bytes& row = rows[static_cast<std::size_t>(height < 0 ? i : count - 1 - i)];
    dib.insert(dib.end(), row.begin(), row.end());
    dib.insert(dib.end(), stride - row.size(), 0xEE);  // padding the parser must skip
  }
  return dib;
}

}  // namespace gwes_test
