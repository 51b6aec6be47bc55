#include <charconv>

#include "tools/devicectl/commands.h"

namespace devicectl {

std::string Shown(const std::string& word) {
  constexpr std::size_t kMaxShown = 80;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  std::size_t shown = 0;
  for (std::size_t i = 0; i < word.size(); ++i) {
    auto c = static_cast<unsigned char>(word[i]);
    // A UTF-8 continuation byte belongs to the character before it.
    if ((c & 0xC0) != 0x80 && shown++ == kMaxShown) return out + "...";
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out.push_back(kDigits[c >> 4]);
      out.push_back(kDigits[c & 0xF]);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::uint64_t ParseNumber(const std::string& text, std::uint64_t max, const std::string& what) {
  std::uint64_t value = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    begin += 2;
    base = 16;
  }
  auto [stop, ec] = std::from_chars(begin, end, value, base);
  if (text.empty() || ec != std::errc() || stop != end || value > max) {
    throw UsageError(what + " must be a number from 0 to " + std::to_string(max) + ", not '" + Shown(text) + "'");
  }
  return value;
}

bool ParseOnOff(const std::string& text, const std::string& what) {
  if (text == "on") return true;
  if (text == "off") return false;
  throw UsageError(what + " must be on or off, not '" + Shown(text) + "'");
}

void ExpectAtMost(const Args& args, std::size_t count, const std::string& usage) {
  if (args.size() > count) throw UsageError("too many words; usage: " + usage);
}

}  // namespace devicectl
