#include "sim/shown_text.h"

#include <cstdio>

namespace sim {

std::string Shown(std::string_view token) {
  std::string text = "'";
  std::string_view kept = token.substr(0, kShownTokenLength);
  if (kept.size() < token.size()) {
    // Cut before a character that would be split.
    std::size_t end = kept.size();
    while (end > 0 && (static_cast<unsigned char>(kept[end - 1]) & 0xC0) == 0x80) --end;
    if (end > 0 && static_cast<unsigned char>(kept[end - 1]) >= 0xC0) kept = kept.substr(0, end - 1);
  }
  for (unsigned char c : kept) {
    if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      text += escaped;
    } else if (c == '\\') {
      text += "\\\\";
    } else {
      text += static_cast<char>(c);
    }
  }
  text += '\'';
  if (token.size() > kShownTokenLength) text += "...";
  return text;
}

}  // namespace sim
