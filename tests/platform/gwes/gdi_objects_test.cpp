#include "platform/gwes/gdi/gdi_objects.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/gwes/gdi/bitmap.h"
#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/fill.h"
#include "platform/kernel/last_error.h"

namespace {

TEST(GdiObjects, SelectObjectSwapsOnlyTheSameKindAndRefusesWhatIsNoObject) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP first = CreateCompatibleBitmap(dc, 4, 3);
  HBITMAP second = CreateBitmap(2, 2, 1, 32, nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HGDIOBJ initial = SelectObject(dc, first);
  EXPECT_EQ(initial, gwes::DefaultBitmap());
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));  // other kinds are untouched
  EXPECT_EQ(SelectObject(dc, second), first);
  EXPECT_EQ(SelectObject(dc, initial), second);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 1, 1));
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);

  SetLastError(0);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(0x1234)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(dc)), nullptr);  // a context is no object to select
  EXPECT_TRUE(DeleteDC(dc));
  for (HGDIOBJ object : {first, second, brush, HGDIOBJ(pen)}) EXPECT_TRUE(DeleteObject(object));
}

TEST(GdiObjects, GetObjectDescribesEachKindAndNothingOnceDeleted) {
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 7, 5);
  BITMAP b{};
  EXPECT_EQ(GetObjectW(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  ASSERT_EQ(GetObjectW(bitmap, sizeof b, &b), static_cast<int>(sizeof b));
  EXPECT_EQ((std::vector<LONG>{b.bmWidth, b.bmHeight, b.bmWidthBytes, b.bmBitsPixel}),
            (std::vector<LONG>{7, 5, 28, 32}));

  LOGFONTW system{};
  ASSERT_EQ(GetObjectW(GetStockObject(SYSTEM_FONT), sizeof system, &system), static_cast<int>(sizeof system));
  EXPECT_EQ(std::u16string(system.lfFaceName), u"System");  // a made font's description: the skin label's test
  LOGBRUSH brush{};
  GetObjectW(GetStockObject(NULL_BRUSH), sizeof brush, &brush);
  EXPECT_EQ(brush.lbStyle, BS_NULL);

  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(GetObjectW(bitmap, sizeof b, &b), 0);
}

TEST(GdiObjects, SelectedObjectsCannotBeDeletedUntilReleasedAndStockObjectsSurvive) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  SelectObject(dc, brush);
  SetLastError(0);
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_EQ(GetLastError(), ERROR_BUSY);
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP);  // still valid
  HDC other = CreateCompatibleDC(dc);
  EXPECT_EQ(SelectObject(other, bitmap), nullptr);  // one memory context at a time holds a bitmap

  SelectObject(dc, oldBitmap);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(dc));  // releases the brush
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(other)));  // contexts go through DeleteDC
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), OBJ_BRUSH);
}

TEST(GdiObjects, HandleTableIsSafeAcrossThreadsAndLeavesNothingBehind) {
  DeleteDC(CreateCompatibleDC(nullptr));  // builds the stock objects and the default bitmap
  GetStockObject(SYSTEM_FONT);
  const std::size_t before = gwes::GdiObjectCount();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 200; ++i) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, 3, 3);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, 3, 3};
        FillRect(dc, &all, GetStockObject(BLACK_BRUSH));
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(gwes::GdiObjectCount(), before);
}

}  // namespace
