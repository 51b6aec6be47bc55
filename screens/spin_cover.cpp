#include "screens/spin_cover.h"

#include "platform/gwes/gdi.h"
#include "platform/gwes/paint.h"

void CSpinCover::OnPaint() {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  RECT client{};
  GetClientRect(&client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ::EndPaint(m_hWnd, &paint);
}
