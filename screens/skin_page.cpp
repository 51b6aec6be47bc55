#include "screens/skin_page.h"

#include "platform/afx/win_thread.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/surface.h"
#include "res/resource.h"
#include "ui/local_string.h"
#include "ui/skin_bitmap.h"

namespace {
constexpr COLORREF kTextColour = RGB(89, 89, 89);
constexpr int kTitleHeight = 22;
constexpr int kConfirmTop = 192;
constexpr int kConfirmWidth = 58;
constexpr int kConfirmHeight = 28;
}  // namespace

CSkinPage::CSkinPage(UINT templateId, UINT backgroundId, CWnd* owner)
    : CDialog(templateId, owner), m_nBackgroundId(backgroundId) {}

BOOL CSkinPage::OnInitDialog() {
  CDialog::OnInitDialog();
  MoveWindow(0, 0, gwes::kScreenWidth, gwes::kScreenHeight);
  SetUpConfirmButtons();
  return TRUE;
}

void CSkinPage::SetUpConfirmButtons() {
  struct Confirm {
    int id;
    CSkinButton& button;
    int x;
    UINT normal, focus;
  };
  for (const Confirm& confirm : {Confirm{IDOK, m_ok, 85, IDB_BUTTON_OK_NORMAL, IDB_BUTTON_OK_FOCUS},
                                 Confirm{IDCANCEL, m_cancel, 175, IDB_BUTTON_CANCEL_NORMAL, IDB_BUTTON_CANCEL_FOCUS}}) {
    HWND item = ::GetDlgItem(m_hWnd, confirm.id);
    // A template button left unbound would be owner-drawn with nobody drawing it.
    if (item == nullptr || CWnd::FromHandlePermanent(item) != nullptr) continue;
    if (!confirm.button.SubclassWindow(item)) continue;
    PlaceButton(confirm.button, confirm.x, kConfirmTop, kConfirmWidth, kConfirmHeight, confirm.normal, confirm.focus,
                confirm.normal);
  }
}

void CSkinPage::TakeProgramTitleIfAlone() {
  if (::FindWindowW(nullptr, kProgramWindowTitle) == nullptr) SetWindowText(kProgramWindowTitle);
}

void CSkinPage::SetUpTitle(CSkinLabel& title, UINT stringId, int width) {
  SetUpLabel(title, stringId, kTitleHeight, 85, 15, width, 40);
}

void CSkinPage::SetUpLabel(CSkinLabel& label, UINT stringId, int textHeight, int x, int y, int width, int height) {
  label.SetColor(kTextColour);
  label.SetHeight(textHeight);
  label.SetBold(TRUE);
  CLocalString text;
  text.LoadString(stringId);
  label.SetWindowText(text);
  label.MoveWindow(x, y, width, height);
}

void CSkinPage::PlaceButton(CSkinButton& button, int x, int y, int width, int height, UINT normal, UINT focus,
                            UINT pressed) {
  button.MoveWindow(x, y, width, height);
  button.m_nNormalId = normal;
  button.m_nFocusId = focus;
  button.m_nPressedId = pressed;
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
