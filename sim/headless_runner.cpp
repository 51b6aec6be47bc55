#include "sim/headless_runner.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "sim/png_writer.h"
#include "sim/screen_compare.h"
#include "sim/script_input.h"
#include "sim/shown_text.h"
#include "sim/window_dump.h"

namespace sim {
namespace {

PngPixels ShownScreen() {
  auto screen = gwes::Screen();
  PngPixels image{screen->width, screen->height, std::vector<std::uint32_t>(screen->Pixels().size())};
  gwes::CopyShownScreen(image.pixels.data());
  return image;
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

// "menu/focus.png" -> "menu/focus.SUFFIX.png"; an absolute name, or one that leads up out of its
// folder, keeps only its last part.
std::string BesideName(const std::string& file, const char* suffix) {
  std::filesystem::path path = std::filesystem::path(file).lexically_normal();
  if (path.is_absolute() || (!path.empty() && *path.begin() == "..")) path = path.filename();
  std::filesystem::path stem = path.extension() == ".png" ? path.parent_path() / path.stem() : path;
  return stem.string() + suffix;
}

}  // namespace

HeadlessRunner::HeadlessRunner(std::istream& script, std::function<void(int, const std::string&)> ends,
                               ScriptPlaces places)
    : m_reader(script, places.readInBackground), m_ends(std::move(ends)), m_places(std::move(places)) {}

std::optional<std::string> HeadlessRunner::FilePath(const std::string& file, std::string* error) const {
  std::filesystem::path path(file);
  if (m_places.shotsFolder.empty() || path.is_absolute()) return file;
  auto inside = path.lexically_normal();
  if (!inside.empty() && *inside.begin() == "..") {
    *error = "the file " + Shown(file) + " leaves the shots folder";
    return std::nullopt;
  }
  return (std::filesystem::path(m_places.shotsFolder) / inside).string();
}

bool HeadlessRunner::Expect(const ScriptCommand& command, int* status, std::string* error) const {
  std::filesystem::path reviewed(command.file);
  if (reviewed.is_relative() && !m_places.imagesFolder.empty()) reviewed = m_places.imagesFolder / reviewed;
  auto actualFile = FilePath(BesideName(command.file, ".actual.png"), error);
  auto diffFile = FilePath(BesideName(command.file, ".diff.png"), error);
  *status = kStatusBadScript;
  if (!actualFile || !diffFile) return false;
  PngPixels actual = ShownScreen();
  PngPixels expected;
  std::string unread;
  bool haveReviewed = ReadPng(reviewed.string(), &expected, &unread);
  ScreenDifference difference = CompareImages(expected, actual, command.tolerance);
  if (haveReviewed && difference.count == 0) return true;
  // The screen as it is, to be looked at and, when right, taken as the new reviewed image.
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(*actualFile).parent_path(), ec);
  if (!WritePng(*actualFile, actual.width, actual.height, actual.pixels.data(), error)) return false;
  *status = kStatusScreenDiffers;
  if (!haveReviewed) {
    *error = unread + "; the screen is in " + Shown(*actualFile);
    return false;
  }
  auto diff = DifferenceImage(expected, actual, command.tolerance);
  if (!WritePng(*diffFile, actual.width, actual.height, diff.data(), error)) {
    *status = kStatusBadScript;
    return false;
  }
  *error = "the screen differs from " + Shown(reviewed.string()) + " in " + std::to_string(difference.count) +
           " pixels, within x " + std::to_string(difference.left) + ".." + std::to_string(difference.right) +
           " y " + std::to_string(difference.top) + ".." + std::to_string(difference.bottom) + "; see " +
           Shown(*actualFile) + " and " + Shown(*diffFile);
  return false;
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
  auto stop = [&](int status, const std::string& error) {
    end(status, "script line " + std::to_string(m_line) + ": " + error);
  };
  for (;;) {
    ScriptRead read = m_reader.Next();
    if (read.kind == ScriptRead::Kind::kNotYet) return;
    if (read.kind == ScriptRead::Kind::kEnd) break;
    ++m_line;
    if (read.kind == ScriptRead::Kind::kTooLong) {
      return stop(kStatusBadScript, "longer than " + std::to_string(kLongestScriptLine) + " bytes");
    }
    std::string error;
    auto command = ParseScriptLine(read.text, &error);
    if (!command) {
      if (error.empty()) continue;
      return stop(kStatusBadScript, error);
    }
    if (command->verb == ScriptVerb::Wait && m_wait) return m_wait(command->ms);
    if (PostScriptInput(*command)) return;
    // Shots, dumps and comparisons change nothing: go on with the next line.
    if (command->verb == ScriptVerb::Expect) {
      int status = 0;
      if (!Expect(*command, &status, &error)) return stop(status, error);
      continue;
    }
    std::optional<std::string> file =
        command->file.empty() ? std::optional<std::string>("") : FilePath(command->file, &error);
    if (!file) return stop(kStatusBadScript, error);
    bool written = false;
    if (command->verb == ScriptVerb::Shot) {
      PngPixels screen = ShownScreen();
      written = WritePng(*file, screen.width, screen.height, screen.pixels.data(), &error);
    } else {
      written = WriteDump(*file, &error);
    }
    if (!written) return stop(kStatusBadScript, error);
  }
  end(kStatusScriptRanOut, "the script ended while a screen was still open");
}

}  // namespace sim
