// The SDL display module on SDL's dummy video driver: it shows frames and turns host input into
// pointer actions, device keys and the window's own commands and zoom.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "sim/display/press_latency.h"
#include "sim/display_loader.h"

namespace {

// A program as the display sees it: it counts the copies and records the input it is handed.
class Session : public sim::FrameSource, public sim::InputTarget {
 public:
  std::uint64_t FrameVersion() override { return version; }
  int BacklightLevel() override { return 5; }
  std::uint64_t DeskVersion() override { return 1; }
  void CopyDesk(std::uint32_t*) override { ++deskCopies; }
  void FramePresented(std::uint64_t) override { ++presented; }
  void Pointer(sim::StylusAction action, int x, int y) override {
    const char* name = action == sim::StylusAction::Down ? "down " : action == sim::StylusAction::Up ? "up " : "move ";
    log.push_back(name + std::to_string(x) + " " + std::to_string(y));
  }
  void Key(unsigned vk, bool down) override { log.push_back("key " + std::to_string(vk) + (down ? " down" : " up")); }
  void Command(sim::HostCommand command) override {
    log.push_back(command == sim::HostCommand::Help ? "help" : "screenshot");
  }
  void CloseRequested() override {
    log.push_back("close");
    ended = true;
  }

  std::atomic<std::uint64_t> version{1};
  std::atomic<bool> ended{false};
  int copies = 0, deskCopies = 0, presented = 0;
  std::vector<std::string> log;
};

void PushKey(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
  SDL_Event key{};
  key.type = type;
  key.key.keysym.sym = sym;
  key.key.keysym.mod = mod;
  SDL_PushEvent(&key);
}

class ScriptedSession final : public Session {
 public:
  void CopyFrame(std::uint32_t* pixels) override {
    pixels[0] = 0x00FF0000;
    ++copies;
    // The window is up: act as the person would, from the display's own thread.
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = 10;
    event.button.y = 20;
    SDL_PushEvent(&event);
    event.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&event);
    for (SDL_Keycode sym : {SDLK_END, SDLK_LSHIFT}) {
      for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) PushKey(type, sym);
    }
    // The window's own keys go no further than the window; an unmapped key goes nowhere.
    PushKey(SDL_KEYDOWN, SDLK_F1);
    PushKey(SDL_KEYDOWN, SDLK_s, KMOD_LCTRL);
    PushKey(SDL_KEYDOWN, SDLK_EQUALS, KMOD_LCTRL);
    PushKey(SDL_KEYDOWN, SDLK_a);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
  }
};

sim::DisplayModule DummyDisplay() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::string error;
  auto display = sim::LoadDisplayModule(QUORVANE_SDL_MODULE, &error);
  EXPECT_NE(display.run, nullptr) << error;
  return display;
}

TEST(SdlDisplay, ShowsTheFrameOnceAndFeedsStylusAndDeviceKeys) {
  auto display = DummyDisplay();
  ASSERT_NE(display.run, nullptr);
  ScriptedSession session;
  sim::DisplayConfig config;
  config.scale = 1;
  EXPECT_EQ(display.run(config, session, session, session.ended), sim::kDisplayEnded);
  EXPECT_EQ(session.copies, 1);  // an unchanged frame is not copied again
  EXPECT_EQ(session.deskCopies, 1);
  EXPECT_EQ(session.presented, 1);
  EXPECT_EQ(session.log, (std::vector<std::string>{"down 10 20", "up 10 20", "key 197 down", "key 197 up",
                                                   "key 16 down", "key 16 up", "help", "screenshot", "close"}));
  EXPECT_EQ(config.scale, 2);  // Ctrl+= zoomed in
}

// A program that changes its frame once: the display, asleep between events, shows the change
// only because it is woken, and leaves when woken after the program ended.
class WakingSession final : public Session {
 public:
  explicit WakingSession(sim::WakeDisplayFunction wake) : m_wake(wake) {}
  void CopyFrame(std::uint32_t*) override {
    if (++copies == 1) {
      m_program = std::thread([this] {
        version = 2;
        m_wake();
      });
    } else {
      m_program.join();
      ended = true;
      m_wake();
    }
  }

 private:
  sim::WakeDisplayFunction m_wake;
  std::thread m_program;
};

TEST(SdlDisplay, SleepsUntilWokenAndFitsTheScaleToTheScreen) {
  auto display = DummyDisplay();
  ASSERT_NE(display.run, nullptr);
  display.wake();  // before the display runs: nothing to wake, no harm
  WakingSession session(display.wake);
  sim::DisplayConfig config;
  config.scale = 8;  // 2560 x 1920 on the dummy driver's 1024 x 768 screen
  EXPECT_EQ(display.run(config, session, session, session.ended), sim::kDisplayEnded);
  EXPECT_EQ(session.copies, 2);
  EXPECT_EQ(config.scale, 3);
}

TEST(SdlDisplay, AMissingModuleIsAClearError) {
  std::string error;
  EXPECT_EQ(sim::LoadDisplayModule("/nonexistent/libquorvane_sdl.so", &error).run, nullptr);
  EXPECT_NE(error.find("cannot load the display module"), std::string::npos);
}

// A press is timed to the first frame that differs from the one shown at the press; a second press
// before that frame keeps the first one's time.
TEST(PressLatency, TimesAPressToTheFirstChangedFramePresented) {
  setenv("QUORVANE_PRESS_LATENCY", "1", 1);
  sim::PressLatency latency;
  unsetenv("QUORVANE_PRESS_LATENCY");
  testing::internal::CaptureStderr();
  latency.Presented(1);  // no press yet
  latency.Pressed(1);
  latency.Presented(1);  // the same frame again (the desk changed)
  latency.Pressed(1);
  latency.Presented(2);
  latency.Presented(3);  // nothing pressed since
  const std::string out = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::regex_match(out, std::regex("press to frame [0-9]+\\.[0-9]{3} ms\n"))) << out;
}

}  // namespace
