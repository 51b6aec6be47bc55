#include "ui/skin_slider.h"

#include <algorithm>
#include <cstdint>

#include "platform/gwes/gdi.h"
#include "platform/gwes/paint.h"
#include "res/resource.h"
#include "ui/skin_bitmap.h"

namespace {
constexpr COLORREF kThumbTransparentKey = RGB(200, 200, 200);
constexpr int kThumbLeft = 5;
constexpr int kUnusedWidth = 34;
constexpr int kThumbTop = 0;

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  return {info.bmWidth, info.bmHeight};
}
}  // namespace

int SkinSliderThumbX(int width, int min, int max, int pos) {
  std::int64_t span = std::int64_t{max} - min;
  std::int64_t travel = std::int64_t{width} - kUnusedWidth;
  if (span <= 0 || travel <= 0) return kThumbLeft;
  std::int64_t step = travel / span;
  // The trackbar keeps pos within the range; the clamp keeps a stray value off the edge too.
  std::int64_t offset = std::clamp<std::int64_t>(std::int64_t{pos} - min, 0, span);
  return static_cast<int>(step * offset + kThumbLeft);
}

void CSkinSlider::OnPaint() {
  PAINTSTRUCT paint{};
  ::BeginPaint(m_hWnd, &paint);
  HDC window = ::GetDC(m_hWnd);
  RECT client{};
  GetClientRect(&client);

  HDC composed = CreateCompatibleDC(window);
  HBITMAP surface = CreateCompatibleBitmap(window, client.right, client.bottom);
  HGDIOBJ previousSurface = SelectObject(composed, surface);

  // The track, opaque at its own size; the slider is sized to it.
  CSkinBitmap track;
  if (LoadSkinBitmap(track, m_nTrackId & 0xFFFF)) {
    HDC picture = CreateCompatibleDC(window);
    HGDIOBJ previousPicture = SelectObject(picture, track);
    SIZE size = BitmapSize(track);
    BitBlt(composed, 0, 0, size.cx, size.cy, picture, 0, 0, SRCCOPY);
    SelectObject(picture, previousPicture);
    DeleteDC(picture);
  }
  track.DeleteObject();

  CSkinBitmap thumb;
  if (LoadSkinBitmap(thumb, IDB_SLIDER_THUMB)) {
    int x = SkinSliderThumbX(client.right, GetRangeMin(), GetRangeMax(), GetPos());
    SIZE size = BitmapSize(thumb);
    TransparentImage(composed, x, kThumbTop, size.cx, size.cy, thumb.GetSafeHandle(), 0, 0, size.cx, size.cy,
                     kThumbTransparentKey);
  }
  thumb.DeleteObject();

  BitBlt(window, 0, 0, client.right, client.bottom, composed, 0, 0, SRCCOPY);

  SelectObject(composed, previousSurface);
  DeleteObject(surface);
  DeleteDC(composed);
  ::ReleaseDC(m_hWnd, window);
  ::EndPaint(m_hWnd, &paint);
}

BOOL CSkinSlider::OnEraseBkgnd(HDC) { return TRUE; }

void CSkinSlider::OnSetFocus(HWND) {}

void CSkinSlider::OnKillFocus(HWND) {}
