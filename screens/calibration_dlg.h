// The screen calibration page.
#pragma once

#include "res/resource.h"
#include "screens/skin_page.h"

class CCalibrationDlg : public CSkinPage {
 public:
  CCalibrationDlg() : CSkinPage(IDD_CALIBRATION, IDB_CALIBRATION_BACKGROUND) {}
};
