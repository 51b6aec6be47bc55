// The date and time page.
#pragma once

#include "res/resource.h"
#include "screens/skin_page.h"

class CDateTimeDlg : public CSkinPage {
 public:
  explicit CDateTimeDlg(CWnd* owner = nullptr) : CSkinPage(IDD_DATE_TIME, IDB_DATE_TIME_BACKGROUND, owner) {}
};
