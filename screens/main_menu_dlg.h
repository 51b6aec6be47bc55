// The main menu: the screen of a start without a command line and the application's main window
// while it runs. Seven round buttons in two rows open the six pages or leave; the title follows
// the focus; the device close key or a close request ends it with the close key asked to be passed
// on as the program ends (the application reads ExitKeyRequested after the menu has ended).
#pragma once

#include "platform/afx/dialog.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"

class CMainMenuDlg : public CDialog {
 public:
  CMainMenuDlg();

  static constexpr int kButtonCount = 7;

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(HDC dc) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnClose() override;
  // The menu's OK action does nothing.
  void OnOK() override;

  // Whether the menu ended by the device close key or a close request.
  BOOL ExitKeyRequested() const { return m_bExitKeyRequested; }

 private:
  // Runs the page of a page button modally and gives the focus back to that button.
  void OpenPage(int buttonId);
  void SetTitleFor(int buttonId);

  CSkinLabel m_title;
  CSkinButton m_buttons[kButtonCount];
  HICON m_hIcon;
  BOOL m_bExitKeyRequested = FALSE;
};
