#include "platform/gwes/gdi/bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/gwes/gdi/dib.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/kernel/last_error.h"

namespace {

// Anything larger is refused rather than allocated.
constexpr int kMaxSide = gwes::kMaxDibSide;

bool SizeAllowed(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

}  // namespace

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  (void)dc;  // every context of this device is 32-bit
  if (width == 0 || height == 0) return gwes::DefaultBitmap();
  if (!SizeAllowed(width, height)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return gwes::InsertGdiObject(std::make_shared<gwes::BitmapObject>(width, height, 32));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width == 0 || height == 0) return gwes::DefaultBitmap();
  if (!SizeAllowed(width, height) || planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bitmap = std::make_shared<gwes::BitmapObject>(width, height, static_cast<int>(bitsPerPixel));
  const std::span<std::uint32_t> pixels = bitmap->m_surface->WritablePixels();
  if (bits && bitsPerPixel == 32) {
    std::memcpy(pixels.data(), bits, pixels.size() * sizeof(std::uint32_t));
    for (auto& pixel : pixels) pixel &= gwes::kColourBits;
  } else if (bits) {
    const auto* rows = static_cast<const std::uint8_t*>(bits);
    const std::size_t stride = static_cast<std::size_t>(width + 15) / 16 * 2;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        pixels[static_cast<std::size_t>(y) * width + x] =
            (rows[y * stride + x / 8] >> (7 - x % 8)) & 1 ? gwes::kColourBits : 0;
  }
  return gwes::InsertGdiObject(std::move(bitmap));
}

namespace gwes {

HBITMAP CreateBitmapSharing(int width, int height, int bitsPixel, SharedPixels pixels) {
  auto surface = std::make_shared<Surface>(width, height, std::move(pixels));
  return InsertGdiObject(std::make_shared<BitmapObject>(std::move(surface), bitsPixel));
}

HBITMAP CreateBitmapFromDib(std::span<const std::uint8_t> dib) {
  auto image = ParseDib(dib);
  if (!image) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  auto surface = std::make_shared<Surface>(image->width, image->height, std::move(image->pixels));
  auto bitmap = std::make_shared<BitmapObject>(std::move(surface), image->bitsPixel == 1 ? 1 : 32);
  return InsertGdiObject(std::move(bitmap));
}

}  // namespace gwes
