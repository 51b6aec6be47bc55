// The requests devicectl sends a running utility over its control socket, one line each:
//   info                       the process id, the front end and the title of the screen in front
//   shot                       the screen as a PNG, once the program is idle
//   shot-now                   the screen as a PNG at once, also while the program is busy (a
//                              thread of the program may be drawing: an animation during a long
//                              operation)
//   dump                       the windows as the script's dump writes them
//   tap|dbltap|down|move|up X Y, key|keydown|keyup|char K, wait MS   input, as in a script
// The answer carries the bytes; the program never writes a file for a request.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/script.h"

namespace sim {

enum class ControlVerb { Info, Shot, ShotNow, Dump, Input };

struct ControlRequest {
  ControlVerb verb = ControlVerb::Info;
  ScriptCommand input;  // for Input
};

// nullopt with a one-line reason for a request that is not one of the above.
std::optional<ControlRequest> ParseControlRequest(std::string_view line, std::string* error);

}  // namespace sim
