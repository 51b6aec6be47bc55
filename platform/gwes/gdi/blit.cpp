#include "platform/gwes/gdi/blit.h"

#include <algorithm>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/fill.h"
#include "platform/kernel/last_error.h"

namespace gwes {
namespace {

// The source surface and the origin of the source's coordinates on it: a context's target, or a
// bitmap's own surface at (0, 0).
struct Source {
  std::shared_ptr<Surface> surface;
  POINT origin{0, 0};
};

std::optional<Source> ResolveSource(const void* handle) {
  auto object = LookupGdiObject(handle);
  if (!object) return std::nullopt;
  if (object->Kind() == GdiKind::DeviceContext) {
    const auto& dc = static_cast<const DeviceContext&>(*object);
    return Source{dc.TargetSurface(), dc.Origin()};
  }
  if (object->Kind() == GdiKind::Bitmap) return Source{static_cast<const BitmapObject&>(*object).m_surface, {0, 0}};
  SetLastError(ERROR_INVALID_HANDLE);
  return std::nullopt;
}

// Copies rows between surfaces (or within one), in an order that survives overlap.
void CopyPiece(Surface& dst, const RECT& piece, const Surface& src, int srcLeft, int srcTop) {
  const int width = RectWidth(piece);
  const int rows = RectHeight(piece);
  const bool upwards = &dst == &src && piece.top > srcTop;
  for (int i = 0; i < rows; ++i) {
    const int row = upwards ? rows - 1 - i : i;
    std::memmove(&dst.At(piece.left, piece.top + row), src.Row(srcTop + row) + srcLeft,
                 static_cast<std::size_t>(width) * sizeof(std::uint32_t));
  }
}

// Copies `count` pixels except those whose colour bits equal `key`, four at a time where the
// processor has SSE2 (every x86-64 does).
void KeyedCopy(std::uint32_t* dst, const std::uint32_t* src, LONG count, std::uint32_t key) {
  LONG i = 0;
#if defined(__SSE2__)
  const __m128i colourBits = _mm_set1_epi32(static_cast<int>(kColourBits));
  const __m128i keys = _mm_set1_epi32(static_cast<int>(key));
  for (; i + 4 <= count; i += 4) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i out = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i isKey = _mm_cmpeq_epi32(_mm_and_si128(in, colourBits), keys);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                     _mm_or_si128(_mm_and_si128(isKey, out), _mm_andnot_si128(isKey, in)));
  }
#endif
  for (; i < count; ++i) {
    const std::uint32_t pixel = src[i];
    dst[i] = (pixel & kColourBits) == key ? dst[i] : pixel;
  }
}

}  // namespace
}  // namespace gwes

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  using namespace gwes;
  auto target = LookupDC(dst);
  if (!target) return FALSE;
  if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY) {
    const COLORREF colour = rop == BLACKNESS ? RGB(0, 0, 0) : rop == WHITENESS ? RGB(255, 255, 255) : target->Brush().m_colour;
    if (rop == PATCOPY && target->Brush().m_hollow) return TRUE;
    FillWithColour(*target, RECT{x, y, x + width, y + height}, colour);
    return TRUE;
  }
  if (rop != SRCCOPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto source = LookupDC(src);
  if (!source) return FALSE;
  if (width <= 0 || height <= 0) return TRUE;

  Surface& to = *target->TargetSurface();
  Surface& from = *source->TargetSurface();
  // Keep only the part whose source lies on the source surface.
  const POINT srcOrigin = source->Origin();
  const RECT wanted{srcX + srcOrigin.x, srcY + srcOrigin.y, srcX + srcOrigin.x + width, srcY + srcOrigin.y + height};
  const RECT available = Intersection(wanted, RECT{0, 0, from.width, from.height});
  if (RectEmpty(available)) return TRUE;
  const int shiftX = x - wanted.left, shiftY = y - wanted.top;  // source surface → destination context
  const RECT destination{available.left + shiftX, available.top + shiftY, available.right + shiftX,
                         available.bottom + shiftY};

  SurfaceLock lock(to, &from);
  to.WritablePixels();  // a copy of its own before anything is read, in case `from` is `to`
  const POINT dstOrigin = target->Origin();
  ForEachVisiblePiece(*target, destination, [&](const RECT& piece) {
    CopyPiece(to, piece, from, piece.left - dstOrigin.x - shiftX, piece.top - dstOrigin.y - shiftY);
  });
  return TRUE;
}

BOOL TransparentImage(HDC dst, LONG x, LONG y, LONG width, LONG height, HANDLE source, LONG srcX, LONG srcY,
                      LONG srcWidth, LONG srcHeight, COLORREF key) {
  using namespace gwes;
  auto target = LookupDC(dst);
  if (!target) return FALSE;
  auto from = ResolveSource(source);
  if (!from) return FALSE;
  if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::uint32_t keyPixel = PixelOf(key & kColourBits);
  Surface& to = *target->TargetSurface();
  const Surface& in = *from->surface;
  const POINT dstOrigin = target->Origin();
  const bool sameSize = width == srcWidth && height == srcHeight;

  SurfaceLock lock(to, from->surface.get());
  to.WritablePixels();  // a copy of its own before anything is read, in case `in` is `to`
  ForEachVisiblePiece(*target, RECT{x, y, x + width, y + height}, [&](const RECT& piece) {
    for (LONG py = piece.top; py < piece.bottom; ++py) {
      const LONG dy = py - dstOrigin.y - y;  // row within the destination rectangle
      const LONG sy = srcY + from->origin.y + (sameSize ? dy : static_cast<LONG>(std::int64_t{dy} * srcHeight / height));
      if (sy < 0 || sy >= in.height) continue;
      const std::uint32_t* srcRow = in.Row(sy);
      std::uint32_t* dstRow = &to.At(0, py);
      if (sameSize) {
        // Source column of px is px + shift; keep the columns whose source lies on the surface.
        const LONG shift = srcX + from->origin.x - x - dstOrigin.x;
        const LONG first = std::max(piece.left, -shift), last = std::min(piece.right, in.width - shift);
        KeyedCopy(dstRow + first, srcRow + first + shift, last - first, keyPixel);
        continue;
      }
      for (LONG px = piece.left; px < piece.right; ++px) {
        const LONG sx = srcX + from->origin.x + static_cast<LONG>(std::int64_t{px - dstOrigin.x - x} * srcWidth / width);
        if (sx < 0 || sx >= in.width) continue;
        const std::uint32_t pixel = srcRow[sx];
        if ((pixel & kColourBits) != keyPixel) dstRow[px] = pixel;
      }
    }
  });
  return TRUE;
}
