// A script driving the window at real speed, so a person can watch a scenario: the headless
// runner's commands, one each time the program is idle, starting once the window shows its first
// frame, with each "wait" taking its time on the clock while the program goes on running.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>

#include "sim/headless_runner.h"

namespace sim {

class WindowScript {
 public:
  // ends as for the headless runner; a script that runs out leaves the window to the person.
  WindowScript(std::istream& script, std::function<void(int status, const std::string& reason)> ends,
               ScriptPlaces places);
  ~WindowScript();

  // On the program's thread as it is about to wait.
  void OnProgramIdle();
  // From the display's thread: the window shows a frame. The first one wakes the program to
  // start the script.
  void FramePresented();

 private:
  // Wakes the program's thread after ms with a timer of the thread's own.
  void WakeAfter(std::uint64_t ms);

  HeadlessRunner m_runner;
  std::atomic<bool> m_framePresented{false};
  std::optional<std::uint64_t> m_waitUntil;
  std::uintptr_t m_timer = 0;
  std::uint64_t m_timerDue = 0;
};

}  // namespace sim
