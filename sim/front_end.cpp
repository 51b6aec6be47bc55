#include "sim/front_end.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/messages.h"
#include "platform/gwes/paint.h"
#include "platform/kernel/audio.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/battery_monitor.h"
#include "platform/kernel/power_manager.h"
#include "sim/control_channel.h"
#include "sim/display_loader.h"
#include "sim/headless_runner.h"
#include "sim/program_icon.h"
#include "sim/signal_watch.h"

namespace sim {
namespace {

constexpr int kDefaultBacklight = 5;
// How often the window looks for device state changed by another program.
constexpr std::chrono::milliseconds kDeviceWatchPeriod{250};

// A request from outside (a signal, the window's close button) to end the program. It presses the
// device's close key: the screen in front closes, and a page asks the main menu to close too, so
// the program ends as it would on the device. A screen that ignores the key (a message shown on its
// own) is ended by a quit message once the program has taken the key and is still running.
class CloseRequest {
 public:
  // From any thread. A suspended device is woken first, so the key is not taken for the wake.
  void Press() {
    if (kernel::ResumeDevice()) gwes::MarkScreenDirty();
    gwes::PostKey(VK_DEVICE_CLOSE, true);
    gwes::PostKey(VK_DEVICE_CLOSE, false);
    m_keyPosted = true;
  }
  // On the program's thread as it is about to wait; true when it posted the quit message. The key
  // may arrive while the first idle after it runs, so the program has surely taken it only by the
  // second, which an empty message brings about.
  bool OnProgramIdle() {
    if (!m_keyPosted || m_idlesSinceKey > 1) return false;
    if (++m_idlesSinceKey == 1) {
      PostMessageW(nullptr, WM_NULL, 0, 0);
      return false;
    }
    PostQuitMessage(0);
    return true;
  }

 private:
  std::atomic<bool> m_keyPosted{false};
  int m_idlesSinceKey = 0;
};

// The device's own services run for as long as the program does: the power manager and the
// battery monitor. They start when the program first waits, so reading their settings never
// delays the first frame; the power manager then looks at the idle time each time the program
// waits. True when the device has just been suspended.
class DeviceServicesRun {
 public:
  ~DeviceServicesRun() {
    kernel::StopPowerManager();
    kernel::StopBatteryMonitor();
  }
  bool OnProgramIdle() {
    if (!m_started) {
      kernel::StartPowerManager();
      kernel::StartBatteryMonitor();
      m_started = true;
    }
    return kernel::TickPowerManager();
  }

 private:
  bool m_started = false;
};

int ReadBacklight() {
  return static_cast<int>(kernel::CurrentDevice().Store().GetInt(kernel::state::kBacklight).value_or(kDefaultBacklight));
}

// The device as the window shows it. The program's thread, each time it runs out of work, notes
// the frame and the backlight and wakes the display when either changed; the display never polls.
class DeviceFrames final : public FrameSource, public InputTarget {
 public:
  DeviceFrames(WakeDisplayFunction wake, CloseRequest& close) : m_wake(wake), m_close(close) {}

  std::uint64_t FrameVersion() override { return gwes::ScreenDirtyCount(); }
  void CopyFrame(std::uint32_t* pixels) override { gwes::CopyShownScreen(pixels); }
  int BacklightLevel() override { return m_backlight.load(); }
  void Stylus(StylusAction action, int x, int y) override {
    gwes::PostStylus(action == StylusAction::Down ? gwes::StylusAction::Down
                     : action == StylusAction::Up ? gwes::StylusAction::Up
                                                  : gwes::StylusAction::Move,
                     x, y);
  }
  void Key(unsigned virtualKey, bool down) override { gwes::PostKey(static_cast<BYTE>(virtualKey), down); }
  // Closing the window ends the program as the close key does; closing it again ends the process.
  void CloseRequested() override {
    if (m_closes++ == 0) return m_close.Press();
    std::fprintf(stderr, "utility: the window was closed twice; ending at once\n");
    std::_Exit(1);
  }

  // On the program's thread, as it is about to wait.
  void ProgramIdle() {
    m_close.OnProgramIdle();
    if (m_services.OnProgramIdle()) gwes::MarkScreenDirty();
    std::uint64_t version = gwes::ScreenDirtyCount();
    int backlight = ReadBacklight();
    if (version == m_notedVersion.load() && backlight == m_backlight.load()) return;
    m_notedVersion = version;
    m_backlight = backlight;
    m_wake();
  }
  // On the device watch's thread: another program (devicectl) may change the backlight while this
  // one sleeps, so the level is read a few times a second and the display woken when it changed.
  // The power manager's idle time runs out while the program sleeps too, and darkens the screen.
  void WatchDevice() {
    if (kernel::TickPowerManager()) {
      gwes::MarkScreenDirty();
      m_wake();
    }
    int backlight = ReadBacklight();
    if (backlight == m_backlight.exchange(backlight)) return;
    m_wake();
  }

