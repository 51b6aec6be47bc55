// The application object of the framework: it holds the command line and the main-window
// reference, and runs the two overridable steps InitInstance and ExitInstance. A program has one
// application object; AfxGetApp names it.
#pragma once

#include <string>

#include "platform/kernel/win32_types.h"

class CWnd;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Returning false skips the message loop: the framework goes straight to ExitInstance.
  virtual BOOL InitInstance();
  // Returns the process's exit code; the default is 0.
  virtual int ExitInstance();
  // The message loop of applications that keep running after InitInstance; ours never do.
  virtual int Run();

  // The text that follows the program name (never null; empty when there is none).
  LPCWSTR m_lpCmdLine = u"";
  CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();

// The framework's main routine: hands the command line to the application object, runs
// InitInstance, then Run when it returned true, then ExitInstance; returns the exit code.
int AfxWinMain(CWinApp& app, const std::u16string& commandLine);
