#include "platform/afx/winapp.h"

#include "platform/afx/win_thread.h"
#include "platform/afx/wnd.h"
#include "platform/gwes/dialog/dialog.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() { return ExitInstance(); }

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain(CWinApp& app, const std::u16string& commandLine) {
  app.m_lpCmdLine = commandLine.c_str();
  // A modal box without an owner runs over the main window, as the framework's own dialogs do.
  gwes::SetModalOwnerFallback([] {
    CWnd* main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
  });
  int code = app.InitInstance() ? app.Run() : app.ExitInstance();
  app.m_lpCmdLine = u"";
  gwes::SetModalOwnerFallback(nullptr);
  return code;
}
