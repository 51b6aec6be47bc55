// The backlight page.
#pragma once

#include "res/resource.h"
#include "screens/skin_page.h"

class CBacklightDlg : public CSkinPage {
 public:
  CBacklightDlg() : CSkinPage(IDD_BACKLIGHT, IDB_BACKLIGHT_BACKGROUND) {}
};
