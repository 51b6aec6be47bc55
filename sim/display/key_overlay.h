// The key map: what each device key is on the host's keyboard, and the window's own keys. The first
// start on a device prints it on standard error; F1 shows it over the screen.
#pragma once

#include <string>

#include "platform/gwes/gwes_types.h"

namespace sim {

class DeskCanvas;

// The key map as one short block of lines, each ending in a newline.
std::string KeyMapText();

// Draws the key map over the screen's area.
void PaintKeyOverlay(DeskCanvas& canvas, const RECT& screen);

}  // namespace sim
