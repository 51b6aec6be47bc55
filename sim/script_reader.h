// Reads a script one line at a time. A script that may keep the reader waiting (standard input, a
// pipe) is read on a thread of its own, so the program's thread stays free to serve requests from
// outside while the next line has not come; the program's thread is woken when it does.
#pragma once

#include <istream>
#include <memory>
#include <string>
#include <thread>

namespace sim {

// A longer script line is a bad line (a script of one endless line would otherwise fill memory).
constexpr std::size_t kLongestScriptLine = 64 * 1024;

struct ScriptRead {
  enum class Kind { kLine, kTooLong, kEnd, kNotYet };
  Kind kind = Kind::kEnd;
  std::string text;
};

class ScriptReader {
 public:
  ScriptReader(std::istream& script, bool background);
  ~ScriptReader();
  ScriptReader(const ScriptReader&) = delete;
  ScriptReader& operator=(const ScriptReader&) = delete;

  // The next line, the end, or (reading in the background) kNotYet while it has not come.
  ScriptRead Next();

 private:
  struct Shared;
  void StartReading();

  std::istream& m_script;
  bool m_ended = false;
  // Shared with the reading thread, which may outlive the reader while it waits for a line.
  std::shared_ptr<Shared> m_shared;
  std::thread m_thread;
};

}  // namespace sim
