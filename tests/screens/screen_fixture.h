// Screens run in process as the utility runs them: the program's resources, a device with the
// default image on a virtual clock, and the start-up sequence of the application with the dialog
// screen host. A test gives the steps to take whenever the program is idle (look at the windows,
// tap, press keys, let time pass); when the steps run out while a screen is still open, the run is
// ended with a quit request and the test fails.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "app/dialog_screen_host.h"
#include "app/utility_app.h"
#include "platform/afx/dialog.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/window.h"
#include "platform/kernel/keyboard.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "tests/support/device_fixture.h"

namespace screens_test {

class ScreenTest : public ::testing::Test {
 protected:
  ScreenTest() {
    kernel::SetProgramResources(ProgramResourceBytes());
    gwes::RegisterStandardControls();
  }

  // Runs the program with `commandLine`, taking one step each time it is idle; returns its exit
  // code. Fails the test when steps are left over or a screen outlives them.
  int Run(const std::u16string& commandLine, std::deque<std::function<void()>> steps) {
    InstallSteps(steps);
    CDialogScreenHost host;
    CUtilityApp app(host);
    int code = AfxWinMain(app, commandLine);
    gwes::SetIdleHook(nullptr);
    exitFlag = app.m_bResendExitKey;
    EXPECT_FALSE(m_ranOut) << "a screen was still open when the steps ran out";
    EXPECT_TRUE(steps.empty()) << steps.size() << " steps were not taken: the program ended before them";
    return code;
  }

  // Runs one dialog modally with the same steps; returns its result.
  INT_PTR RunDialog(CDialog& dialog, std::deque<std::function<void()>> steps) {
    InstallSteps(steps);
    INT_PTR result = dialog.DoModal();
    gwes::SetIdleHook(nullptr);
    EXPECT_TRUE(steps.empty()) << steps.size() << " steps were not taken: the dialog ended before them";
    return result;
  }

  static void Key(BYTE vk) {
    gwes::PostKey(vk, true);
    gwes::PostKey(vk, false);
  }
  static void Tap(int x, int y) {
    gwes::PostStylus(gwes::StylusAction::Down, x, y);
    gwes::PostStylus(gwes::StylusAction::Up, x, y);
  }
  // The uppermost visible top-level window (hidden pop-ups such as a combo box's list don't count).
  static HWND TopWindow() {
    for (HWND hwnd : gwes::TopLevelWindowList()) {
      if (IsWindowVisible(hwnd)) return hwnd;
    }
    return nullptr;
  }
  static RECT WindowRect(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
  }

  testing_support::ImagedDevice device;
  BOOL exitFlag = FALSE;

 private:
  // Takes one step whenever the program is idle; when none is left, ends the run with a quit
  // request (and notes that a screen outlived the steps).
  void InstallSteps(std::deque<std::function<void()>>& steps) {
    // What is pending goes where it was meant to before the first step; input a previous run left
    // behind (the device close key passed on at its exit) reaches no screen.
    for (MSG pending; PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&pending);
    m_ranOut = false;
    gwes::SetIdleHook([this, &steps] {
      if (steps.empty()) {
        if (!m_ranOut) PostQuitMessage(0);
        m_ranOut = true;
        return;
      }
      auto step = std::move(steps.front());
      steps.pop_front();
      step();
      // A step that only looked still wakes the program for the next one.
      if (HWND top = TopWindow()) PostMessageW(top, WM_NULL, 0, 0);
    });
  }
  bool m_ranOut = false;
};

}  // namespace screens_test
