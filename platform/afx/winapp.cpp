#include "platform/afx/winapp.h"

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
  int code = app.InitInstance() ? app.Run() : app.ExitInstance();
  app.m_lpCmdLine = u"";
  return code;
}
