// The headless runner drives a window through the window system's idle hook, as the utility's
// front end does: one script command each time the user-interface thread runs dry.
#include "sim/headless_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/gwes/focus.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/messages.h"
#include "platform/gwes/timers.h"
#include "platform/gwes/window.h"
#include "platform/gwes/window_class.h"
#include "platform/kernel/clock.h"
#include "tests/support/test_device.h"

namespace {

std::vector<std::string> g_log;

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR) {
    g_log.push_back(std::to_string(msg) + ":" + std::to_string(wParam) + ":" + std::to_string(lParam));
  }
  if (msg == WM_TIMER) g_log.push_back("timer at " + std::to_string(GetTickCount()));
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct RunResult {
  int status = -1;
  std::string reason;
};

// Runs a message loop over one visible, focused window until the runner ends the script.
RunResult RunScript(const std::string& script, bool withTimer = false) {
  testing_support::TestDevice device;
  g_log.clear();
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = u"RunnerTarget";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"RunnerTarget", u"Target \"one\"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                              nullptr, nullptr, nullptr);
  SetFocus(hwnd);
  if (withTimer) SetTimer(hwnd, 7, 250, nullptr);

  std::istringstream in(script);
  RunResult result;
  sim::HeadlessRunner runner(in, [&](int status, const std::string& reason) {
    result = {status, reason};
    DestroyWindow(hwnd);
    PostQuitMessage(0);
  });
  runner.Install();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  gwes::SetIdleHook(nullptr);
  UnregisterClassW(u"RunnerTarget", nullptr);
  return result;
}

TEST(HeadlessRunner, CommandsReachTheWindowInOrderAndTheScriptRunsOut) {
  auto result = RunScript("# a tour\ntap 10 20\n\nkey ENTER\nchar 0x41\n");
  EXPECT_EQ(result.status, sim::kStatusScriptRanOut);
  const std::string click = std::to_string(MAKELPARAM(10, 20));
  EXPECT_EQ(g_log, (std::vector<std::string>{"513:1:" + click, "514:0:" + click, "256:13:1", "258:13:1", "257:13:3221225473", "258:65:1"}));
}

TEST(HeadlessRunner, WaitFiresTheTimersThatFallDue) {
  auto result = RunScript("wait 600\n", true);
  EXPECT_EQ(result.status, sim::kStatusScriptRanOut);
  EXPECT_EQ(g_log, (std::vector<std::string>{"timer at 250", "timer at 500"}));
}

TEST(HeadlessRunner, ShotAndDumpWriteTheirFilesAndABadLineStopsWithItsNumber) {
  auto folder = std::filesystem::temp_directory_path() / "quorvane-runner-test";
  std::filesystem::create_directories(folder);
  auto result = RunScript("shot " + (folder / "screen.png").string() + "\ndump " + (folder / "windows.jsonl").string() +
                          "\ntap 400 1\nkey ENTER\n");
  EXPECT_EQ(result.status, sim::kStatusBadScript);
  EXPECT_EQ(result.reason.rfind("script line 3: ", 0), 0u) << result.reason;
  EXPECT_TRUE(g_log.empty());  // nothing after the bad line ran
  EXPECT_GT(std::filesystem::file_size(folder / "screen.png"), 0u);
  std::ifstream dump(folder / "windows.jsonl");
  std::string line;
  ASSERT_TRUE(std::getline(dump, line));
  EXPECT_NE(line.find("\"class\":\"RunnerTarget\""), std::string::npos) << line;
  EXPECT_NE(line.find("\"text\":\"Target \\\"one\\\"\""), std::string::npos) << line;
  EXPECT_NE(line.find("\"x\":0,\"y\":0,\"w\":320,\"h\":240,\"visible\":true,\"enabled\":true,\"focus\":true"), std::string::npos)
      << line;
  std::filesystem::remove_all(folder);
}

}  // namespace
