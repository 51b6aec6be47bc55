// Loads the display module (libquorvane_sdl.so, beside the executable) only when a window is
// wanted.
#pragma once

#include <filesystem>
#include <string>

#include "sim/display.h"

namespace sim {

// "libquorvane_sdl.so" in the executable's folder.
std::filesystem::path DefaultDisplayModule();
// The display entry point, or null with a one-line reason.
RunDisplayFunction LoadDisplayModule(const std::filesystem::path& module, std::string* error);

}  // namespace sim
