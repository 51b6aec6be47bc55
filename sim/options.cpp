#include "sim/options.h"

#include <charconv>

#include "platform/kernel/clock.h"
#include "sim/shown_text.h"

namespace sim {
namespace {

constexpr int kMaxScale = 8;

bool ParseInt(const std::string& text, int* value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
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
    } else if (arg == "--no-frame") {
      options.frame = false;
    } else if (arg == "--device" || arg == "--script" || arg == "--shots" || arg == "--clock" || arg == "--scale" ||
               arg == "--record") {
      auto text = value(arg);
      if (!text) return std::nullopt;
      if (arg == "--device") options.device = *text;
      if (arg == "--script") options.script = *text;
      if (arg == "--shots") options.shots = *text;
      if (arg == "--record") options.record = *text;
      if (arg == "--clock") {
        if (!kernel::ParseLocalDateTime(*text)) {
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
  if (options.headless && options.record) {
    *error = "--record records a window's session; it cannot go with --headless";
    return std::nullopt;
  }
  for (std::size_t first = i; i < args.size(); ++i) {
    if (i > first) options.commandLine += ' ';
    options.commandLine += args[i];
  }
  return options;
}

}  // namespace sim
