// The boundary between the program and a window on the host: the display server shows the
// device's framebuffer and feeds the host's mouse and keyboard back as stylus and keys. It lives
// in a module of its own that is loaded only when a window is wanted, so a headless run never
// loads SDL.
#pragma once

#include <atomic>
#include <cstdint>

namespace sim {

enum class StylusAction { Down, Move, Up };

// What the display shows: a 320 x 240 XRGB8888 frame and the backlight level (1 to 8).
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Changes whenever the frame has changed since it was last copied.
  virtual std::uint64_t FrameVersion() = 0;
  virtual void CopyFrame(std::uint32_t* pixels) = 0;
  virtual int BacklightLevel() = 0;
};

// Where the display sends what the person does.
class InputTarget {
 public:
  virtual ~InputTarget() = default;
  virtual void Stylus(StylusAction action, int x, int y) = 0;
  virtual void Key(unsigned virtualKey, bool down) = 0;
  // The person closed the window.
  virtual void CloseRequested() = 0;
};

struct DisplayConfig {
  int scale = 2;
  const char* title = "Quorvane Utility";
  // Filled with a one-line reason when no window can be opened.
  char failure[256] = {};
};

// Runs the display on the calling thread until programEnded becomes true; returns 0, or non-zero
// when no window could be opened. The module exports it as "QuorvaneRunDisplay".
using RunDisplayFunction = int (*)(DisplayConfig& config, FrameSource& frames, InputTarget& input,
                                   const std::atomic<bool>& programEnded);

}  // namespace sim
