// The message dialog: one localised message on the violet panel with a single OK button, top-most
// at (20, 55). The message modes show it over the window of the program that started the utility;
// pages show it to report an outcome. Enter and the device close key have rules of their own only
// while the main window it saw at initialisation is still the application's main window.
#pragma once

#include "platform/afx/dialog.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"

class CMessageDlg : public CDialog {
 public:
  explicit CMessageDlg(CWnd* owner = nullptr);

  void SetTextId(UINT id) { m_nTextId = id; }

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(HDC dc) override;
  BOOL PreTranslateMessage(MSG* msg) override;

  UINT m_nTextId = 0;
  CWnd* m_pMainWndAtInit = nullptr;

 private:
  CSkinLabel m_text;
  CSkinButton m_ok;
  // The template's hidden, disabled Cancel button; never shown.
  CWnd m_cancel;
};
