#include "ui/skin_label.h"

#include "ui/skin_bitmap.h"

namespace {

// The main background every full-screen page lies on, and the message dialog's panel.
constexpr UINT kMainBackgroundId = 161;
constexpr UINT kMessagePanelId = 199;
// Where the message dialog puts its text label on the panel.
constexpr POINT kMessageTextOrigin{80, 15};

}  // namespace

CSkinLabel::CSkinLabel() : m_colour(GetSysColor(COLOR_WINDOWTEXT)) {
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

void CSkinLabel::SetOnMessagePanel(BOOL onPanel) { m_onMessagePanel = onPanel != FALSE; }

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
  // background; on the message panel the label always sits at the panel's text place.
  POINT source{rect.left, rect.top};
  if (m_onMessagePanel) source = kMessageTextOrigin;
  CSkinBitmap bitmap;
  // A missing bitmap leaves the background unpainted; the text is still drawn.
  if (LoadSkinBitmap(bitmap, m_onMessagePanel ? kMessagePanelId : kMainBackgroundId)) {
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
