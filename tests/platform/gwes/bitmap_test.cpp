#include "platform/gwes/gdi/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/dib.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "tests/support/res_writer.h"

namespace {

std::vector<std::uint8_t> ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(QUORVANE_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Bitmap, LoadBitmapReadsTheProgramsSkinAsDeviceBitmaps) {
  kernel::SetProgramResources(ProgramResourceBytes());
  // 161: the 8-bit main background; 151: the 24-bit slider thumb.
  for (auto [id, file] : {std::pair{161, "res/bitmaps/menu_background.bmp"}, {151, "res/bitmaps/slider_thumb.bmp"}}) {
    HBITMAP bitmap = LoadBitmapW(nullptr, MAKEINTRESOURCEW(id));
    ASSERT_TRUE(bitmap) << id;
    auto expected = gwes::ParseDib(ReadSourceFile(file));
    ASSERT_TRUE(expected) << file;
    BITMAP description{};
    GetObjectW(bitmap, sizeof description, &description);
    EXPECT_EQ(description.bmWidth, expected->width);
    EXPECT_EQ(description.bmHeight, expected->height);
    EXPECT_EQ(description.bmBitsPixel, 32);
    EXPECT_EQ(gwes::LookupGdi<gwes::BitmapObject>(bitmap)->m_surface->pixels, expected->pixels) << id;
    EXPECT_TRUE(DeleteObject(bitmap));
  }
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(4000)), nullptr);
}

TEST(Bitmap, EveryLoadIsABitmapOfItsOwnAndNewProgramResourcesAreReadAfresh) {
  kernel::SetProgramResources(ProgramResourceBytes());
  HBITMAP first = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
  HBITMAP second = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
  ASSERT_TRUE(first && second);
  ASSERT_NE(first, second);
  auto& firstPixels = gwes::LookupGdi<gwes::BitmapObject>(first)->m_surface->pixels;
  const std::uint32_t original = firstPixels[0];
  firstPixels[0] = original ^ 0xFFFFFF;  // drawing into one load leaves the next one as it was
  DeleteObject(first);
  HBITMAP third = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
  EXPECT_EQ(gwes::LookupGdi<gwes::BitmapObject>(third)->m_surface->pixels[0], original);
  EXPECT_EQ(gwes::LookupGdi<gwes::BitmapObject>(second)->m_surface->pixels[0], original);
  DeleteObject(second);
  DeleteObject(third);

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
  EXPECT_EQ(gwes::LookupGdi<gwes::BitmapObject>(replaced)->m_surface->pixels,
            std::vector<std::uint32_t>{0x102030});
  DeleteObject(replaced);
  kernel::SetProgramResources(ProgramResourceBytes());
}

TEST(Bitmap, CreateBitmapTakesMonochromeAndColourBits) {
  const std::uint8_t mono[] = {0xA0, 0x00, 0x40, 0x00};  // rows padded to 16 bits
  HBITMAP bitmap = CreateBitmap(3, 2, 1, 1, mono);
  ASSERT_TRUE(bitmap);
  const auto& pixels = gwes::LookupGdi<gwes::BitmapObject>(bitmap)->m_surface->pixels;
  EXPECT_EQ(pixels, (std::vector<std::uint32_t>{0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0}));
  BITMAP description{};
  GetObjectW(bitmap, sizeof description, &description);
  EXPECT_EQ(description.bmBitsPixel, 1);
  EXPECT_EQ(description.bmWidthBytes, 2);
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
