#include "platform/gwes/gdi/bitmap.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>

#include "platform/gwes/gdi/blit.h"
#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/fill.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "tests/support/res_writer.h"

namespace {

std::shared_ptr<gwes::Surface> SurfaceOf(HBITMAP bitmap) { return gwes::LookupGdi<gwes::BitmapObject>(bitmap)->m_surface; }

std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap) {
  auto pixels = SurfaceOf(bitmap)->Pixels();
  return {pixels.begin(), pixels.end()};
}

// Draws into the bitmap through a memory context of its own.
void DrawInto(HBITMAP bitmap, const std::function<void(HDC)>& draw) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  draw(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
}

// Loads of one program bitmap read the same converted pixels until one is drawn into; whatever
// draws into a load, only that load changes.
TEST(Bitmap, DrawingIntoOneLoadLeavesEveryOtherLoadAsLoaded) {
  kernel::SetProgramResources(ProgramResourceBytes());
  HBITMAP reference = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
  ASSERT_TRUE(reference);
  const std::vector<std::uint32_t> loaded = PixelsOf(reference);
  const int width = SurfaceOf(reference)->width;
  const std::uint32_t first = loaded[0], below = loaded[static_cast<std::size_t>(width)];
  ASSERT_NE(first, 0x123456u);

  HBITMAP other = CreateBitmap(1, 1, 1, 32, std::array<std::uint32_t, 1>{0x123456}.data());
  HDC otherDc = CreateCompatibleDC(nullptr);
  HGDIOBJ otherOld = SelectObject(otherDc, other);
  HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
  struct Case { const char* name; std::function<void(HDC)> draw; std::uint32_t pixel; };  // pixel: (0, 0) afterwards
  const Case cases[] = {
      {"FillRect", [&](HDC dc) { RECT r{0, 0, 1, 1}; FillRect(dc, &r, brush); }, 0x123456},
      {"BitBlt from another bitmap", [&](HDC dc) { BitBlt(dc, 0, 0, 1, 1, otherDc, 0, 0, SRCCOPY); }, 0x123456},
      {"BitBlt within itself", [&](HDC dc) { BitBlt(dc, 0, 0, 1, 1, dc, 0, 1, SRCCOPY); }, below},
      {"TransparentImage", [&](HDC dc) { TransparentImage(dc, 0, 0, 1, 1, other, 0, 0, 1, 1, RGB(1, 2, 3)); }, 0x123456},
      {"BLACKNESS", [&](HDC dc) { BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HBITMAP drawn = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
    HBITMAP untouched = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
    ASSERT_TRUE(drawn && untouched);
    EXPECT_TRUE(SurfaceOf(drawn)->SharesPixels());
    EXPECT_EQ(SurfaceOf(drawn)->Pixels().data(), SurfaceOf(untouched)->Pixels().data());
    DrawInto(drawn, c.draw);
    EXPECT_FALSE(SurfaceOf(drawn)->SharesPixels());
    EXPECT_EQ(PixelsOf(drawn)[0] & gwes::kColourBits, c.pixel);
    EXPECT_EQ(PixelsOf(drawn)[1], loaded[1]);  // the rest is the loaded picture
    HBITMAP later = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
    for (HBITMAP each : {untouched, later, reference}) EXPECT_EQ(PixelsOf(each), loaded);
    for (HBITMAP each : {drawn, untouched, later}) EXPECT_TRUE(DeleteObject(each));
  }
  SelectObject(otherDc, otherOld);
  DeleteDC(otherDc);
  DeleteObject(other);
  DeleteObject(brush);
  DeleteObject(reference);
}

// How the skin's 8-bit and 24-bit bitmaps come out on the screens is in the golden images.
TEST(Bitmap, NewProgramResourcesAreReadAfreshAndEarlierLoadsKeepTheirPictures) {
  kernel::SetProgramResources(ProgramResourceBytes());
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(4000)), nullptr);  // a missing id gives nothing
  HBITMAP earlier = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
  ASSERT_TRUE(earlier);
  const std::vector<std::uint32_t> loaded = PixelsOf(earlier);

  // Other program resources with a bitmap 161 of their own: that one is read, not the old one.
  std::vector<std::uint8_t> dib(40, 0);
  const std::uint32_t header[] = {40, 1, 1, 0x00200001, 0};  // 1 x 1, 1 plane, 32 bits, BI_RGB
  std::memcpy(dib.data(), header, sizeof header);
  dib.insert(dib.end(), {0x30, 0x20, 0x10, 0});
  static test::Bytes other;
  other = test::ResWriter().Add(WORD{2}, WORD{161}, 0, dib).bytes;
  kernel::SetProgramResources(other);
  HBITMAP replaced = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
  ASSERT_TRUE(replaced);
  EXPECT_EQ(PixelsOf(replaced), std::vector<std::uint32_t>{0x102030});
  DeleteObject(replaced);

  // The load made before still reads its own picture, and can still be drawn into.
  EXPECT_EQ(PixelsOf(earlier), loaded);
  DrawInto(earlier, [](HDC dc) { EXPECT_TRUE(BitBlt(dc, 0, 0, 2, 1, nullptr, 0, 0, WHITENESS)); });
  EXPECT_EQ(PixelsOf(earlier)[1] & gwes::kColourBits, 0xFFFFFFu);
  EXPECT_EQ(PixelsOf(earlier)[2], loaded[2]);
  DeleteObject(earlier);
  kernel::SetProgramResources(ProgramResourceBytes());
}

TEST(Bitmap, CreateBitmapTakesMonochromeAndColourBits) {
  const std::uint8_t mono[] = {0xA0, 0x00, 0x40, 0x00};  // rows padded to 16 bits
  HBITMAP bitmap = CreateBitmap(3, 2, 1, 1, mono);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(PixelsOf(bitmap), (std::vector<std::uint32_t>{0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0}));
  BITMAP description{};
  GetObjectW(bitmap, sizeof description, &description);
  EXPECT_EQ((std::vector<LONG>{description.bmBitsPixel, description.bmWidthBytes}), (std::vector<LONG>{1, 2}));
  DeleteObject(bitmap);

  EXPECT_EQ(CreateBitmap(2, 2, 1, 24, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 2, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 0, 5), gwes::DefaultBitmap());
  // Compatible with a memory context that still holds its monochrome default: colour all the same.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP colour = CreateCompatibleBitmap(dc, 2, 2);
  GetObjectW(colour, sizeof description, &description);
  EXPECT_EQ(description.bmBitsPixel, 32);
  DeleteObject(colour);
  DeleteDC(dc);
}

}  // namespace
