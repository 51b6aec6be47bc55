// The device's own services as a user meets them: the utility run headless with a script, and
// devicectl beside it. The power manager darkens an idle device on battery, the keypad's volume keys
// change the volume, and with a window the sounds go to SDL's audio output.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <tuple>

#include "sim/display_loader.h"
#include "tests/sim/shot_reader.h"
#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;
using testing_support::ReadShot;
using testing_support::ImagedRoot;
using testing_support::Utility;

constexpr int kStatusScriptRanOut = 3;

bool AllBlack(const std::vector<std::uint32_t>& pixels) {
  return !pixels.empty() && std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p == 0; });
}

// A headless run keeps the power manager: an idle device on battery suspends and its screen goes
// dark (that the waking tap goes no further is the window system's input test).
TEST(DeviceServices, AnIdleDeviceOnBatterySuspendsDark) {
  ImagedRoot root;
  ASSERT_EQ(Devicectl(root, {"battery", "--ac", "off"}).status, 0);
  ASSERT_EQ(Devicectl(root, {"reg", "set", "HKLM\\System\\CurrentControlSet\\Control\\Power\\Timeouts",
                             "BattSuspend", "dword:60"}).status, 0);
  const auto shots = root.Path() / "shots";
  auto run = Utility(root, {"--headless", "--script", "-", "--shots", shots.string()},
                     "wait 59000\nshot awake.png\nwait 2000\nshot dark.png\n");
  EXPECT_EQ(run.status, kStatusScriptRanOut) << run.err;
  EXPECT_EQ(Devicectl(root, {"power"}).out, "state suspended timeout 60 reloads 0\n");
  const auto awake = ReadShot(shots / "awake.png");
  EXPECT_TRUE(!awake.empty() && !AllBlack(awake));
  EXPECT_TRUE(AllBlack(ReadShot(shots / "dark.png")));
}

TEST(DeviceServices, TheVolumeKeysChangeTheWaveOutVolume) {
  ImagedRoot root;
  ASSERT_EQ(Devicectl(root, {"volume"}).out, "0x99999999\n");
  const std::pair<const char*, const char*> steps[] = {
      {"key F10\n", "0x00000000\n"},
      // The mute memory is the device's: it outlives the program.
      {"key F10\nkey F7\nkey F7\n", "0x33333333\n"},
  };
  for (const auto& [keys, volume] : steps) {
    auto run = Utility(root, {"--headless", "--script", "-"}, std::string(keys) + "key ESCAPE\n");
    EXPECT_EQ(run.status, 0) << keys << run.err;
    EXPECT_EQ(Devicectl(root, {"volume"}).out, volume) << keys;
  }
}

// Plays 100 ms of stereo at 8 kHz through the display module's audio output on SDL's given audio
// driver, in a child process of its own because SDL keeps its audio subsystem for the life of the
// process: 0 when played (a synchronous play returns once the sound has played), 1 when not.
int PlayInChild(const char* driver, int bits, bool wait) {
  pid_t pid = fork();
  if (pid == 0) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    std::string error;
    auto display = sim::LoadDisplayModule(QUORVANE_SDL_MODULE, &error);
    if (display.play == nullptr) _exit(2);
    std::vector<std::uint8_t> samples(8000 * 2 * (bits / 8) / 10, 0);
    auto start = std::chrono::steady_clock::now();
    bool played = display.play(2, 8000, bits, samples.data(), samples.size(), wait);
    if (played && wait && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(100)) _exit(3);
    _exit(played ? 0 : 1);
  }
  return testing_support::AwaitExit(pid);
}

// No audio device, or samples it cannot take: not played, so the kernel keeps the time.
TEST(DeviceServices, TheWindowsAudioOutputPlaysWhatItCanAndSaysWhenItCannot) {
  const std::tuple<const char*, int, bool, int> rows[] = {
      {"dummy", 16, true, 0}, {"dummy", 8, false, 0}, {"no-such-driver", 16, true, 1}, {"dummy", 24, true, 1}};
  for (const auto& [driver, bits, wait, status] : rows) {
    EXPECT_EQ(PlayInChild(driver, bits, wait), status) << driver << bits;
  }
}

}  // namespace
