#include "screens/battery_gauge.h"

#include "platform/gwes/controls/progress.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/paint.h"
#include "res/resource.h"
#include "ui/skin_bitmap.h"

namespace {

// Copies skin bitmap `id` to (x, y) of `dc`, at most width x height of it: where the copy reaches
// beyond the bitmap, what lies under it stays.
void CopySkinBitmap(HDC dc, HDC memory, UINT id, int x, int y, int width, int height) {
  CSkinBitmap bitmap;
  if (!LoadSkinBitmap(bitmap, id)) return;
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(dc, x, y, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
}

}  // namespace

void CBatteryGauge::SetRange(int low, int high) {
  SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(low), static_cast<WORD>(high)));
}

void CBatteryGauge::SetStep(int step) { SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step)); }

void CBatteryGauge::SetPos(int position) { SendMessage(PBM_SETPOS, static_cast<WPARAM>(position)); }

int CBatteryGauge::GetPos() const {
  return static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));
}

int CBatteryGauge::FillWidth(int position, int width) {
  float share = static_cast<float>(position) * 0.01f;
  return static_cast<int>(share * static_cast<float>(width));
}

void CBatteryGauge::OnPaint() {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  RECT client{};
  GetClientRect(&client);
  int width = client.right - client.left;
  int height = client.bottom - client.top;

  HDC picture = CreateCompatibleDC(dc);
  HBITMAP canvas = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ previousCanvas = SelectObject(picture, canvas);
  HDC memory = CreateCompatibleDC(dc);
  CopySkinBitmap(picture, memory, IDB_BATTERY_BAR_TRACK, 0, 0, width, height);
  // Nothing of the fill is drawn at position 0.
  if (int fill = FillWidth(GetPos(), width); fill > 0)
    CopySkinBitmap(picture, memory, IDB_BATTERY_BAR_FILL, 1, 1, fill, height);
  DeleteDC(memory);
  BitBlt(dc, 0, 0, width, height, picture, 0, 0, SRCCOPY);

  SelectObject(picture, previousCanvas);
  DeleteObject(canvas);
  DeleteDC(picture);
  ::EndPaint(m_hWnd, &paint);
}

void CBatteryGauge::OnLButtonDown(UINT, POINT) {}
