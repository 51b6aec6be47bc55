#include "sim/session_recorder.h"

#include <unistd.h>

#include <filesystem>

#include "platform/gwes/virtual_keys.h"
#include "platform/kernel/clock.h"
#include "sim/script.h"
#include "sim/shown_text.h"

namespace sim {

SessionRecorder::~SessionRecorder() {
  if (m_file) std::fclose(m_file);
}

bool SessionRecorder::Open(const std::string& path, const std::string& header, std::string* error) {
  if (std::filesystem::is_directory(path) || (m_file = std::fopen(path.c_str(), "w")) == nullptr) {
    *error = "cannot write the record " + Shown(path);
    return false;
  }
  m_shot = std::filesystem::path(path).stem().string() + "-last.png";
  m_lastMs = kernel::Clock().MonotonicMs();
  std::fprintf(m_file, "%s", header.c_str());
  std::fflush(m_file);
  return true;
}

void SessionRecorder::WriteLocked(const std::string& line, bool press) {
  if (!m_file || m_finished) return;
  const std::uint64_t now = kernel::Clock().MonotonicMs();
  std::string text = now > m_lastMs ? "wait " + std::to_string(now - m_lastMs) + "\n" : "";
  m_lastMs = now;
  if (press) {
    m_pressOffset = std::ftell(m_file) + static_cast<long>(text.size());
    m_sincePress.clear();
  }
  text += line + "\n";
  if (m_pressOffset >= 0) m_sincePress += press ? line + "\n" : text;
  std::fputs(text.c_str(), m_file);
  std::fflush(m_file);
}

void SessionRecorder::Stylus(gwes::StylusAction action, int x, int y) {
  const char* verb = action == gwes::StylusAction::Down ? "down " : action == gwes::StylusAction::Up ? "up " : "move ";
  std::lock_guard guard(m_lock);
  WriteLocked(verb + std::to_string(x) + " " + std::to_string(y), action == gwes::StylusAction::Down);
}

void SessionRecorder::Key(BYTE vk, bool down) {
  std::lock_guard guard(m_lock);
  WriteLocked((down ? "keydown " : "keyup ") + KeyWord(vk), down);
}

void SessionRecorder::FinishLocked(const std::string& tail) {
  if (!m_file || m_finished) return;
  std::fputs(tail.c_str(), m_file);
  std::fflush(m_file);
  m_finished = true;
}

void SessionRecorder::CloseRequested() {
  std::lock_guard guard(m_lock);
  if (!m_file || m_finished) return;
  const std::uint64_t now = kernel::Clock().MonotonicMs();
  std::string tail = now > m_lastMs ? "wait " + std::to_string(now - m_lastMs) + "\n" : "";
  FinishLocked(tail + "shot " + m_shot + "\nkey " + KeyWord(VK_DEVICE_CLOSE) + "\n");
}

void SessionRecorder::ProgramEnded() {
  std::lock_guard guard(m_lock);
  if (!m_file || m_finished) return;
  if (m_pressOffset < 0) return FinishLocked("shot " + m_shot + "\n");
  // Back to where the last press began: the shot, then that press again.
  std::fflush(m_file);
  if (ftruncate(fileno(m_file), m_pressOffset) != 0 || std::fseek(m_file, m_pressOffset, SEEK_SET) != 0) {
    return FinishLocked("");
  }
  FinishLocked("shot " + m_shot + "\n" + m_sincePress);
}

}  // namespace sim
