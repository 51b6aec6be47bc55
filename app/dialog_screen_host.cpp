#include "app/dialog_screen_host.h"

#include "app/utility_app.h"
#include "platform/gwes/focus.h"
#include "screens/date_time_dlg.h"
#include "screens/language_dlg.h"
#include "screens/main_menu_dlg.h"
#include "screens/message_dlg.h"

HWND CDialogScreenHost::ForegroundWindow() { return ::GetForegroundWindow(); }

void CDialogScreenHost::RunScreen(CUtilityApp& app, const ScreenRequest& request) {
  CWnd* owner = CWnd::FromHandle(request.owner);
  switch (request.screen) {
    case UtilityScreen::MainMenu: {
      CMainMenuDlg menu;
      app.m_pMainWnd = &menu;
      menu.DoModal();
      app.m_pMainWnd = nullptr;
      if (menu.ExitKeyRequested()) app.m_bResendExitKey = TRUE;
      break;
    }
    case UtilityScreen::LanguagePage: {
      CLanguageDlg page(request.installPackage, owner);
      page.DoModal();
      break;
    }
    case UtilityScreen::MessageDialog: {
      CMessageDlg message(owner);
      message.SetTextId(request.textId);
      message.DoModal();
      break;
    }
    case UtilityScreen::DateTimePage: {
      CDateTimeDlg page(owner);
      page.DoModal();
      break;
    }
  }
}
