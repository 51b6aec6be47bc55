#include "sim/options.h"

#include <charconv>

#include "sim/shown_text.h"

namespace sim {
namespace {

constexpr int kMaxScale = 8;

bool ParseInt(const std::string& text, int* value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool TakeNumber(const std::string& text, std::size_t pos, std::size_t digits, int* value) {
  if (pos + digits > text.size()) return false;
  for (std::size_t i = pos; i < pos + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return ParseInt(text.substr(pos, digits), value);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<UtilityOptions> ParseUtilityOptions(const std::vector<std::string>& args, std::string* error) {
  UtilityOptions options;
  std::size_t i = 0;
  auto value = [&](const std::string& name) -> std::optional<std::string> {
    if (i + 1 >= args.size()) {
      *error = name + " needs a value";
      return std::nullopt;
    }
    return args[++i];
  };
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg.rfind("--", 0) != 0) break;
    if (arg == "--help") {
      options.help = true;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--device" || arg == "--script" || arg == "--shots" || arg == "--clock" || arg == "--scale") {
      auto text = value(arg);
      if (!text) return std::nullopt;
      if (arg == "--device") options.device = *text;
      if (arg == "--script") options.script = *text;
      if (arg == "--shots") options.shots = *text;
      if (arg == "--clock") {
        if (!ParseLocalDateTime(*text)) {
          *error = "--clock needs a local date and time such as 2026-12-06T14:30:00, not " + Shown(*text);
          return std::nullopt;
        }
        options.clock = *text;
      }
      if (arg == "--scale" && (!ParseInt(*text, &options.scale) || options.scale < 1 || options.scale > kMaxScale)) {
        *error = "--scale needs a whole number from 1 to " + std::to_string(kMaxScale) + ", not " + Shown(*text);
        return std::nullopt;
      }
    } else {
      *error = "unknown option " + Shown(arg) + " (--help lists them)";
      return std::nullopt;
    }
  }
  for (std::size_t first = i; i < args.size(); ++i) {
    if (i > first) options.commandLine += ' ';
    options.commandLine += args[i];
  }
  return options;
}

std::optional<LocalDateTime> ParseLocalDateTime(const std::string& text) {
  LocalDateTime t;
  if (text.size() != 16 && text.size() != 19) return std::nullopt;
  if (!TakeNumber(text, 0, 4, &t.year) || text[4] != '-' || !TakeNumber(text, 5, 2, &t.month) || text[7] != '-' ||
      !TakeNumber(text, 8, 2, &t.day) || (text[10] != 'T' && text[10] != ' ') || !TakeNumber(text, 11, 2, &t.hour) ||
      text[13] != ':' || !TakeNumber(text, 14, 2, &t.minute)) {
    return std::nullopt;
  }
  if (text.size() == 19 && (text[16] != ':' || !TakeNumber(text, 17, 2, &t.second))) return std::nullopt;
  if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59) {
    return std::nullopt;
  }
  return t;
}

}  // namespace sim
