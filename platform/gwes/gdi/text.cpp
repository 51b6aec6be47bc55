#include "platform/gwes/gdi/text.h"

#include <algorithm>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/font_engine.h"
#include "platform/kernel/last_error.h"

namespace gwes {
namespace {

// One colour channel of `colour` laid over `under` with the given coverage.
inline std::uint32_t BlendChannel(std::uint32_t colour, std::uint32_t under, std::uint32_t coverage, int shift) {
  const std::uint32_t c = (colour >> shift) & 0xFF, d = (under >> shift) & 0xFF;
  return ((c * coverage + d * (255 - coverage) + 127) / 255) << shift;
}

inline std::uint32_t Blend(std::uint32_t colour, std::uint32_t under, std::uint32_t coverage) {
  if (coverage == 255) return colour;
  return BlendChannel(colour, under, coverage, 16) | BlendChannel(colour, under, coverage, 8) |
         BlendChannel(colour, under, coverage, 0);
}

void DrawGlyph(Surface& surface, const RECT& piece, const Glyph& glyph, int left, int top, std::uint32_t colour) {
  const RECT box = Intersection(piece, RECT{left, top, left + glyph.width, top + glyph.height});
  for (LONG y = box.top; y < box.bottom; ++y) {
    const std::uint8_t* coverage = &glyph.coverage[static_cast<std::size_t>(y - top) * glyph.width];
    std::uint32_t* row = &surface.At(0, y);
    for (LONG x = box.left; x < box.right; ++x)
      if (const std::uint8_t a = coverage[x - left]) row[x] = Blend(colour, row[x], a);
  }
}

void FillBar(Surface& surface, const RECT& piece, const RECT& bar, std::uint32_t colour) {
  const RECT box = Intersection(piece, bar);
  if (box.right <= box.left) return;
  for (LONG y = box.top; y < box.bottom; ++y) std::fill_n(&surface.At(box.left, y), box.right - box.left, colour);
}

}  // namespace

const FontInstance* SelectedFont(const DeviceContext& dc) { return dc.Font().m_instance; }

int DrawTextRun(const DeviceContext& dc, int x, int y, std::u16string_view text, const RECT* bounds, int underline,
                const int* dx) {
  const FontInstance* font = SelectedFont(dc);
  if (!font) return 0;
  thread_local std::vector<const Glyph*> glyphs;
  font->Glyphs(text, glyphs);
  const FontMetrics& metrics = font->Metrics();
  const LOGFONTW& description = dc.Font().m_logFont;

  // Pen positions, in context coordinates.
  thread_local std::vector<int> pens;
  pens.clear();
  int pen = x;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    pens.push_back(pen);
    pen += dx ? dx[i] : glyphs[i]->advance;
  }
  const int width = pen - x;

  RECT area{x, y, x + width, y + metrics.height};
  // Glyph pixels may reach outside the cells (overhangs), so the drawing area is widened unless
  // bounds are given.
  RECT limit = bounds ? *bounds : RECT{x - metrics.emPixels, y, x + width + metrics.emPixels, y + metrics.height};
  if (!bounds) limit.bottom += metrics.emPixels;  // room for descending underlines

  Surface& surface = *dc.TargetSurface();
  const POINT origin = dc.Origin();
  const std::uint32_t colour = PixelOf(dc.m_textColour);
  const std::uint32_t background = PixelOf(dc.m_bkColour);
  const int baseline = y + origin.y + metrics.ascent;
  const RECT underlineBar{0, baseline + metrics.underlineOffset, 0,
                          baseline + metrics.underlineOffset + metrics.underlineThickness};

