// The headless runner: it feeds a script to the program one command at a time, each time the
// program's user-interface thread has nothing left to do, so input, time and screenshots
// interleave with the program exactly and repeatably. It runs on that thread, from the window
// system's idle hook.
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <string>

#include "sim/script.h"
#include "sim/script_reader.h"

namespace sim {

// How a run ends early: a bad line (status 2, with its line number), a script that ran out while
// a screen was still open (status 3), or a screen that differs from its reviewed image (status 4).
constexpr int kStatusBadScript = 2;
constexpr int kStatusScriptRanOut = 3;
constexpr int kStatusScreenDiffers = 4;

struct ScriptPlaces {
  // With a shots folder, the relative file names of shots, dumps and expect's written images are
  // taken inside it, and one that leads out of it is a bad line.
  std::string shotsFolder;
  // The folder expect's relative reviewed images are read from (the script's own folder).
  std::string imagesFolder;
  // Read the script on a thread of its own (standard input, a pipe), so the program's thread is
  // free while a line has not come.
  bool readInBackground = false;
};

class HeadlessRunner {
 public:
  // ends is called once, with the status, when the script cannot go on (the front end then ends
  // the program); after it the runner does nothing more.
  HeadlessRunner(std::istream& script, std::function<void(int status, const std::string& reason)> ends,
                 ScriptPlaces places = {});

  // Installs the runner as the window system's idle hook.
  void Install();
  // Runs script lines until one command has been carried out: input posted, time advanced, or a
  // shot or dump written. Called when the user-interface thread is idle; returns at once while
  // the next line of a script read in the background has not come.
  void RunNextCommand();

  int LineNumber() const { return m_line; }
  // A "wait" calls this instead of moving virtual time (a window's script waits on the clock).
  void SetWait(std::function<void(unsigned ms)> wait) { m_wait = std::move(wait); }

 private:
  std::optional<std::string> FilePath(const std::string& file, std::string* error) const;
  // Compares the screen with the reviewed image; false with the reason and status on a mismatch.
  bool Expect(const ScriptCommand& command, int* status, std::string* error) const;

  ScriptReader m_reader;
  std::function<void(int, const std::string&)> m_ends;
  ScriptPlaces m_places;
  std::function<void(unsigned)> m_wait;
  int m_line = 0;
  bool m_ended = false;
};

}  // namespace sim
