// The volume page.
#pragma once

#include "res/resource.h"
#include "screens/skin_page.h"

class CVolumeDlg : public CSkinPage {
 public:
  CVolumeDlg() : CSkinPage(IDD_VOLUME, IDB_VOLUME_BACKGROUND) {}
};
