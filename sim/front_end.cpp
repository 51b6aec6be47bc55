#include "sim/front_end.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "platform/gwes/focus.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/messages.h"
#include "platform/gwes/paint.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "sim/display_loader.h"
#include "sim/headless_runner.h"

namespace sim {
namespace {

// The device as the window shows it: the framebuffer and the backlight level, which the display
// rereads every few frames since the backlight can change while the picture does not.
class DeviceFrames final : public FrameSource, public InputTarget {
 public:
  std::uint64_t FrameVersion() override { return gwes::ScreenDirtyCount(); }
  void CopyFrame(std::uint32_t* pixels) override {
    auto screen = gwes::Screen();
    std::lock_guard guard(screen->lock);
    std::copy(screen->Pixels().begin(), screen->Pixels().end(), pixels);
  }
  int BacklightLevel() override {
    if (++m_polls % kBacklightPollFrames == 1) {
      m_backlight = static_cast<int>(kernel::CurrentDevice().Store().GetInt(kernel::state::kBacklight).value_or(5));
    }
    return m_backlight;
  }
  void Stylus(StylusAction action, int x, int y) override {
    gwes::PostStylus(action == StylusAction::Down ? gwes::StylusAction::Down
                     : action == StylusAction::Up ? gwes::StylusAction::Up
                                                  : gwes::StylusAction::Move,
                     x, y);
  }
  void Key(unsigned virtualKey, bool down) override { gwes::PostKey(static_cast<BYTE>(virtualKey), down); }
  // Closing the window asks the screen in front to close, as the device's close request would.
  void CloseRequested() override {
    if (HWND front = GetForegroundWindow()) PostMessageW(front, WM_CLOSE, 0, 0);
  }

 private:
  static constexpr unsigned kBacklightPollFrames = 12;
  unsigned m_polls = 0;
  int m_backlight = 5;
};

}  // namespace

int RunHeadless(CWinApp& app, const std::u16string& commandLine, std::istream& script, const std::string& shotsFolder) {
  HeadlessRunner runner(
      script,
      [](int status, const std::string& reason) {
        std::cout.flush();
        std::fprintf(stderr, "utility: %s\n", reason.c_str());
        std::exit(status);
      },
      shotsFolder);
  runner.Install();
  int code = AfxWinMain(app, commandLine);
  gwes::SetIdleHook(nullptr);
  return code;
}

int RunWithWindow(CWinApp& app, const std::u16string& commandLine, int scale) {
  std::string error;
  RunDisplayFunction runDisplay = LoadDisplayModule(DefaultDisplayModule(), &error);
  if (runDisplay == nullptr) {
    std::fprintf(stderr, "utility: %s (use --headless without a display)\n", error.c_str());
    return 1;
  }
  std::atomic<bool> ended{false};
  int code = 0;
  std::thread program([&] {
    code = AfxWinMain(app, commandLine);
    ended = true;
  });
  DeviceFrames device;
  DisplayConfig config;
  config.scale = scale;
  int displayStatus = runDisplay(config, device, device, ended);
  if (displayStatus != 0) {
    // Without a window nobody can answer the program: leave at once with the display's reason.
    std::fprintf(stderr, "utility: cannot open a window: %s (use --headless)\n", config.failure);
    std::_Exit(1);
  }
  program.join();
  return code;
}

}  // namespace sim
