// Records a window session's input as a headless script: each stylus action (in screen pixels) and
// key as the device took it, a "wait" line for each pause between them (milliseconds of the
// device's clock), and a shot of the last screen at the end, so a headless run of the file reaches
// the same screens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/gwes/input.h"

namespace sim {

class SessionRecorder {
 public:
  SessionRecorder() = default;
  ~SessionRecorder();
  SessionRecorder(const SessionRecorder&) = delete;
  SessionRecorder& operator=(const SessionRecorder&) = delete;

  // Creates (or empties) the file and writes the header comment; false with a one-line reason.
  // The pauses count from here.
  bool Open(const std::string& path, const std::string& header, std::string* error);
  bool IsOpen() const { return m_file != nullptr; }
  // The shot the script ends with: "<file's stem>-last.png", inside the replay's --shots folder.
  const std::string& ShotName() const { return m_shot; }

  // From any thread, as the input goes to the device.
  void Stylus(gwes::StylusAction action, int x, int y);
  void Key(BYTE vk, bool down);

  // The host asked the program to end (the window closed, a signal): the shot of the screen as it
  // is now, then the device's close key that the host presses.
  void CloseRequested();
  // The program has ended. When it ended on the person's own last press, the shot goes before that
  // press: lines after the program's end would never run.
  void ProgramEnded();

 private:
  void WriteLocked(const std::string& line, bool press);
  void FinishLocked(const std::string& tail);

  std::mutex m_lock;
  std::FILE* m_file = nullptr;
  std::string m_shot;
  std::uint64_t m_lastMs = 0;
  long m_pressOffset = -1;   // where the last press's lines begin in the file
  std::string m_sincePress;  // those lines
  bool m_finished = false;
};

}  // namespace sim
