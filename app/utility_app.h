// The utility's application object. It restores the settings snapshot, loads the language module,
// keeps a single instance in the modes that need one, runs the one screen the command line asks
// for, and cleans up. InitInstance always returns false: the program has no message loop of its
// own and lives exactly as long as that screen.
#pragma once

#include <optional>
#include <string_view>

#include "app/screen_host.h"
#include "platform/afx/winapp.h"

inline constexpr const char16_t* kSingleInstanceMutex = u"QuorvaneUtility";

// The screen a command line asks for; nothing for an unrecognised one. The command line counts only
// as a whole: a switch with anything before or after it is not recognised.
std::optional<ScreenRequest> ScreenForCommandLine(std::u16string_view commandLine);
// Whether the command line's mode takes the single-instance mutex.
bool TakesSingleInstanceMutex(std::u16string_view commandLine);

class CUtilityApp : public CWinApp {
 public:
  explicit CUtilityApp(CScreenHost& host);

  BOOL InitInstance() override;
  int ExitInstance() override;

  // Set when the main menu was closed by the device close key or a close request; at exit the
  // key is then passed on to the program in the foreground.
  BOOL m_bResendExitKey = FALSE;

 private:
  CScreenHost& m_host;
  HANDLE m_singleInstanceMutex = nullptr;
};
