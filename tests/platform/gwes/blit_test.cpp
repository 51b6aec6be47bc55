#include "platform/gwes/gdi/blit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/gwes/gdi/bitmap.h"
#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/fill.h"
#include "tests/platform/gwes/dib_builder.h"

namespace {

using gwes::Surface;
using Picture = std::vector<std::string>;

constexpr std::uint32_t kBack = 0x101010;

// A surface of the given size filled with kBack, and a context on all of it.
struct Screen {
  Screen(int w, int h, POINT origin = {0, 0}, std::vector<RECT> clip = {}) : surface(std::make_shared<Surface>(w, h)) {
    std::ranges::fill(surface->WritablePixels(), kBack);
    if (clip.empty()) clip = {RECT{0, 0, w, h}};
    dc = gwes::CreateSurfaceDC(surface, origin, std::move(clip));
  }
  ~Screen() { DeleteDC(dc); }
  // One character a pixel, top row first: '.' background, 'a'.. the source's own values, '#' black,
  // 'W' white, '?' anything else.
  Picture Rows() const {
    Picture rows(static_cast<std::size_t>(surface->height));
    for (int y = 0; y < surface->height; ++y)
      for (int x = 0; x < surface->width; ++x) {
        const std::uint32_t p = surface->Pixel(x, y) & 0xFFFFFF;
        const char named = p == kBack ? '.' : p == 0 ? '#' : p == 0xFFFFFF ? 'W' : '?';
        rows[y] += p >= 1 && p <= 26 ? static_cast<char>('a' + p - 1) : named;
      }
    return rows;
  }
  std::shared_ptr<Surface> surface;
  HDC dc;
};

// A memory context holding a bitmap: given pixels, or w x h pixels 1 + x + w * y (letters in Rows).
struct Source {
  Source(int w, int h, std::vector<std::uint32_t> bits = {}) : dc(CreateCompatibleDC(nullptr)) {
    if (bits.empty())
      for (int i = 0; i < w * h; ++i) bits.push_back(static_cast<std::uint32_t>(i + 1));
    bitmap = CreateBitmap(w, h, 1, 32, bits.data());
    old = SelectObject(dc, bitmap);
  }
  ~Source() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // Sets the unused top byte of pixel i, which no drawing may take for a colour.
  void StrayTopByte(std::size_t i) {
    gwes::LookupGdi<gwes::BitmapObject>(bitmap)->m_surface->WritablePixels()[i] |= 0xFF000000;
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

TEST(Blit, BitBltClipsAtEveryEdgeOfTheDestinationAndSource) {
  Source source(3, 2);  // abc / def
  Screen screen(5, 4);
  ASSERT_TRUE(BitBlt(screen.dc, -1, -1, 3, 2, source.dc, 0, 0, SRCCOPY));  // left and top
  ASSERT_TRUE(BitBlt(screen.dc, 3, 3, 3, 2, source.dc, 0, 0, SRCCOPY));    // right and bottom
  EXPECT_EQ(screen.Rows(), (Picture{"ef...", ".....", ".....", "...ab"}));
  // What lies outside the source bitmap is not drawn.
  Screen other(5, 2);
  ASSERT_TRUE(BitBlt(other.dc, 0, 0, 5, 2, source.dc, -1, 1, SRCCOPY));
  EXPECT_EQ(other.Rows(), (Picture{".def.", "....."}));
}

TEST(Blit, SurfaceContextDrawsAtItsOriginInsideTheUnionOfItsClip) {
  Source source(4, 2);  // abcd / efgh
  // Window at (1, 1); visible are two overlapping strips of the surface.
  Screen screen(6, 4, POINT{1, 1}, {RECT{0, 0, 3, 4}, RECT{2, 2, 6, 3}, RECT{1, 1, 3, 3}});
  ASSERT_TRUE(BitBlt(screen.dc, 0, 0, 4, 2, source.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(screen.Rows(), (Picture{"......", ".ab...", ".efgh.", "......"}));
  RECT box{};
  EXPECT_EQ(GetClipBox(screen.dc, &box), COMPLEXREGION);
  EXPECT_EQ((std::vector<LONG>{box.left, box.right}), (std::vector<LONG>{-1, 5}));
  // Fills clip the same way.
  RECT all{-5, -5, 20, 20};
  FillRect(screen.dc, &all, GetStockObject(BLACK_BRUSH));
  EXPECT_EQ(screen.Rows(), (Picture{"###...", "###...", "######", "###..."}));
}

TEST(Blit, OverlappingCopyWithinOneSurfaceMovesRowsIntact) {
  Screen screen(4, 4);
  for (int i = 0; i < 16; ++i) screen.surface->WritablePixels()[i] = static_cast<std::uint32_t>(1 + i);
  HDC second = gwes::CreateSurfaceDC(screen.surface, {0, 0}, {RECT{0, 0, 4, 4}});
  ASSERT_TRUE(BitBlt(screen.dc, 1, 1, 3, 3, second, 0, 0, SRCCOPY));  // down and right
  EXPECT_EQ(screen.Rows(), (Picture{"abcd", "eabc", "iefg", "mijk"}));
  ASSERT_TRUE(BitBlt(screen.dc, 0, 0, 3, 3, second, 1, 1, SRCCOPY));  // back up and left
  EXPECT_EQ(screen.Rows(), (Picture{"abcd", "efgc", "ijkg", "mijk"}));
  DeleteDC(second);
}

TEST(Blit, TransparentImageLeavesOutTheKeyColourByItsColourBitsOnly) {
  for (COLORREF key : {RGB(1, 0, 0), RGB(200, 200, 200)}) {
    const std::uint32_t keyPixel = gwes::PixelOf(key);
    // Key pixels with a stray top byte are still the key; a pixel one step off is drawn.
    Source source(2, 2, {keyPixel, 1, keyPixel, keyPixel ^ 1});
    source.StrayTopByte(2);
    Screen screen(3, 2);
    ASSERT_TRUE(TransparentImage(screen.dc, 1, 0, 2, 2, source.dc, 0, 0, 2, 2, key | 0xFF000000));
    EXPECT_EQ(screen.Rows()[0], "..a");
    EXPECT_EQ(screen.surface->Pixel(1, 1) & 0xFFFFFF, kBack);
    EXPECT_EQ(screen.surface->Pixel(2, 1) & 0xFFFFFF, keyPixel ^ 1);
    // The source may be the bitmap itself, not only a context.
    Screen direct(2, 1);
    SelectObject(source.dc, source.old);
    ASSERT_TRUE(TransparentImage(direct.dc, 0, 0, 2, 1, source.bitmap, 0, 0, 2, 1, key));
    EXPECT_EQ(direct.Rows(), Picture{".a"});
  }
}

TEST(Blit, TransparentImageClipsAndStretches) {
  Source source(2, 1);  // ab
  Screen screen(4, 2);
  ASSERT_TRUE(TransparentImage(screen.dc, -1, 0, 2, 1, source.dc, 0, 0, 2, 1, RGB(1, 0, 0)));
  ASSERT_TRUE(TransparentImage(screen.dc, 0, 1, 4, 1, source.dc, 0, 0, 2, 1, RGB(9, 9, 9)));
  EXPECT_EQ(screen.Rows(), (Picture{"b...", "aabb"}));
  EXPECT_FALSE(TransparentImage(screen.dc, 0, 0, 0, 1, source.dc, 0, 0, 2, 1, 0));
  // A row long enough for the four-pixel path, with keys (one with a stray top byte) in and after
  // it, its source starting left of the bitmap.
  Source row(10, 1, {1, 2, 0x010000, 4, 5, 0x010000, 7, 8, 0x010000, 10});
  row.StrayTopByte(5);
  Screen wide(12, 1);
  ASSERT_TRUE(TransparentImage(wide.dc, 0, 0, 12, 1, row.dc, -1, 0, 12, 1, RGB(1, 0, 0)));
  EXPECT_EQ(wide.Rows(), Picture{".ab.de.gh.j."});
}

TEST(Blit, DibBitmapsDrawThroughMemoryContexts) {
  // An 8-bit, 3 x 2 bottom-up DIB: palette index i is colour i + 1.
  const auto dib = gwes_test::MakeDib(3, 2, 8, {1, 2, 3, 4}, {{0, 1, 2}, {3, 3, 0}});
  HBITMAP bitmap = gwes::CreateBitmapFromDib(dib);
  ASSERT_TRUE(bitmap);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, bitmap);
  Screen screen(3, 2);
  BitBlt(screen.dc, 0, 0, 3, 2, memory, 0, 0, SRCCOPY);
  EXPECT_EQ(screen.Rows(), (Picture{"abc", "dda"}));
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
  EXPECT_EQ(gwes::CreateBitmapFromDib(std::span(dib).first(30)), nullptr);
}

TEST(Blit, FillRectUsesBrushesSystemColoursAndExcludesTheFarEdges) {
  Screen screen(4, 3);
  RECT r{1, 0, 3, 2}, corner{3, 2, 4, 3};
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 2));
  EXPECT_TRUE(FillRect(screen.dc, &r, brush));
  FillRect(screen.dc, &r, GetStockObject(NULL_BRUSH));  // hollow: nothing
  FillRect(screen.dc, &corner, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  EXPECT_TRUE(BitBlt(screen.dc, 0, 2, 1, 1, nullptr, 0, 0, WHITENESS));
  EXPECT_EQ(screen.Rows(), (Picture{".bb.", ".bb.", "W..W"}));
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT | SYS_COLOR_INDEX_FLAG), RGB(0, 0, 0));
  EXPECT_FALSE(BitBlt(screen.dc, 0, 0, 1, 1, screen.dc, 0, 0, 0x00660046));  // SRCINVERT is not offered
  DeleteObject(brush);
}

TEST(Blit, FrameRectDrawsOnlyTheInsideBorderAndNothingForAnEmptyRectangle) {
  Screen screen(6, 5);
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 2));
  RECT box{1, 0, 5, 4};
  RECT column{5, 1, 6, 4};  // one pixel wide: a solid column
  RECT flat{0, 4, 0, 5};    // no width: not even its left edge
  RECT upside{0, 4, 6, 3};  // bottom above top
  EXPECT_TRUE(FrameRect(screen.dc, &box, brush));
  EXPECT_TRUE(FrameRect(screen.dc, &column, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)));
  EXPECT_TRUE(FrameRect(screen.dc, &flat, brush));
  EXPECT_TRUE(FrameRect(screen.dc, &upside, brush));
  EXPECT_EQ(screen.Rows(), (Picture{".bbbb.", ".b..bW", ".b..bW", ".bbbbW", "......"}));
  EXPECT_FALSE(FrameRect(screen.dc, nullptr, brush));
  EXPECT_FALSE(FrameRect(nullptr, &box, brush));
  DeleteObject(brush);
}

}  // namespace
