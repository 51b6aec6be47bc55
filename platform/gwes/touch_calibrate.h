// The system's touch-screen alignment. TouchCalibrate shows a plain white screen above every
// window with a crosshair target at each of five known points in turn (the centre, then the four
// corners' neighbourhoods) and records the raw panel point of a tap on each; the calibration in
// force plays no part in these taps. A tap counts when the stylus lifts and records the raw point
// where it went down. When a recorded point lies more than 8 pixels from where the fitted
// transform puts it, the screen says so and starts over at the centre; otherwise it asks whether
// to keep the new alignment: a tap anywhere or Enter keeps it ("CalibrationData" written, the
// touch driver given it), Escape keeps the old one. Escape at any target, or 30 seconds of device
// time without input, gives up.
//
// It runs its own message loop, so the caller's handling waits until it returns; other windows'
// messages are still dispatched, and nothing is disabled. The previously active window and focus
// come back, and the screen's window is gone, when it returns.
#pragma once

#include "platform/kernel/win32_types.h"

// Nonzero when a new alignment was kept; 0 otherwise (nothing changed then).
BOOL TouchCalibrate();

namespace gwes {

// How far (pixels) a tap may lie from where the fit puts it, and how long the screen waits.
constexpr double kAlignmentTolerance = 8;
constexpr UINT kAlignmentTimeoutMs = 30000;

}  // namespace gwes
