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

TEST(Text, HeightsWeightsAndFacesFollowTheDescription) {
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

  Canvas normal(-13, FW_NORMAL), bold(-13, FW_BOLD), impact(-13, FW_NORMAL, u"Impact");
  EXPECT_GT(bold.Width(u"Battery capacity"), normal.Width(u"Battery capacity"));
  GetTextMetricsW(bold.dc, &m);
  EXPECT_EQ(m.tmWeight, FW_BOLD);
  // Impact is the condensed bold face whatever the weight asked for.
  GetTextMetricsW(impact.dc, &m);
  EXPECT_EQ(m.tmWeight, FW_BOLD);
  EXPECT_GT(impact.Width(u"Battery capacity"), normal.Width(u"Battery capacity"));
  // The system face is the condensed sans: the longer line of the switch-failure message fits the
  // 190 pixels of the message text's place at its bold 13 pixels.
  EXPECT_LE(bold.Width(u"The device will be reseted."), 190);
  EXPECT_EQ(normal.Width(u"ab") + normal.Width(u"cd"), normal.Width(u"abcd"));
}

TEST(Text, TransparentTextBlendsGlyphsAndKeepsTheBackgroundBetweenStrokes) {
  Canvas canvas(-20, FW_BOLD);
  SetBkMode(canvas.dc, TRANSPARENT);
  SetTextColor(canvas.dc, RGB(255, 255, 255));
  ASSERT_TRUE(ExtTextOutW(canvas.dc, 2, 2, 0, nullptr, u"H", 1, nullptr));
  TEXTMETRICW m{};
  GetTextMetricsW(canvas.dc, &m);
  const int width = canvas.Width(u"H");
  bool full = false, partial = false;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 60; ++x) {
      const std::uint32_t p = canvas.At(x, y);
      full |= p == 0xFFFFFF;
      partial |= p != kPaper && p != 0xFFFFFF;
      // Every pixel lies between the paper and the text colour, channel by channel.
      EXPECT_GE(p & 0xFF, kPaper & 0xFF);
      EXPECT_GE((p >> 16) & 0xFF, (kPaper >> 16) & 0xFF);
    }
  }
  EXPECT_TRUE(full);
  EXPECT_TRUE(partial);  // anti-aliased edges
  // Between the H's stems, above its bar, the paper shows.
  EXPECT_EQ(canvas.At(2 + width / 2, 2 + m.tmAscent - 12), kPaper);
  EXPECT_EQ(canvas.At(0, 0), kPaper);
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
