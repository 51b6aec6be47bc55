// The shared skeleton of the settings pages: a full-screen modal dialog on its template that
// moves itself to (0, 0), 320 x 240, draws its background bitmap on every erase, draws nothing on
// paint, and reads the device keys before the dialog manager: Escape and the device cancel key
// leave the page without confirming, the device close key leaves it too and asks the
// application's main window to close.
#pragma once

#include "platform/afx/dialog.h"

class CSkinPage : public CDialog {
 public:
  // Pages opened by the main menu have no owner; a page run on its own is modal to the window
  // that was in the foreground.
  CSkinPage(UINT templateId, UINT backgroundId, CWnd* owner = nullptr);

  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(HDC dc) override;
  void OnPaint() override;
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  // Handles a page key (from a key-down or a character message); true when consumed. The default
  // knows Escape, the device cancel key and the device close key.
  virtual BOOL OnPageKey(UINT key);

 private:
  UINT m_nBackgroundId;
};

// The key code of a key-down or character message, or 0 for any other message.
UINT PageKeyOf(const MSG& msg);
