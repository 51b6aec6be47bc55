// The window as a person meets it: on a real X display (Xvfb) a click on a frame key, sent by
// xdotool as a person's mouse would, reaches the device, even the click that focuses the window
// (skipped where Xvfb or xdotool is missing); on SDL's dummy display a script drives the window at
// real speed, and a screenshot taken at once during a language switch shows the wait cursor.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "tests/sim/shot_reader.h"
#include "tests/support/programs.h"
#include "tests/support/running_utility.h"

namespace {

constexpr int kMissingTools = 77;

// Starts a private Xvfb, runs the utility in it at scale 1 with a record, clicks Volume up (a click
// that also focuses the window) and then Close on the frame (desk coordinates), and waits for the
// utility to end. Every wait is bounded; a
// program that does not show its window or does not end is reported with its threads' stacks.
constexpr const char* kSession = R"sh(
for tool in Xvfb xdotool xev xprop xwininfo; do command -v $tool >/dev/null || exit 77; done
folder=$1 utility=$2 root=$3
mkfifo "$folder/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$folder/display" 2>"$folder/xvfb.err" &
xvfb=$!
program= xev=
trap 'kill $xvfb $xev $program 2>/dev/null' EXIT
read number < "$folder/display"
[ -n "$number" ] || { echo "Xvfb did not start: $(tail -3 "$folder/xvfb.err")"; exit 1; }
export DISPLAY=:$number
# Every window mapped on the display is logged; a property set on the root shows the log has begun.
xev -root -event substructure -event property >"$folder/maps" &
xev=$!
for try in $(seq 100); do grep -q PropertyNotify "$folder/maps" && break
   xprop -root -f QUORVANE_TEST 8s -set QUORVANE_TEST ready; sleep 0.05; done
"$utility" --device "$root" --scale 1 --record "$folder/session.script" 2>"$folder/err" &
program=$!
stuck() {
  echo "$1"
  command -v gdb >/dev/null && gdb -p $program -batch -ex 'thread apply all bt' 2>/dev/null | grep -E '^(Thread|#)'
  exit 1
}
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Quorvane Utility') || stuck "no window within 30 s"
# The keyboard focus goes elsewhere first, so the click on Volume up is the one that focuses the window.
xdotool windowfocus "$(xwininfo -root | awk '/Window id/ {print $4}')"
xdotool windowfocus "$window" mousemove --window "$window" 380 70 click 1 mousemove --window "$window" 470 244 click 1
for tenth in $(seq 300); do kill -0 $program 2>/dev/null || break; sleep 0.1; done
kill -0 $program 2>/dev/null && stuck "the program did not end within 30 s of the clicks"
wait $program
echo "status $?"
echo "maps $(grep -c '^MapNotify' "$folder/maps")"
)sh";

TEST(WindowOnXvfb, AClickOnAFrameKeyReachesTheDevice) {
  testing_support::ScratchRoot root;
  ASSERT_EQ(testing_support::Devicectl(root, {"init"}).status, 0);
  ASSERT_EQ(testing_support::Devicectl(root, {"volume"}).out, "0x99999999\n");
  const std::string folder = root.Path().parent_path().string();
  auto run =
      testing_support::RunProgram({"/bin/sh", "-c", kSession, "session", folder, QUORVANE_UTILITY_BIN, root.String()});
  if (run.status == kMissingTools) GTEST_SKIP() << "Xvfb or xdotool is missing: the window is not tried on a display";
  const std::string err = testing_support::ReadText(folder + "/err");
  ASSERT_EQ(run.status, 0) << run.out << run.err << "\nthe program's errors:\n" << err;
  // The Close key on the main menu ends the program by itself. The window is shown once, with its
  // renderer made: the X window SDL gave first is replaced then, and a click on it would be lost.
  EXPECT_EQ(run.out, "status 0\nmaps 1\n");
  // A press that comes with the focus counts: SDL's default drops it as a click that only focuses.
  EXPECT_EQ(testing_support::Devicectl(root, {"volume"}).out, "0xCCCCCCCC\n");
  const std::string record = testing_support::ReadText(folder + "/session.script");
  EXPECT_NE(err.find("device keys (or click them on the frame)"), std::string::npos) << err;
  EXPECT_NE(record.find("keydown F6\n"), std::string::npos) << record;
  EXPECT_NE(record.find("shot session-last.png\nkeydown CLOSE\n"), std::string::npos) << record;
}

// The script waits on the clock, and its shot and keys reach the program as headless ones do.
TEST(Window, AScriptDrivesTheWindowAtRealSpeed) {
  testing_support::ImagedRoot root;
  const std::string folder = root.Path().parent_path().string();
  std::ofstream(folder + "/tour.script") << "key F6\nwait 400\nshot up.png\nkey CLOSE\n";
  const auto start = std::chrono::steady_clock::now();
  auto run = testing_support::RunProgram({"/usr/bin/env", "SDL_VIDEODRIVER=dummy", QUORVANE_UTILITY_BIN, "--device",
                                          root.String(), "--script", folder + "/tour.script", "--shots", folder});
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_GE(elapsed, std::chrono::milliseconds(400));
  EXPECT_TRUE(std::filesystem::exists(folder + "/up.png"));
  EXPECT_EQ(testing_support::Devicectl(root, {"volume"}).out, "0xCCCCCCCC\n");
}

// In a window the installation takes real time; a screenshot taken at once meanwhile shows the
// wait cursor over the page (at (100, 100), 120 x 41), drawn by its own thread while the program's
// thread waits for the installer.
TEST(Window, TheWaitCursorShowsWhileTheLanguageSwitchInstalls) {
  using testing_support::Devicectl;
  testing_support::ImagedRoot root;
  ASSERT_EQ(Devicectl(root, {"installer", "--seconds", "3"}).status, 0);
  testing_support::RunningUtility utility(root, {"--no-frame"}, true);
  utility.AwaitListed();
  EXPECT_EQ(Devicectl(root, {"ps"}).out, std::to_string(utility.Pid()) + " window CMainMenuDlg QuorvaneUtility\n");
  for (const char* key : {"RIGHT", "DOWN", "ENTER", "UP", "UP"}) {
    ASSERT_EQ(Devicectl(root, {"input", "key", key}).status, 0);
  }
  const auto shot = root.Path().parent_path() / "now.png";
  ASSERT_EQ(Devicectl(root, {"screenshot", shot.string()}).status, 0);
  const auto page = testing_support::ReadShot(shot);
  // Still the language page (its title as before), with the cursor's place changed.
  auto differs = [&](const std::vector<std::uint32_t>& now, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (now[y * 320 + x] != page[y * 320 + x]) return true;
    return false;
  };
  ASSERT_EQ(Devicectl(root, {"input", "key", "ENTER"}).status, 0);
  bool seen = false;
  // The installer works for 3 s; each look takes a few milliseconds.
  for (int look = 0; look < 1000 && !seen; ++look) {
    ASSERT_EQ(Devicectl(root, {"screenshot", "--now", shot.string()}).status, 0);
    auto now = testing_support::ReadShot(shot);
    seen = now.size() == page.size() && !differs(now, 85, 15, 320, 55) && differs(now, 100, 100, 220, 141);
  }
  EXPECT_TRUE(seen);
  ASSERT_EQ(Devicectl(root, {"input", "key", "ESCAPE"}).status, 0);  // on the menu, once the switch is over
  EXPECT_EQ(utility.Wait(), 0);
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\SOFTWARE\\Apps\\Tavix Pelora", "Language"}).out, "german\n");
}

}  // namespace
