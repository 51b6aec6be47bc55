#include "sim/display/desk_canvas.h"

#include <algorithm>

#include "platform/kernel/wide_string.h"

namespace sim {

DeskCanvas::DeskCanvas(int width, int height)
    : m_surface(std::make_shared<gwes::Surface>(width, height)),
      m_dc(gwes::CreateSurfaceDC(m_surface, POINT{0, 0}, {RECT{0, 0, width, height}})) {
  SetBkMode(m_dc, TRANSPARENT);
}

DeskCanvas::~DeskCanvas() {
  // The fonts go after the context that holds one of them.
  DeleteDC(m_dc);
  for (auto& [key, font] : m_fonts) DeleteObject(font);
}

void DeskCanvas::Fill(const RECT& rect, COLORREF colour) {
  auto dc = gwes::LookupDC(m_dc);
  if (dc) gwes::FillWithColour(*dc, rect, colour);
}

void DeskCanvas::RoundFill(const RECT& rect, int radius, COLORREF colour) {
  radius =
      std::min({radius, static_cast<int>(gwes::RectWidth(rect)) / 2, static_cast<int>(gwes::RectHeight(rect)) / 2});
  // Each row of the corners is shorter by what lies outside a circle of the radius.
  for (int row = 0; row < radius; ++row) {
    const int dy = radius - row;
    int inset = 0;
    while (inset < radius && (radius - inset) * (radius - inset) + dy * dy > radius * radius) ++inset;
    Fill(RECT{rect.left + inset, rect.top + row, rect.right - inset, rect.top + row + 1}, colour);
    Fill(RECT{rect.left + inset, rect.bottom - row - 1, rect.right - inset, rect.bottom - row}, colour);
  }
  Fill(RECT{rect.left, rect.top + radius, rect.right, rect.bottom - radius}, colour);
}

void DeskCanvas::Frame(const RECT& rect, COLORREF colour) {
  Fill(RECT{rect.left, rect.top, rect.right, rect.top + 1}, colour);
  Fill(RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
  Fill(RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
  Fill(RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

HFONT DeskCanvas::FontOf(int pixels, bool bold) {
  auto& font = m_fonts[{pixels, bold}];
  if (font == nullptr) {
    LOGFONTW description{};
    description.lfHeight = -pixels;
    description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    std::copy_n(u"System", 7, description.lfFaceName);
    font = CreateFontIndirectW(&description);
  }
  return font;
}

void DeskCanvas::Text(const RECT& rect, std::string_view text, int pixels, bool bold, COLORREF colour, UINT format) {
  HFONT font = FontOf(pixels, bold);
  if (font == nullptr) return;  // the font file is missing: the desk shows without its words
  SelectObject(m_dc, font);
  SetTextColor(m_dc, colour);
  std::u16string wide = kernel::Utf8ToWide(text);
  RECT box = rect;
  DrawTextW(m_dc, wide.c_str(), static_cast<int>(wide.size()), &box, format | DT_NOPREFIX);
}

}  // namespace sim
