// The utility's command line on the host: front-end options first, then the device command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct UtilityOptions {
  std::optional<std::string> device;      // --device DIR
  bool help = false;                      // --help
  bool headless = false;                  // --headless
  std::optional<std::string> script;      // --script FILE, or "-" for standard input
  std::optional<std::string> shots;       // --shots DIR
  std::optional<std::string> clock;       // --clock LOCAL-ISO-TIME
  int scale = 2;                          // --scale N (SDL window)
  bool frame = true;                      // --no-frame turns the device's frame off (SDL window)
  std::optional<std::string> record;      // --record FILE (SDL window)
  std::string commandLine;                // the device command line
};

// Parses argv (without the program name). Words beginning with "--" are options until "--" or the
// first other word; the remaining words, joined by single spaces, are the device command line.
// On a bad option, returns nothing and sets error to a one-line reason.
std::optional<UtilityOptions> ParseUtilityOptions(const std::vector<std::string>& args, std::string* error);

}  // namespace sim
