// The language page: the system's language chosen from the languages the registry lists as
// supported, shown one at a time in a display box over a hidden sorted list whose entries carry
// their language ids. OK writes the language as the system's and the voice's; opened from the main
// menu it then installs the navigator's language package, and when that fails it puts the previous
// language back (and resets the device when the installer started but did not finish). Run on its
// own it only switches the language.
#pragma once

#include "res/resource.h"
#include "screens/skin_page.h"
#include "ui/local_string.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"

// The string id of a language's display name; 0 for an id the page has no name for.
UINT LanguageNameId(DWORD languageId);

class CLanguageDlg : public CSkinPage {
 public:
  explicit CLanguageDlg(BOOL installPackage, CWnd* owner = nullptr)
      : CSkinPage(IDD_LANGUAGE, IDB_LANGUAGE_BACKGROUND, owner), m_bInstallPackage(installPackage) {}

  // Pauses around the switch: after the failure message before the reset (card layout), and
  // before the page ends.
  static constexpr DWORD kResetPauseMs = 500;
  static constexpr DWORD kClosePauseMs = 100;

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // Writes the chosen language (and installs its package when asked), then ends the page.
  void OnOK() override;

  BOOL m_bInstallPackage;

 protected:
  // Up steps to the next language and Down to the previous whatever has the focus; Left and Right
  // step when the list or the display box has the focus and otherwise bring the focus there.
  BOOL OnPageKey(UINT key) override;

 private:
  // Adds the supported languages of the registry to the list.
  void FillLanguageList();
  // Selects the entry one before (-1) or after (+1) the selection, shows it and focuses the list;
  // nothing at either end or without a selection.
  void StepLanguage(int direction);
  // Shows entry `index`'s text in the display box.
  void ShowEntry(int index);
  // Installs the navigator's package for the language; true when it was installed.
  bool SwitchLanguagePackage(DWORD languageId);
  // Runs the message dialog with string `textId`.
  static void ShowMessage(UINT textId);

  CWnd& List() { return *GetDlgItem(IDC_LANGUAGE_LIST); }

  CSkinLabel m_title;
  CSkinLabel m_caption;
  CSkinButton m_previous;
  CSkinButton m_next;
  CLocalString m_langText;
};
