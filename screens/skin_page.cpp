#include "screens/skin_page.h"

#include "platform/afx/win_thread.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/surface.h"
#include "ui/skin_bitmap.h"

CSkinPage::CSkinPage(UINT templateId, UINT backgroundId, CWnd* owner)
    : CDialog(templateId, owner), m_nBackgroundId(backgroundId) {}

BOOL CSkinPage::OnInitDialog() {
  CDialog::OnInitDialog();
  MoveWindow(0, 0, gwes::kScreenWidth, gwes::kScreenHeight);
  return TRUE;
}

BOOL CSkinPage::OnEraseBkgnd(HDC dc) {
  DrawSkinBackground(dc, m_nBackgroundId);
  return TRUE;
}

void CSkinPage::OnPaint() {
  PAINTSTRUCT paint{};
  ::BeginPaint(m_hWnd, &paint);
  ::EndPaint(m_hWnd, &paint);
}

UINT PageKeyOf(const MSG& msg) {
  return msg.message == WM_KEYDOWN || msg.message == WM_CHAR ? static_cast<UINT>(msg.wParam) : 0;
}

BOOL CSkinPage::PreTranslateMessage(MSG* msg) {
  if (UINT key = PageKeyOf(*msg); key != 0 && OnPageKey(key)) return TRUE;
  return CDialog::PreTranslateMessage(msg);
}

BOOL CSkinPage::OnPageKey(UINT key) {
  switch (key) {
    case VK_ESCAPE:
    case VK_DEVICE_CANCEL:
      OnCancel();
      return TRUE;
    case VK_DEVICE_CLOSE:
      OnCancel();
      if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
      return TRUE;
    default:
      return FALSE;
  }
}
