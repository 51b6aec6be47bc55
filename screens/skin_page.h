// The shared skeleton of the settings pages: a full-screen modal dialog on its template that
// moves itself to (0, 0), 320 x 240, draws its background bitmap on every erase, draws nothing on
// paint, and reads the device keys before the dialog manager: Escape and the device cancel key
// leave the page without confirming, the device close key leaves it too and asks the
// application's main window to close. Every page has OK at (85, 192) and Cancel at (175, 192) in
// the blue faces: the skeleton binds and places them unless the page bound them itself.
#pragma once

#include "platform/afx/dialog.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"

// The title of the program's top-level screen, by which a second start finds the first.
inline constexpr const char16_t* kProgramWindowTitle = u"QuorvaneUtility";

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

  // Styles `title` as every page's title (grey, 22 pixels, bold), gives it string `stringId` and
  // places it at (85, 15), `width` x 40.
  static void SetUpTitle(CSkinLabel& title, UINT stringId, int width = 235);
  // Styles `label` as page text (grey, bold, `textHeight` pixels), gives it string `stringId`
  // and places it.
  static void SetUpLabel(CSkinLabel& label, UINT stringId, int textHeight, int x, int y, int width, int height);
  // A page run on its own (no program window yet) is the program's top-level screen and carries
  // its title.
  void TakeProgramTitleIfAlone();
  // Places a bitmap button and writes its three faces.
  static void PlaceButton(CSkinButton& button, int x, int y, int width, int height, UINT normal, UINT focus,
                          UINT pressed);

 private:
  // Binds and places OK and Cancel where the page has not bound them itself.
  void SetUpConfirmButtons();

  UINT m_nBackgroundId;
  CSkinButton m_ok;
  CSkinButton m_cancel;
};

// The key code of a key-down or character message, or 0 for any other message.
UINT PageKeyOf(const MSG& msg);
