#include "platform/gwes/gdi/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/font_engine.h"

namespace {

constexpr std::uint32_t kPaper = 0x203040;

// A 60 x 30 surface of kPaper and a context on it with the given font selected.
struct Canvas {
  explicit Canvas(LONG height = -13, LONG weight = FW_NORMAL, const char16_t* face = u"System")
      : surface(std::make_shared<gwes::Surface>(60, 30)) {
    std::ranges::fill(surface->WritablePixels(), kPaper);
    dc = gwes::CreateSurfaceDC(surface, {0, 0}, {RECT{0, 0, 60, 30}});
    LOGFONTW description = gwes::SystemLogFont();
    description.lfHeight = height;
    description.lfWeight = weight;
    std::char_traits<char16_t>::copy(description.lfFaceName, face, std::char_traits<char16_t>::length(face) + 1);
    font = CreateFontIndirectW(&description);
    old = SelectObject(dc, font);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
  }
  int Width(std::u16string_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  std::uint32_t At(int x, int y) const { return surface->Pixel(x, y) & 0xFFFFFF; }

  std::shared_ptr<gwes::Surface> surface;
  HDC dc;
  HFONT font;
  HGDIOBJ old;
};

// Faces, weights, anti-aliased blending and transparent output show on every page's golden image.
TEST(Text, HeightsFollowTheDescriptionAndWidthsAddUp) {
  Canvas character(-22);
  TEXTMETRICW m{};
  ASSERT_TRUE(GetTextMetricsW(character.dc, &m));
  EXPECT_EQ(m.tmHeight - m.tmInternalLeading, 22);  // negative height: the character height
  EXPECT_EQ(m.tmHeight, m.tmAscent + m.tmDescent);
  Canvas cell(16);
  GetTextMetricsW(cell.dc, &m);
  EXPECT_EQ(m.tmHeight, 16);  // positive height: the cell height
  Canvas huge(INT32_MIN);
  GetTextMetricsW(huge.dc, &m);
  EXPECT_EQ(m.tmHeight - m.tmInternalLeading, 512);  // sizes are capped, never overflowed
  Canvas impact(-13, FW_NORMAL, u"Impact");
  GetTextMetricsW(impact.dc, &m);
  EXPECT_EQ(m.tmWeight, FW_BOLD);  // Impact is the condensed bold face whatever the weight asked for
  EXPECT_EQ(cell.Width(u"ab") + cell.Width(u"cd"), cell.Width(u"abcd"));
}

TEST(Text, OpaqueModeFillsTheCellsAndClippedOutputStaysInsideItsRectangle) {
  Canvas canvas;
  SetBkColor(canvas.dc, RGB(0, 0, 9));
  EXPECT_EQ(GetBkMode(canvas.dc), OPAQUE);
  ExtTextOutW(canvas.dc, 1, 1, 0, nullptr, u"ii", 2, nullptr);
  TEXTMETRICW m{};
  GetTextMetricsW(canvas.dc, &m);
  const int width = canvas.Width(u"ii");
  EXPECT_EQ(canvas.At(1, 1), 9u);                                  // the cell's top-left corner
  EXPECT_EQ(canvas.At(1 + width - 1, 1 + m.tmHeight - 1), 9u);     // and its bottom-right one
  EXPECT_EQ(canvas.At(1 + width, 1), kPaper);                       // nothing past the cell
  EXPECT_EQ(canvas.At(1, 1 + m.tmHeight), kPaper);

  Canvas clipped;
  SetBkMode(clipped.dc, TRANSPARENT);
  SetTextColor(clipped.dc, RGB(255, 255, 255));
  const RECT box{0, 0, 10, 30};
  ExtTextOutW(clipped.dc, 0, 0, ETO_CLIPPED, &box, u"WWWW", 4, nullptr);
  for (int y = 0; y < 30; ++y)
    for (int x = 10; x < 60; ++x) ASSERT_EQ(clipped.At(x, y), kPaper) << x << "," << y;
  ExtTextOutW(clipped.dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
  EXPECT_EQ(clipped.At(9, 29), 0xFFFFFFu);  // the default background colour, white
}

}  // namespace
