// The input commands of a script (tap, down, move, up, dbltap, key, keydown, keyup, char, wait),
// carried out the way the window's own input is: through the window system's input queue and clock.
// The headless runner and the control channel both use it.
#pragma once

#include "sim/script.h"

namespace sim {

// Posts the command's input or advances time; false for a command that is no input (shot, dump,
// expect), which is left to the caller.
bool PostScriptInput(const ScriptCommand& command);

}  // namespace sim
