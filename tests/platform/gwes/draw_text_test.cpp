#include "platform/gwes/gdi/draw_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/font_engine.h"
#include "platform/gwes/gdi/text.h"

namespace {

using gwes::LayoutText;

// One pixel per character, so widths are character counts.
int Count(std::u16string_view text) { return static_cast<int>(text.size()); }

using Lines = std::vector<std::u16string>;

// Each line's text, with "_" before the character a prefix underlines.
Lines Texts(const std::vector<gwes::TextLine>& lines) {
  Lines texts;
  for (gwes::TextLine line : lines) {
    if (line.underline >= 0) line.text.insert(static_cast<std::size_t>(line.underline), u"_");
    texts.push_back(line.text);
  }
  return texts;
}

TEST(DrawTextLayout, WordBreaksFillLinesGreedilyLineEndsBreakAndPrefixesUnderlineTheirCharacter) {
  // Each row: a text, its format and width, the lines it is laid out as.
  const std::tuple<const char16_t*, UINT, int, Lines> rows[] = {
      {u"one two three", DT_WORDBREAK, 7, {u"one two", u"three"}},
      {u"ab   cd", DT_WORDBREAK, 3, {u"ab", u"cd"}},  // the breaking spaces go
      {u"ab  cd", DT_WORDBREAK, 10, {u"ab  cd"}},
      {u"a verylongword b", DT_WORDBREAK, 5, {u"a", u"verylongword", u"b"}},  // never split
      {u"one two three", 0, 7, {u"one two three"}},
      {u"one two three", DT_WORDBREAK | DT_SINGLELINE, 7, {u"one two three"}},
      {u"a\nb\r\nc\rd", 0, 100, {u"a", u"b", u"c", u"d"}},
      {u"a\n\nb\n", 0, 100, {u"a", u"", u"b", u""}},
      {u"a\nb", DT_SINGLELINE, 100, {u"a\nb"}},
      {u"Switch failed!\nThe device will be reseted.", DT_WORDBREAK, 20,
       {u"Switch failed!", u"The device will be", u"reseted."}},
      {u"Save && &Exit", 0, 100, {u"Save & _Exit"}},
      {u"Save && &Exit", DT_NOPREFIX, 100, {u"Save && &Exit"}},
      {u"a&", 0, 100, {u"a"}},
      {u"one t&wo", DT_WORDBREAK, 4, {u"one", u"t_wo"}},  // the index counts within its own line
  };
  for (const auto& [text, format, width, lines] : rows)
    EXPECT_EQ(Texts(LayoutText(text, format, width, Count)), lines) << format << " " << width;
  const auto lines = LayoutText(u"one two three", DT_WORDBREAK, 7, Count);
  EXPECT_EQ(lines[0].width, 7);
  EXPECT_EQ(lines[1].width, 5);
  EXPECT_EQ(LayoutText(u"Save && &Exit", 0, 100, Count)[0].width, 11);
}

constexpr std::uint32_t kPaper = 0x000000;

// A w x h surface of kPaper and a context on it drawing white, transparent text in the system face
// at the given height and weight (13-pixel bold by default), or in another face.
struct Page {
  Page(int w, int h, LONG height = gwes::SystemLogFont().lfHeight, LONG weight = FW_BOLD,
       std::u16string_view face = u"System")
      : surface(std::make_shared<gwes::Surface>(w, h)) {
    dc = gwes::CreateSurfaceDC(surface, {0, 0}, {RECT{0, 0, w, h}});
    LOGFONTW description = gwes::SystemLogFont();
    description.lfHeight = height;
    description.lfWeight = weight;
    face.copy(description.lfFaceName, LF_FACESIZE - 1);
    font = CreateFontIndirectW(&description);
    old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    lineHeight = Metrics().tmHeight;
  }
  ~Page() {
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
  }
  TEXTMETRICW Metrics() const {
    TEXTMETRICW metrics{};
    EXPECT_TRUE(GetTextMetricsW(dc, &metrics));
    return metrics;
  }
  int Width(std::u16string_view text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  int Draw(const char16_t* text, RECT rect, UINT format) { return DrawTextW(dc, text, -1, &rect, format); }
  std::uint32_t At(int x, int y) const { return surface->Pixel(x, y) & 0xFFFFFF; }
  // The rows [top, top + count) as they are.
  std::vector<std::uint32_t> Rows(int top, int count) const {
    const auto first = surface->Pixels().begin() + static_cast<std::ptrdiff_t>(top) * surface->width;
    return {first, first + static_cast<std::ptrdiff_t>(count) * surface->width};
  }
  bool InkIn(RECT r) const {
    for (LONG y = r.top; y < r.bottom; ++y)
      for (LONG x = r.left; x < r.right; ++x)
        if (At(x, y) != kPaper) return true;
    return false;
  }
  std::shared_ptr<gwes::Surface> surface;
  HDC dc;
  HFONT font;
  HGDIOBJ old;
  int lineHeight = 0;
};

// Faces, weights, anti-aliased blending and transparent output show on every page's golden image.
TEST(Text, HeightsFollowTheDescriptionAndWidthsAddUp) {
  const TEXTMETRICW character = Page(60, 30, -22).Metrics();
  EXPECT_EQ(character.tmHeight - character.tmInternalLeading, 22);  // negative height: the character height
  EXPECT_EQ(character.tmHeight, character.tmAscent + character.tmDescent);
  EXPECT_EQ(Page(60, 30, 16).Metrics().tmHeight, 16);  // positive height: the cell height
  const TEXTMETRICW huge = Page(60, 30, INT32_MIN).Metrics();
  EXPECT_EQ(huge.tmHeight - huge.tmInternalLeading, 512);  // sizes are capped, never overflowed
  // Impact is the condensed bold face whatever the weight asked for.
  EXPECT_EQ(Page(60, 30, -13, FW_NORMAL, u"Impact").Metrics().tmWeight, FW_BOLD);
  Page page(60, 30);
  EXPECT_EQ(page.Width(u"ab") + page.Width(u"cd"), page.Width(u"abcd"));
}

TEST(Text, OpaqueModeFillsTheCellsAndClippedOutputStaysInsideItsRectangle) {
  HDC fresh = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetBkMode(fresh), OPAQUE);
  DeleteDC(fresh);
  Page canvas(60, 30, -13, FW_NORMAL);
  SetBkMode(canvas.dc, OPAQUE);
  SetBkColor(canvas.dc, RGB(0, 0, 9));
  ExtTextOutW(canvas.dc, 1, 1, 0, nullptr, u"ii", 2, nullptr);
  const int width = canvas.Width(u"ii"), height = canvas.lineHeight;
  EXPECT_EQ(canvas.At(1, 1), 9u);              // the cell's top-left corner
  EXPECT_EQ(canvas.At(width, height), 9u);     // and its bottom-right one
  EXPECT_EQ(canvas.At(1 + width, 1), kPaper);  // nothing past the cell
  EXPECT_EQ(canvas.At(1, 1 + height), kPaper);

