#include "screens/message_dlg.h"

#include "platform/afx/win_thread.h"
#include "platform/gwes/focus.h"
#include "res/resource.h"
#include "screens/skin_page.h"
#include "ui/local_string.h"
#include "ui/skin_bitmap.h"

namespace {
// The panel bitmap has no pixel of this colour, so the panel is drawn whole.
constexpr COLORREF kPanelTransparentKey = RGB(1, 0, 0);
// The text label's place on the panel.
constexpr RECT kTextPlace{80, 15, 270, 65};
constexpr COLORREF kTextColour = RGB(255, 255, 255);
constexpr int kTextHeight = 13;
}  // namespace

CMessageDlg::CMessageDlg(CWnd* owner) : CDialog(IDD_MESSAGE, owner) {}

void CMessageDlg::DoDataExchange(CDataExchange* exchange) {
  DDX_Control(exchange, IDC_MESSAGE_TEXT, m_text);
  DDX_Control(exchange, IDOK, m_ok);
  DDX_Control(exchange, IDCANCEL, m_cancel);
}

BOOL CMessageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  MoveWindow(20, 55, 300, 185);
  SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  m_pMainWndAtInit = AfxGetMainWnd();
  CLocalString text;
  text.LoadString(m_nTextId);

  // The label's background is cut from the panel exactly where it sits.
  m_text.SetBackgroundPart(IDB_MESSAGE_PANEL, {kTextPlace.left, kTextPlace.top});
  m_text.MoveWindow(kTextPlace.left, kTextPlace.top, kTextPlace.right - kTextPlace.left,
                    kTextPlace.bottom - kTextPlace.top);
  m_text.SetWindowText(text);
  m_text.SetColor(kTextColour);
  m_text.SetHeight(kTextHeight);
  m_text.SetBold(TRUE);

  m_ok.MoveWindow(110, 85, 58, 28);
  m_ok.m_nNormalId = IDB_MESSAGE_OK_NORMAL;
  m_ok.m_nFocusId = IDB_MESSAGE_OK_NORMAL;
  m_ok.m_nPressedId = IDB_MESSAGE_OK_PRESSED;
  // The dialog manager focuses OK, the first tab stop.
  return TRUE;
}

BOOL CMessageDlg::OnEraseBkgnd(HDC dc) {
  DrawSkinBackgroundTransparent(dc, IDB_MESSAGE_PANEL, kPanelTransparentKey);
  return TRUE;
}

BOOL CMessageDlg::PreTranslateMessage(MSG* msg) {
  UINT key = PageKeyOf(*msg);
  CWnd* main = AfxGetMainWnd();
  if (key != 0 && m_pMainWndAtInit != nullptr && m_pMainWndAtInit == main) {
    if (key == VK_RETURN) {
      HWND foreground = ::GetForegroundWindow();
      if (foreground != main->m_hWnd && !::IsChild(main->m_hWnd, foreground)) ::SetForegroundWindow(main->m_hWnd);
      EndDialog(IDOK);
      return TRUE;
    }
    if (key == VK_DEVICE_CLOSE) {
      EndDialog(IDCANCEL);
      main->PostMessage(WM_CLOSE);
      return TRUE;
    }
  }
  return CDialog::PreTranslateMessage(msg);
}
