// A drawing surface: 32-bit XRGB8888 pixels (blue in the low byte, the top byte unused). The
// screen's framebuffer is one; memory bitmaps are others. Drawing from a second thread (the wait
// cursor's worker) takes the surface's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace gwes {

// Pixel values compare by their colour bits only: the top byte is never meaningful.
constexpr std::uint32_t kColourBits = 0x00FFFFFF;

struct Surface {
  Surface(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}
  // A surface that takes pixels made elsewhere (w * h of them).
  Surface(int w, int h, std::vector<std::uint32_t> made) : width(w), height(h), pixels(std::move(made)) {}
  int width;
  int height;
  std::vector<std::uint32_t> pixels;  // row-major, top row first
  std::mutex lock;

  std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The device screen: 320 x 240.
constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;

}  // namespace gwes