  Page clipped(60, 30);
  const RECT box{0, 0, 10, 30};
  ExtTextOutW(clipped.dc, 0, 0, ETO_CLIPPED, &box, u"WWWW", 4, nullptr);
  EXPECT_TRUE(clipped.InkIn(box));
  EXPECT_FALSE(clipped.InkIn(RECT{10, 0, 60, 30}));
  ExtTextOutW(clipped.dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
  EXPECT_EQ(clipped.At(9, 29), 0xFFFFFFu);  // the default background colour, white
}

TEST(DrawText, AlignmentPlacesEachLineAndVerticalAlignmentAppliesToSingleLinesOnly) {
  Page top(100, 40), bottom(100, 40), ignored(100, 40);
  top.Draw(u"Hg", RECT{0, 0, 100, 40}, DT_SINGLELINE);
  const int height = top.lineHeight;
  EXPECT_EQ(bottom.Draw(u"Hg", RECT{0, 0, 100, 40}, DT_SINGLELINE | DT_BOTTOM), 40);  // down to the text's bottom
  EXPECT_EQ(bottom.Rows(40 - height, height), top.Rows(0, height));
  // Without DT_SINGLELINE the text stays at the top, as on the device.
  EXPECT_EQ(ignored.Draw(u"Hg", RECT{0, 0, 100, 40}, DT_VCENTER), height);
  EXPECT_EQ(ignored.Rows(0, 40), top.Rows(0, 40));
  // DT_RIGHT ends each line at the right edge.
  Page reference(100, 40), right(100, 40);
  reference.Draw(u"Back", RECT{90 - reference.Width(u"Back"), height, 100, 40}, DT_NOCLIP);
  right.Draw(u"\nBack", RECT{10, 0, 90, 40}, DT_RIGHT);
  EXPECT_EQ(right.Rows(height, height), reference.Rows(height, height));
}

// The measured height, the answer and that nothing is drawn show on the message pages' golden images.
TEST(DrawText, CalcRectGivesTheWidestLinesWidth) {
  Page page(200, 60);
  const char16_t* text = u"Battery capacity is too low!";
  const int full = page.Width(text), first = page.Width(u"Battery capacity is too");  // the wider line
  RECT rect{5, 5, 5 + full - 1, 6};
  DrawTextW(page.dc, text, -1, &rect, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(rect.right, 5 + first);
  RECT single{0, 0, 1, 1};
  DrawTextW(page.dc, text, -1, &single, DT_CALCRECT);
  EXPECT_EQ(single.right, full);
}

TEST(DrawText, OutputIsClippedUnlessNoClipAndAmpersandsDrawAsTheDeviceShowsThem) {
  Page clipped(120, 20), free(120, 20);
  clipped.Draw(u"WWWWWWWW", RECT{0, 0, 30, 20}, 0);
  free.Draw(u"WWWWWWWW", RECT{0, 0, 30, 20}, DT_NOCLIP);
  EXPECT_TRUE(clipped.InkIn(RECT{0, 0, 30, 20}));
  EXPECT_FALSE(clipped.InkIn(RECT{30, 0, 120, 20}));
  EXPECT_TRUE(free.InkIn(RECT{30, 0, 120, 20}));

  Page doubled(60, 20), plain(60, 20), marked(60, 20), unmarked(60, 20);
  doubled.Draw(u"A&&B", RECT{0, 0, 60, 20}, 0);
  plain.Draw(u"A&B", RECT{0, 0, 60, 20}, DT_NOPREFIX);
  EXPECT_EQ(doubled.Rows(0, 20), plain.Rows(0, 20));
  // "&x" hides the "&" and underlines x below the baseline.
  marked.Draw(u"&x", RECT{0, 0, 60, 20}, 0);
  unmarked.Draw(u"x", RECT{0, 0, 60, 20}, 0);
  EXPECT_NE(marked.Rows(0, 20), unmarked.Rows(0, 20));
  const int ascent = marked.Metrics().tmAscent;
  EXPECT_EQ(marked.Rows(0, ascent), unmarked.Rows(0, ascent));
}

}  // namespace
