// What start-up needs from the window system: the window in the foreground, and running one screen
// modally to its end. Tests put a host of their own in its place.
#pragma once

#include "platform/kernel/win32_types.h"

class CUtilityApp;

enum class UtilityScreen {
  MainMenu,
  LanguagePage,
  MessageDialog,
  DateTimePage,
};

struct ScreenRequest {
  UtilityScreen screen = UtilityScreen::MainMenu;
  HWND owner = nullptr;         // the window the screen is modal to (none for the main menu)
  UINT textId = 0;              // the message dialog's string
  bool installPackage = false;  // the language page installs the navigator package
};

class CScreenHost {
 public:
  virtual ~CScreenHost() = default;
  // The window in the foreground now, or none.
  virtual HWND ForegroundWindow() = 0;
  // Constructs the screen, runs it modally to its end and destroys it.
  virtual void RunScreen(CUtilityApp& app, const ScreenRequest& request) = 0;
};
