// The two ways to run the program: headless, driven by a script on virtual time, or in an SDL
// window that a person uses. Either way the program itself runs on the user-interface thread.
#pragma once

#include <istream>
#include <string>

#include "platform/afx/winapp.h"
#include "sim/headless_runner.h"

namespace sim {

// Runs the program with the script fed to it whenever it is idle; returns the program's exit code,
// or the runner's status when the script cannot go on (a bad line: 2; the script ran out while a
// screen was open: 3; a screen differs from its reviewed image: 4), after the program has ended as
// usual. Without a script (null) the program runs until it ends, driven through devicectl only.
// Either way devicectl's requests are served whenever the program is idle. A first SIGINT or
// SIGTERM presses the device's close key; a second ends the process at once.
int RunHeadless(CWinApp& app, const std::u16string& commandLine, std::istream* script, const ScriptPlaces& places);

struct WindowOptions {
  int scale = 2;
  bool frame = true;                // the device's frame with its keys round the screen
  std::istream* script = nullptr;   // run at real speed in the window
  ScriptPlaces scriptPlaces;        // where its files are; its shots folder takes the screenshot key's
  std::string record;               // where the session's input is recorded as a script
};

// Runs the program on a thread of its own while this thread shows the window; returns the exit
// code (2 for a bad script line, after the program has ended). No window, or a window or display
// lost while the program runs, ends the process at once with a one-line reason and status 1.
// Closing the window, SIGINT and SIGTERM press the device's close key; a second one ends the
// process at once.
int RunWithWindow(CWinApp& app, const std::u16string& commandLine, const WindowOptions& options);

}  // namespace sim
