// Reads a PNG (a reviewed screen image) into XRGB8888 pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct PngPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// False with a one-line reason when the file is missing or is not a PNG.
bool ReadPng(const std::string& path, PngPixels* image, std::string* error);

}  // namespace sim
