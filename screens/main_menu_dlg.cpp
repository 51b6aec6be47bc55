#include "screens/main_menu_dlg.h"

#include "app/utility_app.h"
#include "res/resource.h"
#include "screens/skin_page.h"
#include "ui/skin_bitmap.h"

namespace {

constexpr const char16_t* kMainWindowTitle = u"QuorvaneUtility";

void SetResendExitKey() {
  if (auto* app = static_cast<CUtilityApp*>(AfxGetApp())) app->m_bResendExitKey = TRUE;
}

}  // namespace

CMainMenuDlg::CMainMenuDlg() : CDialog(IDD_MAIN_MENU) {}

BOOL CMainMenuDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(kMainWindowTitle);
  MoveWindow(0, 0, kScreenWidth, kScreenHeight);
  return TRUE;
}

BOOL CMainMenuDlg::OnEraseBkgnd(HDC dc) {
  DrawSkinBackground(dc, IDB_MENU_BACKGROUND);
  return TRUE;
}

BOOL CMainMenuDlg::PreTranslateMessage(MSG* msg) {
  switch (PageKeyOf(*msg)) {
    case VK_ESCAPE:
    case VK_DEVICE_CANCEL:
      EndDialog(IDOK);
      return TRUE;
    case VK_DEVICE_CLOSE:
      SetResendExitKey();
      OnCancel();
      return TRUE;
    default:
      return CDialog::PreTranslateMessage(msg);
  }
}

BOOL CMainMenuDlg::OnCommand(WPARAM wParam, LPARAM lParam) { return CDialog::OnCommand(wParam, lParam); }

void CMainMenuDlg::OnClose() {
  SetResendExitKey();
  CDialog::OnClose();
}

// The menu's OK action does nothing: Enter is handled by the menu's own keys.
void CMainMenuDlg::OnOK() {}
