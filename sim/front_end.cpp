#include "sim/front_end.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/draw_text.h"
#include "platform/gwes/gdi/fill.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/messages.h"
#include "platform/gwes/paint.h"
#include "platform/kernel/audio.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/battery_monitor.h"
#include "platform/kernel/hardware.h"
#include "platform/kernel/power_manager.h"
#include "platform/kernel/time_zone.h"
#include "platform/kernel/wide_string.h"
#include "sim/display/key_overlay.h"
#include "sim/control_channel.h"
#include "sim/display_loader.h"
#include "sim/headless_runner.h"
#include "sim/program_icon.h"
#include "sim/session_recorder.h"
#include "sim/signal_watch.h"
#include "sim/window_desk.h"
#include "sim/window_script.h"

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

// The device as the window shows it, on its desk. The program's thread, each time it runs out of
// work, notes the frame and the backlight and wakes the display when either changed; the display
// never polls. The status strip follows the device from the device watch.
class DeviceFrames final : public FrameSource, public InputTarget {
 public:
  DeviceFrames(WakeDisplayFunction wake, CloseRequest& close, WindowDesk& desk, WindowScript* script,
               SessionRecorder& recorder, std::string shotsFolder)
      : m_wake(wake), m_close(close), m_desk(desk), m_script(script), m_recorder(recorder),
        m_shotsFolder(std::move(shotsFolder)) {}

  std::uint64_t FrameVersion() override { return gwes::ScreenDirtyCount(); }
  void CopyFrame(std::uint32_t* pixels) override { gwes::CopyShownScreen(pixels); }
  int BacklightLevel() override { return m_backlight.load(); }
  std::uint64_t DeskVersion() override { return m_desk.Version(); }
  void CopyDesk(std::uint32_t* pixels) override { m_desk.CopyDesk(pixels); }
  void FramePresented(std::uint64_t) override {
    if (m_script) m_script->FramePresented();
  }
  void Pointer(StylusAction action, int x, int y) override {
    m_desk.Pointer(action == StylusAction::Down ? gwes::StylusAction::Down
                   : action == StylusAction::Up ? gwes::StylusAction::Up
                                                : gwes::StylusAction::Move,
                   x, y);
  }
  void Key(unsigned virtualKey, bool down) override { m_desk.Key(static_cast<BYTE>(virtualKey), down); }
  void Command(HostCommand command) override {
    if (command == HostCommand::Help) return m_desk.ToggleHelp();
    std::string error;
    if (auto path = SaveScreenshot(m_shotsFolder, &error)) {
      std::fprintf(stderr, "utility: wrote %s\n", path->c_str());
    } else {
      std::fprintf(stderr, "utility: %s\n", error.c_str());
    }
  }
  // A close from the host (the window, a signal): the record ends on the screen as it is.
  void PressClose() {
    m_recorder.CloseRequested();
    m_close.Press();
  }
  // Closing the window ends the program as the close key does; closing it again ends the process.
  void CloseRequested() override {
    if (m_closes++ == 0) return PressClose();
    std::fprintf(stderr, "utility: the window was closed twice; ending at once\n");
    std::_Exit(1);
  }

  // On the program's thread, as it is about to wait.
  void ProgramIdle() {
    if (!m_close.OnProgramIdle() && m_script) m_script->OnProgramIdle();
    if (m_services.OnProgramIdle()) gwes::MarkScreenDirty();
    std::uint64_t version = gwes::ScreenDirtyCount();
    int backlight = ReadBacklight();
    if (version == m_notedVersion.load() && backlight == m_backlight.load()) return;
    m_notedVersion = version;
    m_backlight = backlight;
    m_wake();
  }
  // On the device watch's thread: another program (devicectl) may change the backlight and what the
  // status strip shows while this one sleeps, so they are read a few times a second and the display
  // woken when they changed.
  // The power manager's idle time runs out while the program sleeps too, and darkens the screen.
  void WatchDevice() {
    if (kernel::TickPowerManager()) {
      gwes::MarkScreenDirty();
      m_wake();
    }
    int backlight = ReadBacklight();
    bool status = m_desk.RefreshStatus();
    if (backlight == m_backlight.exchange(backlight) && !status) return;
    m_wake();
  }

