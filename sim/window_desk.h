// The desk the window shows round the device: the frame with its keys, the status strip and the
// help over the screen. It is also the window's input path: the mouse becomes the stylus on the
// screen or presses a frame key, keys go to the device, and both are recorded when a record runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/gwes/input.h"
#include "platform/kernel/time_zone.h"
#include "sim/display/desk_canvas.h"
#include "sim/display/device_frame.h"

namespace sim {

class SessionRecorder;

class WindowDesk {
 public:
  // recorder may be null.
  WindowDesk(bool frame, SessionRecorder* recorder);

  const DeskLayout& Layout() const { return m_layout; }

  // The mouse's left button in desk coordinates, from the display's thread.
  void Pointer(gwes::StylusAction action, int x, int y);
  // A device key from the host's keyboard; its key on the frame shows pressed while it is down.
  void Key(BYTE vk, bool down);
  // F1: shows the key map over the screen, or hides it. A click also hides it and goes no further.
  void ToggleHelp();
  bool HelpShown();

  // Reads the device's state for the strip; true when the desk changed.
  bool RefreshStatus();

  // The desk as ARGB pixels, transparent over the screen while no help hides it.
  std::uint64_t Version() const { return m_version.load(); }
  void CopyDesk(std::uint32_t* pixels);
  // The frame key shown pressed, or null.
  const FrameKey* PressedKey();

 private:
  void PostStylus(gwes::StylusAction action, POINT point);
  void PostKey(BYTE vk, bool down);
  void RepaintLocked();

  const DeskLayout m_layout;
  SessionRecorder* const m_recorder;
  std::mutex m_lock;
  DeskCanvas m_canvas;
  std::vector<std::uint32_t> m_argb;
  std::atomic<std::uint64_t> m_version{0};
  std::vector<std::string> m_status;
  const FrameKey* m_mouseKey = nullptr;     // held down with the mouse
  const FrameKey* m_keyboardKey = nullptr;  // held down on the keyboard
  bool m_stylusDown = false;
  bool m_help = false;
};

// "screen-YYYYMMDD-HHMMSS.png" for a device local time.
std::string ScreenshotName(const SYSTEMTIME& local);
// Writes the device's screen as the headless shot does, at 1x and undimmed, into folder (created
// when missing) under the name of the device's local time, made unique with "-2", "-3"...; returns
// the path written, or nothing with a one-line reason.
std::optional<std::string> SaveScreenshot(const std::string& folder, std::string* error);

}  // namespace sim
