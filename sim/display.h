// The boundary between the program and a window on the host: the display server shows the
// device's framebuffer and feeds the host's mouse and keyboard back as stylus and keys. It lives
// in a module of its own that is loaded only when a window is wanted, so a headless run never
// loads SDL.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace sim {

enum class StylusAction { Down, Move, Up };

// What the display shows: a 320 x 240 XRGB8888 frame dimmed by the backlight level (1 to 8), and
// over it the desk around the device (its frame, keys and status strip), an ARGB8888 image of the
// whole window that is transparent where the screen shows through.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Changes whenever the frame has changed since it was last copied.
  virtual std::uint64_t FrameVersion() = 0;
  virtual void CopyFrame(std::uint32_t* pixels) = 0;
  virtual int BacklightLevel() = 0;
  // The same for the desk: DisplayConfig's deskWidth x deskHeight pixels.
  virtual std::uint64_t DeskVersion() = 0;
  virtual void CopyDesk(std::uint32_t* pixels) = 0;
  // The frame of that version is on the window now.
  virtual void FramePresented(std::uint64_t version) = 0;
};

// Commands of the window itself, not the device's.
enum class HostCommand { Help, Screenshot };

// Where the display sends what the person does.
class InputTarget {
 public:
  virtual ~InputTarget() = default;
  // The mouse with its left button, in desk coordinates (the window at scale 1).
  virtual void Pointer(StylusAction action, int x, int y) = 0;
  virtual void Key(unsigned virtualKey, bool down) = 0;
  virtual void Command(HostCommand command) = 0;
  // The person closed the window.
  virtual void CloseRequested() = 0;
};

struct DisplayConfig {
  // Reduced by the display to the largest that fits the screen, with a note on standard error.
  int scale = 2;
  const char* title = "Quorvane Utility";
  // The desk at scale 1 and where the device's screen lies on it.
  int deskWidth = 320;
  int deskHeight = 240;
  int screenX = 0;
  int screenY = 0;
  // The window's icon, ARGB8888 rows from the top; none when iconWidth is 0.
  const std::uint32_t* iconPixels = nullptr;
  int iconWidth = 0;
  int iconHeight = 0;
  // Filled with a one-line reason when the display fails.
  char failure[256] = {};
};

// What the display's run returns.
enum DisplayStatus : int {
  kDisplayEnded = 0,      // the program ended
  kDisplayNotOpened = 1,  // no window could be opened
  kDisplayLost = 2,       // the window or the display went away while the program ran
};

// Runs the display on the calling thread until programEnded becomes true. Between events the
// display sleeps: it looks at the frame, the backlight and programEnded again only when woken by
// an event of its own or by the wake function. The module exports it as "QuorvaneRunDisplay".
using RunDisplayFunction = int (*)(DisplayConfig& config, FrameSource& frames, InputTarget& input,
                                   const std::atomic<bool>& programEnded);
// Wakes a running display from any thread; does nothing before the display runs. The module
// exports it as "QuorvaneWakeDisplay".
using WakeDisplayFunction = void (*)();

// Plays little-endian PCM samples (8-bit unsigned, 16- or 32-bit signed) on the host's audio
// output, opened at the first sound; a new sound stops the one playing. With wait it returns once
// the sound has played. False when there is no audio output, or for a format it cannot play; the
// caller then only keeps the time. Callable from any thread, also before the display runs. The
// module exports it as "QuorvanePlaySound".
using PlaySoundFunction = bool (*)(int channels, int samplesPerSec, int bitsPerSample, const std::uint8_t* samples,
                                   std::size_t size, bool wait);

}  // namespace sim
