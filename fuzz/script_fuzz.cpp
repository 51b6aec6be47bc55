// Parses arbitrary bytes as a headless script line: a parsed command always lies on the screen
// and a refusal always says why.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  std::string_view line(reinterpret_cast<const char*>(data), size);
  auto command = sim::ParseScriptLine(line, &error);
  if (command && !error.empty()) std::abort();
  if (command && (command->x < 0 || command->x > 319 || command->y < 0 || command->y > 239)) std::abort();
  if (!command && error.empty() && line.find_first_not_of(" \t\r") != std::string_view::npos &&
      line.find_first_not_of(" \t\r") != line.find('#')) {
    std::abort();
  }
  return 0;
}
