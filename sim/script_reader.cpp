#include "sim/script_reader.h"

#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/gwes/message_queue.h"

namespace sim {
namespace {

// Reads one line without its newline, up to kLongestScriptLine bytes.
ScriptRead ReadLine(std::istream& in) {
  ScriptRead read{ScriptRead::Kind::kLine, {}};
  std::streambuf* buffer = in.rdbuf();
  for (;;) {
    int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      if (read.text.empty()) read.kind = ScriptRead::Kind::kEnd;
      return read;
    }
    if (c == '\n') return read;
    if (read.text.size() == kLongestScriptLine) return {ScriptRead::Kind::kTooLong, {}};
    read.text.push_back(static_cast<char>(c));
  }
}

}  // namespace

struct ScriptReader::Shared {
  std::mutex lock;
  std::condition_variable changed;
  std::optional<ScriptRead> ready;
  bool wanted = false;
  bool reading = false;
  bool stop = false;
};

ScriptReader::ScriptReader(std::istream& script, bool background) : m_script(script) {
  if (background) m_shared = std::make_shared<Shared>();
}

// The thread starts when the first line is wanted, so it never delays the first frame. It reads a
// line each time one is wanted, and wakes the program's thread when it has come.
void ScriptReader::StartReading() {
  m_thread = std::thread([shared = m_shared, in = &m_script] {
    std::unique_lock guard(shared->lock);
    for (;;) {
      shared->changed.wait(guard, [&] { return shared->stop || shared->wanted; });
      if (shared->stop) return;
      shared->reading = true;
      guard.unlock();
      ScriptRead read = ReadLine(*in);
      guard.lock();
      shared->reading = false;
      shared->wanted = false;
      bool last = read.kind != ScriptRead::Kind::kLine;
      shared->ready = std::move(read);
      if (shared->stop) return;
      gwes::WakeIdleThreads();
      if (last) return;
    }
  });
}

ScriptReader::~ScriptReader() {
  if (!m_thread.joinable()) return;
  std::unique_lock guard(m_shared->lock);
  m_shared->stop = true;
  m_shared->changed.notify_all();
  // A thread waiting on standard input for a line nobody sends is left to the process's end.
  if (m_shared->reading) {
    m_thread.detach();
    return;
  }
  guard.unlock();
  m_thread.join();
}

ScriptRead ScriptReader::Next() {
  if (m_ended) return {};
  ScriptRead read;
  if (!m_shared) {
    read = ReadLine(m_script);
  } else {
    if (!m_thread.joinable()) StartReading();
    std::lock_guard guard(m_shared->lock);
    if (!m_shared->ready) {
      m_shared->wanted = true;
      m_shared->changed.notify_all();
      return {ScriptRead::Kind::kNotYet, {}};
    }
    read = std::move(*m_shared->ready);
    m_shared->ready.reset();
  }
  m_ended = read.kind != ScriptRead::Kind::kLine;
  return read;
}

}  // namespace sim
