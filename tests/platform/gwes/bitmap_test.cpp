#include "platform/gwes/gdi/bitmap.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/dib.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"

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
