// devicectl touch: the simulated touch panel's wear, and where a touch lands with the calibration
// the device holds.
#include <charconv>
#include <cstdio>
#include <optional>
#include <tuple>

#include "platform/kernel/touch_calibration.h"
#include "platform/kernel/touch_panel.h"
#include "tools/devicectl/commands.h"

namespace devicectl {
namespace {

constexpr const char* kUsage = "usage: touch [--offset DX,DY] [--scale SX,SY] [--reset] [--at X,Y]";

// A whole number with an optional sign, within -limit..limit (or min..max).
std::optional<int> WholeNumber(std::string_view text, int min, int max) {
  int value = 0;
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || stop != text.data() + text.size() || value < min || value > max)
    return std::nullopt;
  return value;
}

// A decimal with up to three places, in thousandths, within min..max thousandths.
std::optional<int> Thousandths(std::string_view text, int min, int max) {
  std::size_t dot = text.find('.');
  std::string_view whole = text.substr(0, dot);
  std::string_view places = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.empty() || whole.size() > 3 || places.size() > 3 || (dot != std::string_view::npos && places.empty()))
    return std::nullopt;
  auto digits = [](std::string_view part) { return part.find_first_not_of("0123456789") == std::string_view::npos; };
  if (!digits(whole) || !digits(places)) return std::nullopt;
  int value = 0;
  for (char c : whole) value = value * 10 + (c - '0');
  for (std::size_t i = 0; i < 3; ++i) value = value * 10 + (i < places.size() ? places[i] - '0' : 0);
  if (value < min || value > max) return std::nullopt;
  return value;
}

// "A,B" into two numbers read by `read`; a UsageError naming `what` otherwise.
template <typename Read>
std::pair<int, int> Pair(const std::string& text, const std::string& what, const std::string& rule, Read read) {
  std::size_t comma = text.find(',');
  std::optional<int> a, b;
  if (comma != std::string::npos) {
    a = read(std::string_view(text).substr(0, comma));
    b = read(std::string_view(text).substr(comma + 1));
  }
  if (!a || !b) throw UsageError(what + " must be " + rule + ", not '" + Shown(text) + "'");
  return {*a, *b};
}

std::string Milli(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%03d", value / 1000, value % 1000);
  return text;
}

}  // namespace

void TouchCommand(const Args& args, std::ostream& out) {
  std::optional<std::pair<int, int>> offset, scale, at;
  bool reset = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    auto next = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(Shown(args[i]) + " needs a value");
      return args[++i];
    };
    if (args[i] == "--offset") {
      offset = Pair(next(), "the offset", "two whole pixels DX,DY from -320 to 320", [](std::string_view t) {
        return WholeNumber(t, -kernel::kTouchOffsetLimit, kernel::kTouchOffsetLimit);
      });
    } else if (args[i] == "--scale") {
      scale = Pair(next(), "the scale", "two numbers SX,SY from 0.5 to 2 (up to three decimals)", [](std::string_view t) {
        return Thousandths(t, kernel::kTouchScaleMinMilli, kernel::kTouchScaleMaxMilli);
      });
    } else if (args[i] == "--at") {
      std::string_view whole = next();
      std::size_t comma = whole.find(',');
      std::optional<int> x, y;
      if (comma != std::string_view::npos) {
        x = WholeNumber(whole.substr(0, comma), 0, kDeviceScreenWidth - 1);
        y = WholeNumber(whole.substr(comma + 1), 0, kDeviceScreenHeight - 1);
      }
      if (!x || !y) throw UsageError("the point must be a screen point X,Y (0-319, 0-239), not '" + Shown(std::string(whole)) + "'");
      at = std::pair{*x, *y};
    } else if (args[i] == "--reset") {
      reset = true;
    } else {
      throw UsageError(kUsage);
    }
  }
  if (reset || offset || scale) {
    kernel::TouchPanel panel = reset ? kernel::TouchPanel{} : kernel::ReadTouchPanel();
    if (offset) std::tie(panel.offsetX, panel.offsetY) = *offset;
    if (scale) std::tie(panel.scaleXMilli, panel.scaleYMilli) = *scale;
    kernel::WriteTouchPanel(panel);
    if (!at) return;
  }
  kernel::TouchPanel panel = kernel::ReadTouchPanel();
  out << "offset " << panel.offsetX << "," << panel.offsetY << " scale " << Milli(panel.scaleXMilli) << ","
      << Milli(panel.scaleYMilli) << "\n";
  if (at) {
    kernel::TouchPoint raw = kernel::TouchPanelRaw(panel, {at->first, at->second});
    kernel::TouchPoint screen = kernel::TouchScreenPoint(kernel::ReadTouchTransform(), raw);
    out << "at " << at->first << "," << at->second << " raw " << raw.x << "," << raw.y << " screen " << screen.x << ","
        << screen.y << "\n";
  }
}

}  // namespace devicectl
