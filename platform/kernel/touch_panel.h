// The device's simulated touch panel. A stylus touches a point of the physical 320 x 240 screen;
// the panel reports it as raw coordinates from 0 to 4095 on each axis. The image's panel runs its
// axes the other way round from the screen, about 12 raw units a pixel across and 16 down, centred
// near the middle of the range. A worn or replaced panel reads a touch beside where it was made: an
// offset (screen pixels) and a scale about the screen's centre act on the point before the
// image's mapping. The offset and scale live in the device store with the hardware state, where
// devicectl changes them.
#pragma once

#include "platform/kernel/hardware.h"

namespace kernel {

constexpr int kTouchRawMax = 4095;

// A point on the screen (pixels) or on the panel (raw units).
struct TouchPoint {
  int x = 0;
  int y = 0;

  bool operator==(const TouchPoint&) const = default;
};

// Offsets in whole pixels, scales in thousandths (1000: unchanged).
struct TouchPanel {
  int offsetX = 0;
  int offsetY = 0;
  int scaleXMilli = 1000;
  int scaleYMilli = 1000;

  bool operator==(const TouchPanel&) const = default;
};

// What devicectl and the store accept: offsets within a screen's width each way, scales from a
// half to twice.
constexpr int kTouchOffsetLimit = 320;
constexpr int kTouchScaleMinMilli = 500;
constexpr int kTouchScaleMaxMilli = 2000;
bool TouchPanelValid(const TouchPanel& panel);

// The current device's panel; the image's panel when the store holds none (or a value out of
// range) or there is no device.
TouchPanel ReadTouchPanel();
// Stores the panel in one transaction. The panel must be valid.
void WriteTouchPanel(const TouchPanel& panel);

// The raw point the panel reports for a touch at a physical screen point (which may lie off the
// screen), each axis held to 0..4095.
TouchPoint TouchPanelRaw(const TouchPanel& panel, TouchPoint physical);

}  // namespace kernel
