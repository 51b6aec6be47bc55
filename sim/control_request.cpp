#include "sim/control_request.h"

#include "sim/shown_text.h"

namespace sim {

std::optional<ControlRequest> ParseControlRequest(std::string_view line, std::string* error) {
  error->clear();
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  for (auto [word, verb] : {std::pair{"info", ControlVerb::Info}, {"shot", ControlVerb::Shot}, {"shot-now", ControlVerb::ShotNow},
                              {"dump", ControlVerb::Dump}}) {
    if (line == word) return ControlRequest{verb, {}};
  }
  if (line.find('#') != std::string_view::npos || line.find('\0') != std::string_view::npos) {
    *error = "a request is one command without comments or NUL characters";
    return std::nullopt;
  }
  auto command = ParseScriptLine(line, error);
  if (!command) {
    if (error->empty()) *error = "empty request";
    return std::nullopt;
  }
  if (command->verb == ScriptVerb::Shot || command->verb == ScriptVerb::Dump || command->verb == ScriptVerb::Expect) {
    *error = "unknown request " + Shown(line) + " (shot and dump take no file: the answer holds the bytes)";
    return std::nullopt;
  }
  return ControlRequest{ControlVerb::Input, *command};
}

}  // namespace sim
