#include <charconv>

#include "tools/devicectl/commands.h"

namespace devicectl {

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
    throw UsageError(what + " must be a number from 0 to " + std::to_string(max) + ", not '" + text + "'");
  }
  return value;
}

bool ParseOnOff(const std::string& text, const std::string& what) {
  if (text == "on") return true;
  if (text == "off") return false;
  throw UsageError(what + " must be on or off, not '" + text + "'");
}

void ExpectAtMost(const Args& args, std::size_t count, const std::string& usage) {
  if (args.size() > count) throw UsageError("too many words; usage: " + usage);
}

}  // namespace devicectl
