// The time from a person's press (a device key on the keyboard, or a mouse button) to the first
// changed frame presented after it: the program's work, the hand-over between its thread and the
// display's, the texture upload and the present. Printed on standard error ("press to frame
// 0.412 ms") when QUORVANE_PRESS_LATENCY is set; the window's refresh to the eye comes on top.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace sim {

class PressLatency {
 public:
  PressLatency() : m_enabled(std::getenv("QUORVANE_PRESS_LATENCY") != nullptr) {}

  // A press came while `shownVersion` is on the screen; a later press before a new frame keeps the
  // first one's time.
  void Pressed(std::uint64_t shownVersion) {
    if (!m_enabled || m_waiting) return;
    m_waiting = true;
    m_pressedAt = SDL_GetPerformanceCounter();
    m_versionAtPress = shownVersion;
  }

  // A frame of `version` has just been presented.
  void Presented(std::uint64_t version) {
    if (!m_waiting || version == m_versionAtPress) return;
    m_waiting = false;
    const double ms = 1000.0 * static_cast<double>(SDL_GetPerformanceCounter() - m_pressedAt) /
                      static_cast<double>(SDL_GetPerformanceFrequency());
    std::fprintf(stderr, "press to frame %.3f ms\n", ms);
  }

 private:
  bool m_enabled;
  bool m_waiting = false;
  Uint64 m_pressedAt = 0;
  std::uint64_t m_versionAtPress = 0;
};

}  // namespace sim