 private:
  WakeDisplayFunction m_wake;
  CloseRequest& m_close;
  WindowDesk& m_desk;
  WindowScript* m_script;
  SessionRecorder& m_recorder;
  std::string m_shotsFolder;
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

// How long the window shows the device restarting.
constexpr auto kRestartShownFor = std::chrono::seconds(1);

// A reset with a window restarts the device as a person sees it: the screen goes black with a
// short note for a second, then the utility starts again with no command line on the same device
// (and the same window size and frame),
// as a new image of this program (nothing of the old run is kept but the device itself).
[[noreturn]] void RestartInWindow(WakeDisplayFunction wake, int scale, bool frame) {
  HDC dc = GetDC(nullptr);
  RECT screen{0, 0, gwes::kScreenWidth, gwes::kScreenHeight};
  FillRect(dc, &screen, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, u"Restarting...", -1, &screen, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ReleaseDC(nullptr, dc);
  gwes::MarkScreenDirty();
  wake();
  std::this_thread::sleep_for(kRestartShownFor);
  std::error_code ec;
  std::string program = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (ec) program = "/proc/self/exe";
  std::string root = kernel::CurrentDevice().Root().string();
  std::string scaleWord = std::to_string(scale);
  std::string deviceOption = "--device", scaleOption = "--scale";
  std::string noFrame = "--no-frame";
  char* argv[] = {program.data(), deviceOption.data(), root.data(), scaleOption.data(), scaleWord.data(),
                  frame ? nullptr : noFrame.data(), nullptr};
  std::fflush(nullptr);
  ::execv(program.c_str(), argv);
  std::fprintf(stderr, "utility: cannot start again after the reset: %s\n", std::strerror(errno));
  std::_Exit(0);
}

// The device's hardware state notes that a window showed the key map on this device.
constexpr const char* kKeyMapShown = "window_key_map_shown";

void PrintKeyMapOnFirstStart() {
  auto& store = kernel::CurrentDevice().Store();
  if (store.GetInt(kKeyMapShown)) return;
  std::fprintf(stderr, "%s", KeyMapText().c_str());
  store.SetInt(kKeyMapShown, 1);
}

// "Quorvane Utility — main menu, recording — /path/to/device"
std::string WindowTitle(const std::u16string& commandLine, const WindowOptions& options) {
  std::string mode = commandLine.empty() ? "main menu" : kernel::WideToUtf8(commandLine);
  if (options.script) mode += ", script";
  if (!options.record.empty()) mode += ", recording";
  return "Quorvane Utility \u2014 " + mode + " \u2014 " + kernel::CurrentDevice().Root().string();
}

std::string RecordHeader() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  char time[32];
  std::snprintf(time, sizeof time, "%04u-%02u-%02uT%02u:%02u:%02u", local.wYear % 10000u, local.wMonth % 100u,
                local.wDay % 100u, local.wHour % 100u, local.wMinute % 100u, local.wSecond % 100u);
  return "# recorded by utility --record on " + kernel::CurrentDevice().Root().string() + " at device time " + time +
         "\n# replay: utility --headless --device DIR --script THIS-FILE --shots DIR\n";
}
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

int RunWithWindow(CWinApp& app, const std::u16string& commandLine, const WindowOptions& options) {
  std::string error;
  SessionRecorder recorder;
  if (!options.record.empty() && !recorder.Open(options.record, RecordHeader(), &error)) {
    std::fprintf(stderr, "utility: %s\n", error.c_str());
    return 2;
  }
  DisplayModule display = LoadDisplayModule(DefaultDisplayModule(), &error);
  if (display.run == nullptr) {
    std::fprintf(stderr, "utility: %s (use --headless without a display)\n", error.c_str());
    return 1;
  }
  PrintKeyMapOnFirstStart();
  CloseRequest close;
  std::optional<int> scriptStatus;
  std::optional<WindowScript> script;
  if (options.script) {
    script.emplace(
        *options.script,
        [&](int status, const std::string& reason) {
          if (status == kStatusScriptRanOut) return (void)std::fprintf(stderr, "utility: the script is done\n");
          std::fprintf(stderr, "utility: %s\n", reason.c_str());
          scriptStatus = status;
          PostQuitMessage(status);
        },
        options.scriptPlaces);
  }
  WindowDesk desk(options.frame, recorder.IsOpen() ? &recorder : nullptr);
  DeviceFrames device(display.wake, close, desk, script ? &*script : nullptr, recorder,
                      options.scriptPlaces.shotsFolder.empty() ? "shots" : options.scriptPlaces.shotsFolder);
  g_playSound = display.play;
  kernel::SetAudioBackend(&kHostAudio);
  IconPixels icon = ProgramIconPixels();
  ControlChannelRun channel("window");
  gwes::SetIdleHook([&device, &channel] {
    device.ProgramIdle();
    channel.OnProgramIdle();
  });
  // A frame a thread of the program flushes while the program's own thread is blocked (the wait
  // cursor during an installation) is shown at once.
  gwes::SetScreenFlushHook(display.wake);
  kernel::SetResetHandler(
      [wake = display.wake, scale = options.scale, frame = options.frame] { RestartInWindow(wake, scale, frame); });
  SignalWatch signals([&device](int) { device.PressClose(); });
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
  const std::string title = WindowTitle(commandLine, options);
  DisplayConfig config;
  config.scale = options.scale;
  config.title = title.c_str();
  config.deskWidth = desk.Layout().width;
  config.deskHeight = desk.Layout().height;
  config.screenX = desk.Layout().screen.left;
  config.screenY = desk.Layout().screen.top;
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
  recorder.ProgramEnded();
  gwes::SetIdleHook(nullptr);
  gwes::SetScreenFlushHook(nullptr);
  kernel::SetResetHandler(nullptr);
  kernel::SetAudioBackend(nullptr);
  return scriptStatus.value_or(code);
}

}  // namespace sim
