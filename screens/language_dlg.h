// The language page. From the main menu it also installs the navigator's language package; run
// on its own it only switches the language.
#pragma once

#include "res/resource.h"
#include "screens/skin_page.h"

class CLanguageDlg : public CSkinPage {
 public:
  explicit CLanguageDlg(BOOL installPackage, CWnd* owner = nullptr)
      : CSkinPage(IDD_LANGUAGE, IDB_LANGUAGE_BACKGROUND, owner), m_bInstallPackage(installPackage) {}

  BOOL m_bInstallPackage;
};