  SurfaceLock lock(surface);
  ForEachVisiblePiece(dc, limit, [&](const RECT& piece) {
    if (dc.m_bkMode == OPAQUE) {
      const RECT cells = Intersection(piece, RECT{area.left + origin.x, area.top + origin.y, area.right + origin.x,
                                                  area.bottom + origin.y});
      FillBar(surface, piece, cells, background);
    }
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
      const Glyph& glyph = *glyphs[i];
      if (glyph.width) DrawGlyph(surface, piece, glyph, pens[i] + origin.x + glyph.left, baseline - glyph.top, colour);
    }
    if (underline >= 0 && static_cast<std::size_t>(underline) < glyphs.size()) {
      RECT bar = underlineBar;
      bar.left = pens[static_cast<std::size_t>(underline)] + origin.x;
      bar.right = bar.left + glyphs[static_cast<std::size_t>(underline)]->advance;
      FillBar(surface, piece, bar, colour);
    }
    if (description.lfUnderline) {
      RECT bar = underlineBar;
      bar.left = x + origin.x, bar.right = x + width + origin.x;
      FillBar(surface, piece, bar, colour);
    }
    if (description.lfStrikeOut) {
      const int top = baseline - metrics.ascent / 3;
      FillBar(surface, piece, RECT{x + origin.x, top, x + width + origin.x, top + metrics.underlineThickness}, colour);
    }
  });
  return width;
}

}  // namespace gwes

HFONT CreateFontIndirectW(const LOGFONTW* description) {
  if (!description) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const gwes::FontInstance* instance = gwes::ResolveFont(*description);
  if (!instance) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return gwes::InsertGdiObject(std::make_shared<gwes::FontObject>(*description, instance));
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const int* dx) {
  auto context = gwes::LookupDC(dc);
  if (!context) return FALSE;
  if ((options & ETO_OPAQUE) && rect) {
    gwes::Surface& surface = *context->TargetSurface();
    const std::uint32_t background = gwes::PixelOf(context->m_bkColour);
    gwes::SurfaceLock lock(surface);
    gwes::ForEachVisiblePiece(*context, *rect, [&](const RECT& piece) {
      for (LONG row = piece.top; row < piece.bottom; ++row)
        std::fill_n(&surface.At(piece.left, row), gwes::RectWidth(piece), background);
    });
  }
  if (!text || count == 0) return TRUE;
  if (!gwes::SelectedFont(*context)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  gwes::DrawTextRun(*context, x, y, std::u16string_view(text, count), (options & ETO_CLIPPED) ? rect : nullptr, -1, dx);
  return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size) {
  auto context = gwes::LookupDC(dc);
  if (!context || !size || count < 0 || (!text && count > 0)) {
    if (context) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const gwes::FontInstance* font = gwes::SelectedFont(*context);
  if (!font) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  *size = SIZE{font->Width(std::u16string_view(text, static_cast<std::size_t>(count))), font->Metrics().height};
  return TRUE;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) {
  auto context = gwes::LookupDC(dc);
  if (!context || !metrics) return FALSE;
  const gwes::FontInstance* font = gwes::SelectedFont(*context);
  if (!font) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  const gwes::FontMetrics& m = font->Metrics();
  const LOGFONTW& description = context->Font().m_logFont;
  *metrics = TEXTMETRICW{};
  metrics->tmHeight = m.height;
  metrics->tmAscent = m.ascent;
  metrics->tmDescent = m.descent;
  metrics->tmInternalLeading = m.internalLeading;
  metrics->tmAveCharWidth = m.aveCharWidth;
  metrics->tmMaxCharWidth = m.maxCharWidth;
  metrics->tmWeight = m.weight;
  metrics->tmDigitizedAspectX = metrics->tmDigitizedAspectY = 96;
  metrics->tmFirstChar = u' ';
  metrics->tmLastChar = u'\xFFFC';
  metrics->tmDefaultChar = u'?';
  metrics->tmBreakChar = u' ';
  metrics->tmUnderlined = description.lfUnderline;
  metrics->tmStruckOut = description.lfStrikeOut;
  metrics->tmPitchAndFamily = 0x26;  // variable pitch, TrueType, Swiss
  return TRUE;
}
