#include "sim/headless_runner.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "sim/png_writer.h"
#include "sim/script.h"
#include "sim/shown_text.h"
#include "sim/window_dump.h"

namespace sim {
namespace {

// Reads one line without its newline, up to kLongestScriptLine bytes: false at the end of the
// script or, with *tooLong set, when the line goes on past the limit.
bool ReadLine(std::istream& in, std::string* line, bool* tooLong) {
  line->clear();
  *tooLong = false;
  std::streambuf* buffer = in.rdbuf();
  for (;;) {
    int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return !line->empty();
    }
    if (c == '\n') return true;
    if (line->size() == kLongestScriptLine) {
      *tooLong = true;
      return false;
    }
    line->push_back(static_cast<char>(c));
  }
}

bool TakeShot(const std::string& file, std::string* error) {
  auto screen = gwes::Screen();
  std::vector<std::uint32_t> pixels(screen->Pixels().size());
  gwes::CopyShownScreen(pixels.data());
  return WritePng(file, screen->width, screen->height, pixels.data(), error);
}

bool WriteDump(const std::string& file, std::string* error) {
  std::string text = DumpWindows();
  if (file.empty()) {
    std::cout << text << std::flush;
    return true;
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) {
    *error = "cannot write " + Shown(file);
    return false;
  }
  return true;
}

}  // namespace

HeadlessRunner::HeadlessRunner(std::istream& script, std::function<void(int, const std::string&)> ends,
                               std::string shotsFolder)
    : m_script(script), m_ends(std::move(ends)), m_shotsFolder(std::move(shotsFolder)) {}

std::optional<std::string> HeadlessRunner::FilePath(const std::string& file, std::string* error) const {
  std::filesystem::path path(file);
  if (m_shotsFolder.empty() || path.is_absolute()) return file;
  auto inside = path.lexically_normal();
  if (!inside.empty() && *inside.begin() == "..") {
    *error = "the file " + Shown(file) + " leaves the shots folder";
    return std::nullopt;
  }
  return (std::filesystem::path(m_shotsFolder) / inside).string();
}

void HeadlessRunner::Install() {
  gwes::SetIdleHook([this] { RunNextCommand(); });
}

void HeadlessRunner::RunNextCommand() {
  if (m_ended) return;
  auto end = [this](int status, const std::string& reason) {
    m_ended = true;
    m_ends(status, reason);
  };
  auto bad = [&](const std::string& error) { end(kStatusBadScript, "script line " + std::to_string(m_line) + ": " + error); };
  std::string text;
  bool tooLong = false;
  while (ReadLine(m_script, &text, &tooLong) || tooLong) {
    ++m_line;
    if (tooLong) return bad("longer than " + std::to_string(kLongestScriptLine) + " bytes");
    std::string error;
    auto command = ParseScriptLine(text, &error);
    if (!command) {
      if (error.empty()) continue;
      return bad(error);
    }
    auto stylus = [&](gwes::StylusAction action) { gwes::PostStylus(action, command->x, command->y); };
    auto key = [&](bool down) { gwes::PostKey(static_cast<BYTE>(command->key), down); };
    switch (command->verb) {
      case ScriptVerb::Tap:
        stylus(gwes::StylusAction::Down);
        stylus(gwes::StylusAction::Up);
        return;
      case ScriptVerb::DoubleTap:
        for (int i = 0; i < 2; ++i) {
          stylus(gwes::StylusAction::Down);
          stylus(gwes::StylusAction::Up);
        }
        return;
      case ScriptVerb::Down: return stylus(gwes::StylusAction::Down);
      case ScriptVerb::Move: return stylus(gwes::StylusAction::Move);
      case ScriptVerb::Up: return stylus(gwes::StylusAction::Up);
      case ScriptVerb::Key:
        key(true);
        key(false);
        return;
      case ScriptVerb::KeyDown: return key(true);
      case ScriptVerb::KeyUp: return key(false);
      case ScriptVerb::Char: return gwes::PostChar(static_cast<WCHAR>(command->key));
      case ScriptVerb::Wait: return m_wait ? m_wait(command->ms) : gwes::AdvanceTime(command->ms);
      case ScriptVerb::Shot:
      case ScriptVerb::Dump: {
        // Neither changes anything: go on with the next line.
        std::optional<std::string> file =
            command->file.empty() ? std::optional<std::string>("") : FilePath(command->file, &error);
        if (!file) return bad(error);
        bool written = command->verb == ScriptVerb::Shot ? TakeShot(*file, &error) : WriteDump(*file, &error);
        if (!written) return bad(error);
        break;
      }
    }
  }
  end(kStatusScriptRanOut, "the script ended while a screen was still open");
}

}  // namespace sim
