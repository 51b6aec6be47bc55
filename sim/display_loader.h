// Loads the display module (libquorvane_sdl.so, beside the executable) only when a window is
// wanted.
#pragma once

#include <filesystem>
#include <string>

#include "sim/display.h"

namespace sim {

// "libquorvane_sdl.so" in the executable's folder.
std::filesystem::path DefaultDisplayModule();
struct DisplayModule {
  RunDisplayFunction run = nullptr;
  WakeDisplayFunction wake = nullptr;
  PlaySoundFunction play = nullptr;
};
// The display's entry points, or nulls with a one-line reason.
DisplayModule LoadDisplayModule(const std::filesystem::path& module, std::string* error);

}  // namespace sim
