// The backlight page: eight brightness steps on the skinned slider, applied to the backlight at
// every change. OK keeps the level and has the settings snapshot written; every other way out sends
// back the level the backlight reported when the page opened, as reported (also one outside 1 to
// 8, which the page shows as 4).
#pragma once

#include "platform/afx/slider_ctrl.h"
#include "res/resource.h"
#include "screens/skin_page.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"
#include "ui/skin_slider.h"

// The level the backlight reported when the backlight page last opened.
extern DWORD g_savedBacklightLevel;

class CBacklightDlg : public CSkinPage {
 public:
  CBacklightDlg() : CSkinPage(IDD_BACKLIGHT, IDB_BACKLIGHT_BACKGROUND) {}

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  // Up acts as Right and Down as Left, for key-down and character messages alike.
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnHScroll(UINT code, UINT position, HWND scrollBar) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void StepDown();
  void StepUp();

  CSkinSlider m_slider;
  CSkinButton m_left;
  CSkinButton m_right;
  CSkinLabel m_title;
  // Bound as the template has them, never shown, moved or read.
  CSkinLabel m_hiddenCaption;
  CSkinLabel m_hiddenLevel;
  CSkinSlider m_hiddenSlider;
  CWnd m_hiddenCombo;
  CWnd m_hiddenNote;
};
