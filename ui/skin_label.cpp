#include "ui/skin_label.h"

#include "res/resource.h"
#include "ui/skin_bitmap.h"

// Full-screen pages lie on the main menu's background unless their screen says otherwise.
CSkinLabel::CSkinLabel() : m_colour(GetSysColor(COLOR_WINDOWTEXT)), m_nBackgroundId(IDB_MENU_BACKGROUND) {
  GetObjectW(GetStockObject(SYSTEM_FONT), sizeof m_logFont, &m_logFont);
  m_hFont = CreateFontIndirectW(&m_logFont);
}

CSkinLabel::~CSkinLabel() {
  if (m_hFont != nullptr) DeleteObject(m_hFont);
}

void CSkinLabel::RecreateFont() {
  if (m_hFont != nullptr) DeleteObject(m_hFont);
  m_hFont = CreateFontIndirectW(&m_logFont);
}

void CSkinLabel::Redraw() {
  // Styling may come before the label is bound; there is nothing to redraw then.
  if (m_hWnd != nullptr) Invalidate(TRUE);
}

void CSkinLabel::SetColor(COLORREF colour) {
  m_colour = colour;
  Redraw();
}

void CSkinLabel::SetBold(BOOL bold) {
  m_logFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  RecreateFont();
  Redraw();
}

void CSkinLabel::SetHeight(int pixels) {
  m_logFont.lfHeight = -pixels;
  RecreateFont();
  Redraw();
}

void CSkinLabel::SetText(LPCWSTR text) { SetWindowText(text); }

void CSkinLabel::SetBackgroundPart(UINT bitmapId, POINT origin) {
  m_nBackgroundId = bitmapId;
  m_backgroundOrigin = origin;
}

BOOL CSkinLabel::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg != WM_CTLCOLORSTATIC) return CWnd::OnChildNotify(msg, wParam, lParam, result);
  auto dc = reinterpret_cast<HDC>(wParam);
  SelectObject(dc, m_hFont);
  SetTextColor(dc, m_colour);
  SetBkMode(dc, TRANSPARENT);
  *result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  return TRUE;
}

BOOL CSkinLabel::OnEraseBkgnd(HDC dc) {
  HDC memory = CreateCompatibleDC(dc);
  RECT rect;
  GetWindowRect(&rect);
  // Pages lie at (0, 0) of the screen, so the label's screen position is its place on the main
  // background.
  POINT source = m_backgroundOrigin.value_or(POINT{rect.left, rect.top});
  CSkinBitmap bitmap;
  // A missing bitmap leaves the background unpainted; the text is still drawn.
  if (LoadSkinBitmap(bitmap, m_nBackgroundId)) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, memory, source.x, source.y, SRCCOPY);
    SelectObject(memory, previous);
    bitmap.DeleteObject();
  }
  DeleteDC(memory);
  return TRUE;
}

void CSkinLabel::OnLButtonDown(UINT, POINT) {}
void CSkinLabel::OnLButtonUp(UINT, POINT) {}
void CSkinLabel::OnLButtonDblClk(UINT, POINT) {}
