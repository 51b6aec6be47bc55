#include "platform/gwes/gdi/fill.h"

#include <algorithm>
#include <array>

#include "platform/gwes/gdi/device_context.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr int kSysColourCount = COLOR_GRADIENTINACTIVECAPTION + 1;

// The device's default scheme: the classic grey 3-D look with a navy selection.
constexpr std::array<COLORREF, kSysColourCount> kSysColours = {
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // desktop
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application work space
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlighted text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3-D dark shadow
    RGB(192, 192, 192),  // 3-D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
    RGB(192, 192, 192),  // static background
    RGB(0, 0, 0),        // static text
    RGB(0, 0, 128),      // active caption gradient
    RGB(128, 128, 128),  // inactive caption gradient
};

// The index without the device's flag; -1 when out of range.
int SysColourIndex(int index) {
  index &= ~SYS_COLOR_INDEX_FLAG;
  return index >= 0 && index < kSysColourCount ? index : -1;
}

}  // namespace

namespace gwes {

void FillWithColour(const DeviceContext& dc, const RECT& rect, COLORREF colour) {
  Surface& surface = *dc.TargetSurface();
  const std::uint32_t pixel = PixelOf(colour);
  SurfaceLock lock(surface);
  ForEachVisiblePiece(dc, rect, [&](const RECT& piece) {
    for (LONG y = piece.top; y < piece.bottom; ++y) std::fill_n(&surface.At(piece.left, y), RectWidth(piece), pixel);
  });
}

}  // namespace gwes

HBRUSH CreateSolidBrush(COLORREF colour) {
  return gwes::InsertGdiObject(std::make_shared<gwes::BrushObject>(colour & gwes::kColourBits, false));
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  auto context = gwes::LookupDC(dc);
  if (!context || !rect) return 0;
  COLORREF colour;
  const auto value = reinterpret_cast<ULONG_PTR>(brush);
  if (value >= 1 && value <= kSysColourCount) {
    colour = kSysColours[value - 1];
  } else {
    auto object = gwes::LookupGdi<gwes::BrushObject>(brush);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    if (object->m_hollow) return 1;
    colour = object->m_colour;
  }
  gwes::FillWithColour(*context, *rect, colour);
  return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  if (!gwes::LookupDC(dc) || !rect) return 0;
  const RECT& r = *rect;
  if (r.right <= r.left || r.bottom <= r.top) return 1;
  const RECT edges[4] = {{r.left, r.top, r.right, r.top + 1},
                         {r.left, r.bottom - 1, r.right, r.bottom},
                         {r.left, r.top, r.left + 1, r.bottom},
                         {r.right - 1, r.top, r.right, r.bottom}};
  for (const RECT& edge : edges)
    if (!FillRect(dc, &edge, brush)) return 0;
  return 1;
}

DWORD GetSysColor(int index) {
  const int i = SysColourIndex(index);
  return i < 0 ? 0 : kSysColours[static_cast<std::size_t>(i)];
}

HBRUSH GetSysColorBrush(int index) {
  static const auto brushes = [] {
    std::array<HBRUSH, kSysColourCount> all{};
    for (std::size_t i = 0; i < all.size(); ++i)
      all[i] = gwes::InsertStockObject(std::make_shared<gwes::BrushObject>(kSysColours[i], false));
    return all;
  }();
  const int i = SysColourIndex(index);
  if (i < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return brushes[static_cast<std::size_t>(i)];
}
