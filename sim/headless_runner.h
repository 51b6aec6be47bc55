// The headless runner: it feeds a script to the program one command at a time, each time the
// program's user-interface thread has nothing left to do, so input, time and screenshots
// interleave with the program exactly and repeatably. It runs on that thread, from the window
// system's idle hook.
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <string>

namespace sim {

// How a run ends early: a bad line (status 2, with its line number) or a script that ran out while
// a screen was still open (status 3).
constexpr int kStatusBadScript = 2;
constexpr int kStatusScriptRanOut = 3;
// A longer script line is a bad line (a script of one endless line would otherwise fill memory).
constexpr std::size_t kLongestScriptLine = 64 * 1024;

class HeadlessRunner {
 public:
  // ends is called once, with the status, when the script cannot go on (the front end then ends
  // the program); after it the runner does nothing more. With a shotsFolder, the relative file
  // names of shots and dumps are taken inside it, and one that leads out of it is a bad line.
  HeadlessRunner(std::istream& script, std::function<void(int status, const std::string& reason)> ends,
                 std::string shotsFolder = {});

  // Installs the runner as the window system's idle hook.
  void Install();
  // Runs script lines until one command has been carried out: input posted, time advanced, or a
  // shot or dump written. Called when the user-interface thread is idle.
  void RunNextCommand();

  int LineNumber() const { return m_line; }
  // A "wait" calls this instead of moving virtual time (a window's script waits on the clock).
  void SetWait(std::function<void(unsigned ms)> wait) { m_wait = std::move(wait); }

 private:
  std::optional<std::string> FilePath(const std::string& file, std::string* error) const;

  std::istream& m_script;
  std::function<void(int, const std::string&)> m_ends;
  std::string m_shotsFolder;
  std::function<void(unsigned)> m_wait;
  int m_line = 0;
  bool m_ended = false;
};

}  // namespace sim
