// The main menu: the screen of a start without a command line and the application's main window
// while it runs. Seven round buttons in two rows open the six pages or leave; the title follows
// the focus; the device close key or a close request ends it with the exit flag set, so that the
// key is passed on as the program ends.
#pragma once

#include "platform/afx/dialog.h"

class CMainMenuDlg : public CDialog {
 public:
  CMainMenuDlg();

  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(HDC dc) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnClose() override;
  void OnOK() override;
};
