#include "sim/script.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "platform/gwes/surface.h"
#include "platform/gwes/virtual_keys.h"
#include "sim/shown_text.h"

namespace sim {
namespace {

// The longest single wait: a day of virtual time.
constexpr unsigned kLongestWaitMs = 24u * 60 * 60 * 1000;

struct KeyName {
  std::string_view name;
  unsigned key;
};
constexpr KeyName kKeyNames[] = {
    {"ESCAPE", VK_ESCAPE}, {"ENTER", VK_RETURN}, {"TAB", VK_TAB},  {"LEFT", VK_LEFT},
    {"UP", VK_UP},         {"RIGHT", VK_RIGHT},  {"DOWN", VK_DOWN}, {"F6", VK_F6},
    {"F7", VK_F7},         {"F10", VK_F10},      {"CANCEL", VK_DEVICE_CANCEL}, {"CLOSE", VK_DEVICE_CLOSE},
};

struct VerbName {
  std::string_view name;
  ScriptVerb verb;
};
constexpr VerbName kVerbs[] = {
    {"tap", ScriptVerb::Tap},         {"down", ScriptVerb::Down},    {"move", ScriptVerb::Move},
    {"up", ScriptVerb::Up},           {"dbltap", ScriptVerb::DoubleTap}, {"key", ScriptVerb::Key},
    {"keydown", ScriptVerb::KeyDown}, {"keyup", ScriptVerb::KeyUp},  {"char", ScriptVerb::Char},
    {"wait", ScriptVerb::Wait},       {"shot", ScriptVerb::Shot},    {"dump", ScriptVerb::Dump},
    {"expect", ScriptVerb::Expect},
};

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::optional<unsigned> ParseUnsigned(std::string_view word, unsigned max) {
  unsigned value = 0;
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    word.remove_prefix(2);
    base = 16;
  }
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
  if (word.empty() || ec != std::errc() || end != word.data() + word.size() || value > max) return std::nullopt;
  return value;
}

bool IsPointVerb(ScriptVerb verb) {
  return verb == ScriptVerb::Tap || verb == ScriptVerb::Down || verb == ScriptVerb::Move || verb == ScriptVerb::Up ||
         verb == ScriptVerb::DoubleTap;
}

}  // namespace

std::optional<unsigned> ParseKey(std::string_view word) {
  for (const auto& k : kKeyNames) {
    if (k.name == word) return k.key;
  }
  return ParseUnsigned(word, 0xFF);
}

std::string KeyWord(unsigned key) {
  for (const auto& k : kKeyNames) {
    if (k.key == key) return std::string(k.name);
  }
  char word[8];
  std::snprintf(word, sizeof word, "0x%02X", key & 0xFF);
  return word;
}

std::optional<ScriptCommand> ParseScriptLine(std::string_view line, std::string* error) {
  error->clear();
  if (auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
  auto words = Words(line);
  if (words.empty()) return std::nullopt;

  ScriptCommand command;
  const VerbName* verb = nullptr;
  for (const auto& v : kVerbs) {
    if (v.name == words[0]) verb = &v;
  }
  if (verb == nullptr) {
    *error = "unknown command " + Shown(words[0]);
    return std::nullopt;
  }
  command.verb = verb->verb;
  auto fail = [&](const std::string& usage) -> std::optional<ScriptCommand> {
    *error = "usage: " + usage;
    return std::nullopt;
  };
  const std::string name(words[0]);
  if (IsPointVerb(command.verb)) {
    if (words.size() != 3) return fail(name + " X Y");
    auto x = ParseUnsigned(words[1], gwes::kScreenWidth - 1);
    auto y = ParseUnsigned(words[2], gwes::kScreenHeight - 1);
    if (!x || !y) return fail(name + " X Y, with X from 0 to 319 and Y from 0 to 239");
    command.x = static_cast<int>(*x);
    command.y = static_cast<int>(*y);
  } else if (command.verb == ScriptVerb::Wait) {
    auto ms = words.size() == 2 ? ParseUnsigned(words[1], kLongestWaitMs) : std::nullopt;
    if (!ms) return fail("wait MS, from 0 to " + std::to_string(kLongestWaitMs));
    command.ms = *ms;
  } else if (command.verb == ScriptVerb::Shot || command.verb == ScriptVerb::Dump || command.verb == ScriptVerb::Expect) {
    // The file name is the rest of the line, so it may hold blanks; expect's last word is its
    // tolerance when it is a number and a name comes before it.
    std::string_view rest = line.substr(static_cast<std::size_t>(words[0].data() + words[0].size() - line.data()));
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r')) rest.remove_suffix(1);
    if (command.verb == ScriptVerb::Expect && words.size() > 2) {
      if (auto tolerance = ParseUnsigned(words.back(), 255)) {
        command.tolerance = *tolerance;
        rest = rest.substr(0, static_cast<std::size_t>(words.back().data() - rest.data()));
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
      } else if (words.back().find_first_not_of("0123456789") == std::string_view::npos) {
        return fail("expect FILE.png [TOLERANCE], with TOLERANCE from 0 to 255");
      }
    }
    if (command.verb == ScriptVerb::Shot && rest.empty()) return fail("shot FILE.png");
    if (command.verb == ScriptVerb::Expect && rest.empty()) return fail("expect FILE.png [TOLERANCE]");
    if (rest.find('\0') != std::string_view::npos) {
      *error = "the file name " + Shown(rest) + " holds a NUL character";
      return std::nullopt;
    }
    command.file = std::string(rest);
  } else {
    auto key = words.size() == 2 ? ParseKey(words[1]) : std::nullopt;
    if (!key) return fail(name + " K, with K from 0 to 255, 0x.. or a key name (ESCAPE ENTER TAB LEFT UP RIGHT DOWN F6 F7 F10 CANCEL CLOSE)");
    command.key = *key;
  }
  return command;
}

}  // namespace sim
