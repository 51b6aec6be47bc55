#include "sim/display/key_overlay.h"

#include <string_view>

#include "platform/gwes/gdi.h"
#include "sim/display/desk_canvas.h"
#include "sim/display/device_frame.h"

namespace sim {
namespace {

// The window's own keys, which never reach the device.
constexpr const char* kWindowKeys[][2] = {
    {"F1", "this help"},
    {"F12 or Ctrl+S", "screenshot of the screen"},
    {"Ctrl+= and Ctrl+-", "zoom in and out"},
};
constexpr const char* kMouse = "The mouse is the stylus and presses the frame's keys.";

}  // namespace

std::string KeyMapText() {
  std::string text = "device keys (or click them on the frame): ";
  bool first = true;
  for (const FrameKey& key : FrameKeys()) {
    text += first ? "" : ", ";
    text += std::string_view(key.name) == key.pcKey ? std::string(key.name) : std::string(key.pcKey) + " = " + key.name;
    first = false;
  }
  text += "\nwindow keys: ";
  first = true;
  for (const auto& [keys, what] : kWindowKeys) {
    text += (first ? "" : ", ") + std::string(keys) + " = " + what;
    first = false;
  }
  return text + "\n" + kMouse + "\n";
}

void PaintKeyOverlay(DeskCanvas& canvas, const RECT& screen) {
  canvas.Fill(screen, RGB(16, 22, 34));
  constexpr int kRow = 15;
  RECT line{screen.left + 12, screen.top + 8, screen.right - 12, screen.top + 8 + kRow + 2};
  canvas.Text(line, "Keys of the device", 12, true, RGB(255, 255, 255), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  const int half = (gwes::RectWidth(screen) - 24) / 2;
  int row = 0;
  for (const FrameKey& key : FrameKeys()) {
    const int column = row % 2;
    RECT cell{screen.left + 12 + column * half, screen.top + 28 + (row / 2) * kRow, 0, 0};
    cell.right = cell.left + half - 8;
    cell.bottom = cell.top + kRow;
    canvas.Text(cell, key.name, 10, false, RGB(205, 214, 228), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    canvas.Text(cell, key.pcKey, 10, true, RGB(140, 190, 255), DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    ++row;
  }
  int top = screen.top + 28 + ((row + 1) / 2) * kRow + 8;
  line = RECT{screen.left + 12, top, screen.right - 12, top + kRow + 2};
  canvas.Text(line, "Keys of the window", 12, true, RGB(255, 255, 255), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  top += 20;
  for (const auto& [keys, what] : kWindowKeys) {
    RECT cell{screen.left + 12, top, screen.right - 12, top + kRow};
    canvas.Text(cell, what, 10, false, RGB(205, 214, 228), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    canvas.Text(cell, keys, 10, true, RGB(140, 190, 255), DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    top += kRow;
  }
  RECT mouse{screen.left + 12, top + 4, screen.right - 12, top + 4 + kRow};
  canvas.Text(mouse, kMouse, 10, false, RGB(205, 214, 228), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace sim
