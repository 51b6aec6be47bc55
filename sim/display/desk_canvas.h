// Drawing the desk around the device with the device's own drawing code: a surface of the desk's
// size, a device context on it, and the few shapes and texts the frame, the status strip and the
// help need.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/gwes/gdi.h"

namespace sim {

class DeskCanvas {
 public:
  DeskCanvas(int width, int height);
  ~DeskCanvas();
  DeskCanvas(const DeskCanvas&) = delete;
  DeskCanvas& operator=(const DeskCanvas&) = delete;

  void Fill(const RECT& rect, COLORREF colour);
  // A filled rectangle with its corners cut round by `radius` pixels.
  void RoundFill(const RECT& rect, int radius, COLORREF colour);
  void Frame(const RECT& rect, COLORREF colour);
  // UTF-8 text in the rectangle, DrawTextW's format, in DejaVu Sans of `pixels` height.
  void Text(const RECT& rect, std::string_view text, int pixels, bool bold, COLORREF colour, UINT format);

  const gwes::Surface& Pixels() const { return *m_surface; }

 private:
  HFONT FontOf(int pixels, bool bold);

  std::shared_ptr<gwes::Surface> m_surface;
  HDC m_dc = nullptr;
  std::map<std::pair<int, bool>, HFONT> m_fonts;
};

}  // namespace sim
