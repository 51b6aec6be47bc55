// The power and battery page.
#pragma once

#include "res/resource.h"
#include "screens/skin_page.h"

class CPowerDlg : public CSkinPage {
 public:
  CPowerDlg() : CSkinPage(IDD_POWER, IDB_POWER_BACKGROUND) {}
};
