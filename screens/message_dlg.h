// The message dialog: one localised message on the violet panel with a single OK button, top-most
// at (20, 55). The message modes show it over the window of the program that started the utility;
// pages show it to report an outcome. Enter and the device close key have rules of their own only
// while the main window it saw at initialisation is still the application's main window.
#pragma once

#include "platform/afx/dialog.h"

class CMessageDlg : public CDialog {
 public:
  explicit CMessageDlg(CWnd* owner = nullptr);

  void SetTextId(UINT id) { m_nTextId = id; }

  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(HDC dc) override;
  BOOL PreTranslateMessage(MSG* msg) override;

  UINT m_nTextId = 0;
  CWnd* m_pMainWndAtInit = nullptr;
};
