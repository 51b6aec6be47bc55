// The screen host of the device: runs each screen as the modal dialog it is, the main menu as the
// application's main window while it runs.
#pragma once

#include "app/screen_host.h"

class CDialogScreenHost final : public CScreenHost {
 public:
  HWND ForegroundWindow() override;
  void RunScreen(CUtilityApp& app, const ScreenRequest& request) override;
};
