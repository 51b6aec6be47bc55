// A drawing surface: 32-bit XRGB8888 pixels (blue in the low byte, the top byte unused). The
// screen's framebuffer is one; memory bitmaps are others. Drawing from a second thread (the wait
// cursor's worker) takes the surface's lock.
//
// A surface may start out reading pixels it shares with others (a program bitmap converted once
// and loaded many times); the first write through WritablePixels or At gives it a copy of its own,
// so drawing into one surface never shows in another. Writers hold the surface's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/kernel/hardware.h"

namespace gwes {

// Pixel values compare by their colour bits only: the top byte is never meaningful.
constexpr std::uint32_t kColourBits = 0x00FFFFFF;

using SharedPixels = std::shared_ptr<const std::vector<std::uint32_t>>;

struct Surface {
  Surface(int w, int h) : width(w), height(h), m_own(static_cast<std::size_t>(w) * h, 0), m_read(m_own.data()) {}
  // A surface that takes pixels made elsewhere (w * h of them).
  Surface(int w, int h, std::vector<std::uint32_t> made) : width(w), height(h), m_own(std::move(made)), m_read(m_own.data()) {}
  // A surface reading `shared` (w * h pixels that nobody changes) until it is first written.
  Surface(int w, int h, SharedPixels shared) : width(w), height(h), m_shared(std::move(shared)), m_read(m_shared->data()) {}
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int width;
  int height;
  std::mutex lock;

  // Row-major, top row first.
  std::span<const std::uint32_t> Pixels() const { return {m_read, static_cast<std::size_t>(width) * height}; }
  const std::uint32_t* Row(int y) const { return m_read + static_cast<std::size_t>(y) * width; }
  std::uint32_t Pixel(int x, int y) const { return Row(y)[x]; }
  // For drawing: the surface's own pixels, copied from the shared ones at the first write.
  std::span<std::uint32_t> WritablePixels() {
    if (m_shared) {
      m_own.assign(m_shared->begin(), m_shared->end());
      m_shared.reset();
      m_read = m_own.data();
    }
    return m_own;
  }
  std::uint32_t& At(int x, int y) { return WritablePixels()[static_cast<std::size_t>(y) * width + x]; }
  // Whether the pixels are still the shared ones (nothing has been drawn yet).
  bool SharesPixels() const { return m_shared != nullptr; }

 private:
  std::vector<std::uint32_t> m_own;
  SharedPixels m_shared;
  const std::uint32_t* m_read;
};

// The device screen.
constexpr int kScreenWidth = kDeviceScreenWidth;
constexpr int kScreenHeight = kDeviceScreenHeight;

}  // namespace gwes