 private:
  WakeDisplayFunction m_wake;
  CloseRequest& m_close;
  DeviceServicesRun m_services;
  std::atomic<int> m_backlight{kDefaultBacklight};
  std::atomic<std::uint64_t> m_notedVersion{~std::uint64_t{0}};
  int m_closes = 0;
};

// The display module's audio output as the kernel's audio backend.
PlaySoundFunction g_playSound = nullptr;

bool PlayOnHost(const kernel::WaveFormat& format, const std::uint8_t* samples, std::size_t size, bool wait) {
  return g_playSound != nullptr &&
         g_playSound(format.channels, static_cast<int>(format.samplesPerSec), format.bitsPerSample, samples, size, wait);
}

constexpr kernel::AudioBackend kHostAudio{PlayOnHost};

// The control channel of a run. It opens when the program first waits, so making the socket never
// delays the first frame; when the socket cannot be made the program still runs (with a one-line
// note), only devicectl cannot reach it.
class ControlChannelRun {
 public:
  explicit ControlChannelRun(const char* mode) : m_mode(mode) {}
  // On the program's thread when it is idle; true when a request posted input.
  bool OnProgramIdle() {
    if (!m_tried) {
      m_tried = true;
      try {
        m_channel = std::make_unique<ControlChannel>(kernel::CurrentDevice().Root(), m_mode);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "utility: devicectl cannot reach this run: %s\n", e.what());
      }
    }
    return m_channel && m_channel->ServeWaiting();
  }

 private:
  const char* m_mode;
  bool m_tried = false;
  std::unique_ptr<ControlChannel> m_channel;
};

}  // namespace

int RunHeadless(CWinApp& app, const std::u16string& commandLine, std::istream* script, const ScriptPlaces& places) {
  std::optional<int> runnerStatus;
  std::istringstream noScript;
  HeadlessRunner runner(
      script ? *script : noScript,
      [&](int status, const std::string& reason) {
        std::cout.flush();
        std::fprintf(stderr, "utility: %s\n", reason.c_str());
        // The program unwinds its screens and ends as usual, so its ExitInstance still runs.
        runnerStatus = status;
        PostQuitMessage(status);
      },
      places);
  CloseRequest close;
  SignalWatch signals([&close](int) { close.Press(); });
  DeviceServicesRun services;
  ControlChannelRun channel("headless");
  // The power manager looks at the idle time before the script moves on, so a "wait" past the
  // time-out leaves the device suspended for the next command. Requests from outside come before
  // the next script line.
  gwes::SetIdleHook([&] {
    services.OnProgramIdle();
    if (close.OnProgramIdle()) return;
    if (channel.OnProgramIdle()) return;
    if (script) runner.RunNextCommand();
  });
  int code = AfxWinMain(app, commandLine);
  gwes::SetIdleHook(nullptr);
  return runnerStatus.value_or(code);
}

int RunWithWindow(CWinApp& app, const std::u16string& commandLine, int scale) {
  std::string error;
  DisplayModule display = LoadDisplayModule(DefaultDisplayModule(), &error);
  if (display.run == nullptr) {
    std::fprintf(stderr, "utility: %s (use --headless without a display)\n", error.c_str());
    return 1;
  }
  CloseRequest close;
  DeviceFrames device(display.wake, close);
  g_playSound = display.play;
  kernel::SetAudioBackend(&kHostAudio);
  IconPixels icon = ProgramIconPixels();
  ControlChannelRun channel("window");
  gwes::SetIdleHook([&device, &channel] {
    device.ProgramIdle();
    channel.OnProgramIdle();
  });
  SignalWatch signals([&close](int) { close.Press(); });
  std::atomic<bool> ended{false};
  int code = 0;
  std::mutex watchLock;
  std::condition_variable watchStop;
  std::thread program([&] {
    code = AfxWinMain(app, commandLine);
    {
      std::lock_guard guard(watchLock);
      ended = true;
    }
    watchStop.notify_all();
    display.wake();
  });
  std::thread watch([&] {
    std::unique_lock guard(watchLock);
    while (!watchStop.wait_for(guard, kDeviceWatchPeriod, [&] { return ended.load(); })) device.WatchDevice();
  });
  DisplayConfig config;
  config.scale = scale;
  config.iconPixels = icon.argb.data();
  config.iconWidth = icon.width;
  config.iconHeight = icon.height;
  int displayStatus = display.run(config, device, device, ended);
  if (displayStatus != kDisplayEnded) {
    // Without a window nobody can answer the program: leave at once with the display's reason.
    if (displayStatus == kDisplayNotOpened) {
      std::fprintf(stderr, "utility: cannot open a window: %s (use --headless)\n", config.failure);
    } else {
      std::fprintf(stderr, "utility: %s\n", config.failure);
    }
    std::_Exit(1);
  }
  program.join();
  watch.join();
  gwes::SetIdleHook(nullptr);
  kernel::SetAudioBackend(nullptr);
  return code;
}

}  // namespace sim
