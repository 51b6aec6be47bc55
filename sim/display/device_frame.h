// The device as it lies on the desk: its screen inside a drawn bezel with the hardware keys beside
// it, and the status strip under the screen. Without the frame the desk is the bare screen with the
// strip. Coordinates are the window's at scale 1.
#pragma once

#include <span>

#include "platform/gwes/gwes_types.h"

namespace sim {

class DeskCanvas;

struct FrameKey {
  const char* name;   // the key's name in the key map: "Volume up"
  const char* label;  // what the key shows: "Vol +"
  const char* pcKey;  // the host key that does the same: "F6"
  const char* pcCap;  // that key as short as the frame's key can show it
  BYTE vk;
  RECT rect;
};

struct DeskLayout {
  int width = 0;
  int height = 0;
  RECT screen{};
  RECT strip{};
  std::span<const FrameKey> keys;  // empty without the frame
};

// The desk with the frame, or the bare screen and the strip.
DeskLayout MakeDeskLayout(bool frame);

// Every key of the frame, in the order the key map lists them.
std::span<const FrameKey> FrameKeys();

// What lies under a point of the desk.
struct DeskHit {
  enum Kind { kNothing, kScreen, kKey } kind = kNothing;
  POINT screen{};                 // kScreen: the point on the device's screen
  const FrameKey* key = nullptr;  // kKey
};
DeskHit HitTest(const DeskLayout& layout, int x, int y);

// A desk point as a point of the device's screen, held on its edge when it lies outside: a stylus
// dragged off the panel keeps touching its edge.
POINT ScreenPointOf(const DeskLayout& layout, int x, int y);

// The frame key that stands for a device key, or null.
const FrameKey* FrameKeyOf(const DeskLayout& layout, BYTE vk);

// Draws the bezel and the keys, the pressed one (if any) pressed. The screen's area is left for
// the screen.
void PaintDeviceFrame(DeskCanvas& canvas, const DeskLayout& layout, const FrameKey* pressed);

}  // namespace sim
