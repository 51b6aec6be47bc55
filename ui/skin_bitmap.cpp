#include "ui/skin_bitmap.h"

#include "platform/gwes/gdi.h"
#include "platform/kernel/resources.h"

CSkinBitmap::~CSkinBitmap() { DeleteObject(); }

void CSkinBitmap::DeleteObject() {
  if (m_hBitmap != nullptr) ::DeleteObject(m_hBitmap);
  m_hBitmap = nullptr;
}

BOOL LoadSkinBitmap(CSkinBitmap& bitmap, UINT id) {
  bitmap.DeleteObject();
  bitmap.m_hBitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
  return bitmap.m_hBitmap != nullptr;
}

namespace {

// Selects the bitmap into a memory context for one draw, then puts the context's own bitmap back
// and releases both, in that order.
template <typename Draw>
void WithSkinBitmap(HDC target, UINT id, Draw draw) {
  HDC memory = CreateCompatibleDC(target);
  CSkinBitmap bitmap;
  LoadSkinBitmap(bitmap, id);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  draw(memory, info.bmWidth, info.bmHeight);
  SelectObject(memory, previous);
  bitmap.DeleteObject();
  DeleteDC(memory);
}

}  // namespace

void DrawSkinBackground(HDC dc, UINT id) {
  WithSkinBitmap(dc, id, [&](HDC memory, int width, int height) {
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  });
}

void DrawSkinBackgroundTransparent(HDC dc, UINT id, COLORREF transparentKey) {
  WithSkinBitmap(dc, id, [&](HDC memory, int width, int height) {
    TransparentImage(dc, 0, 0, width, height, memory, 0, 0, width, height, transparentKey);
  });
}
