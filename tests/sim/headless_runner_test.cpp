// The headless runner drives a window through the window system's idle hook, as the utility's
// front end does: one script command each time the user-interface thread runs dry.
#include "sim/headless_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/afx/winapp.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/messages.h"
#include "platform/gwes/window.h"
#include "platform/gwes/window_class.h"
#include "sim/front_end.h"
#include "sim/png_writer.h"
#include "tests/sim/shot_reader.h"
#include "tests/support/programs.h"
#include "tests/support/test_device.h"

namespace {

std::vector<std::string> g_log;

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  for (auto [input, name] : {std::pair<UINT, const char*>{WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
                             {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"},
                             {WM_CHAR, "WM_CHAR"}}) {
    if (msg == input) g_log.push_back(name + (":" + std::to_string(wParam)) + ":" + std::to_string(lParam));
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateTarget() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = u"RunnerTarget";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"RunnerTarget", u"Target \"one\"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                              nullptr, nullptr, nullptr);
  SetFocus(hwnd);
  return hwnd;
}

struct RunResult {
  int status = -1;
  std::string reason;
};

// Runs a message loop over one visible, focused window until the runner ends the script.
RunResult RunScript(const std::string& script, const std::string& shotsFolder = {}, const std::string& imagesFolder = {}) {
  testing_support::TouchDevice device;
  g_log.clear();
  HWND hwnd = CreateTarget();

  std::istringstream in(script);
  RunResult result;
  sim::HeadlessRunner runner(
      in,
      [&](int status, const std::string& reason) {
        result = {status, reason};
        DestroyWindow(hwnd);
        PostQuitMessage(0);
      },
      sim::ScriptPlaces{shotsFolder, imagesFolder});
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
  EXPECT_EQ(g_log, (std::vector<std::string>{"WM_LBUTTONDOWN:1:" + click, "WM_LBUTTONUP:0:" + click,
                                             "WM_KEYDOWN:13:1", "WM_CHAR:13:1", "WM_KEYUP:13:3221225473",
                                             "WM_CHAR:65:1"}));
}

TEST(HeadlessRunner, ShotAndDumpWriteTheirFilesInsideTheShotsFolder) {
  testing_support::ScratchRoot scratch;
  std::filesystem::create_directories(scratch.Path());
  auto result = RunScript("shot screen.png\ndump sub/../windows.jsonl\n", scratch.String());
  EXPECT_EQ(result.status, sim::kStatusScriptRanOut) << result.reason;
  EXPECT_GT(std::filesystem::file_size(scratch.Path() / "screen.png"), 0u);
  const std::string line = testing_support::ReadText(scratch.Path() / "windows.jsonl");
  for (const char* part : {"\"class\":\"RunnerTarget\"", "\"text\":\"Target \\\"one\\\"\"",
                           "\"x\":0,\"y\":0,\"w\":320,\"h\":240,\"visible\":true,\"enabled\":true,\"focus\":true"}) {
    EXPECT_NE(line.find(part), std::string::npos) << line;
  }
}

TEST(HeadlessRunner, ABadLineStopsTheRunWithItsNumberAndNothingAfterItRuns) {
  testing_support::ScratchRoot scratch;
  std::filesystem::create_directories(scratch.Path());
  const std::string longest(sim::kLongestScriptLine, 'x');
  struct Case {
    std::string script;
    int status;
    std::string reason;
  } kCases[] = {
      {"tap 400 1\n", sim::kStatusBadScript, "script line 1: usage: tap X Y"},
      {"wait 1\nshot ../out.png\n", sim::kStatusBadScript, "script line 2: the file '../out.png' leaves the shots folder"},
      {"dump a/../../b.jsonl\n", sim::kStatusBadScript, "script line 1: the file 'a/../../b.jsonl' leaves the shots folder"},
      {std::string("shot a\0b.png\n", 13), sim::kStatusBadScript, "script line 1: the file name 'a\\x00b.png' holds a NUL"},
      {"wait 1\n#" + longest + "\n", sim::kStatusBadScript, "script line 2: longer than 65536 bytes"},
      {"#" + longest, sim::kStatusBadScript, "script line 1: longer than 65536 bytes"},  // no newline at all
      {longest.substr(1) + "#\n", sim::kStatusBadScript, "script line 1: unknown command 'xxxx"},
      {"#" + longest.substr(1) + "\n", sim::kStatusScriptRanOut, "the script ended"},  // just within the limit
  };
  for (const Case& c : kCases) {
    auto result = RunScript(c.script + "key ENTER\n", scratch.String());
    EXPECT_EQ(result.status, c.status) << c.reason;
    EXPECT_EQ(result.reason.rfind(c.reason, 0), 0u) << result.reason.substr(0, 200);
    if (c.status == sim::kStatusBadScript) {
      EXPECT_TRUE(g_log.empty()) << c.reason;  // nothing after the bad line ran
    }
  }
  EXPECT_FALSE(std::filesystem::exists(scratch.Path().parent_path() / "out.png"));
}

// expect compares the screen with a reviewed image read from the script's folder; a mismatch
// writes the screen and a picture of the difference into the shots folder and ends with status 4.
TEST(HeadlessRunner, ExpectComparesTheScreenWithAReviewedImage) {
  testing_support::ScratchRoot scratch;
  auto reviewed = scratch.Path() / "reviewed", shots = scratch.Path() / "shots";
  for (const auto& folder : {reviewed, shots}) std::filesystem::create_directories(folder);
  ASSERT_EQ(RunScript("shot " + (reviewed / "same.png").string() + "\n").status, sim::kStatusScriptRanOut);
  auto screen = testing_support::ReadShot(reviewed / "same.png");
  ASSERT_EQ(screen.size(), 320u * 240u);
  auto off = screen;
  for (auto [x, y] : {std::pair{5, 6}, {7, 9}, {300, 200}}) off[y * 320 + x] ^= 0x0A0000;  // red off by 10
  std::string error;
  ASSERT_TRUE(sim::WritePng((reviewed / "off.png").string(), 320, 240, off.data(), &error)) << error;

  struct Case {
    std::string line;
    int status;
    std::string reason;
  } kCases[] = {
      {"expect same.png", sim::kStatusScriptRanOut, "the script ended"},
      {"expect off.png 10", sim::kStatusScriptRanOut, "the script ended"},
      {"expect off.png 9", sim::kStatusScreenDiffers, "in 3 pixels, within x 5..300 y 6..200; see "},
      {"expect off.png", sim::kStatusScreenDiffers, "in 3 pixels"},
      {"expect missing.png", sim::kStatusScreenDiffers, "cannot read the image"},
      {"expect ../shots/../reviewed/off.png", sim::kStatusScreenDiffers, "in 3 pixels"},
  };
  for (const Case& c : kCases) {
    auto result = RunScript(c.line + "\n", shots.string(), reviewed.string());
    EXPECT_EQ(result.status, c.status) << c.line;
    EXPECT_NE(result.reason.find(c.reason), std::string::npos) << c.line << ": " << result.reason;
  }
  // The screen as it was, and the difference: red where it differs, grey elsewhere.
  EXPECT_EQ(testing_support::ReadShot(shots / "off.actual.png"), screen);
  auto diff = testing_support::ReadShot(shots / "off.diff.png");
  ASSERT_EQ(diff.size(), screen.size());
  EXPECT_EQ(diff[6 * 320 + 5], 0xFF0000u);
  std::uint32_t grey = diff[0];
  EXPECT_EQ(grey >> 16 & 0xFF, grey & 0xFF);
  EXPECT_NE(grey, 0xFF0000u);
  EXPECT_TRUE(std::filesystem::exists(shots / "missing.actual.png"));
}

// A program whose one screen runs a message loop until it is told to quit.
class ScreenApp final : public CWinApp {
 public:
  BOOL InitInstance() override {
    HWND hwnd = CreateTarget();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
    DestroyWindow(hwnd);
    UnregisterClassW(u"RunnerTarget", nullptr);
    return FALSE;
  }
  int ExitInstance() override {
    exited = true;
    return CWinApp::ExitInstance();
  }
  bool exited = false;
};

TEST(HeadlessRunner, TheRunnersStatusComesThroughTheProgramsNormalEnd) {
  testing_support::TestDevice device;
  for (const auto& [script, status] : {std::pair<std::string, int>{"tap 400 1\n", sim::kStatusBadScript},
                                       std::pair<std::string, int>{"key ENTER\n", sim::kStatusScriptRanOut}}) {
    ScreenApp app;
    std::istringstream in(script);
    EXPECT_EQ(sim::RunHeadless(app, u"", &in, {}), status) << script;
    EXPECT_TRUE(app.exited) << script;  // ExitInstance ran: the program let go of what it held
  }
}

}  // namespace
