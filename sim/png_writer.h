// Writes a surface's pixels as an 8-bit RGB PNG (the screenshots of the headless runner and of the
// control channel).
#pragma once

#include <cstdint>
#include <string>

namespace sim {

// pixels: width * height XRGB8888 values, top row first (the top byte is ignored). False with a
// one-line reason when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels, std::string* error);

// The same PNG as bytes in memory.
std::string EncodePng(int width, int height, const std::uint32_t* pixels);

}  // namespace sim
