// The touch calibration as the device's touch driver keeps it: the registry value
// "CalibrationData" under HKLM\HARDWARE\DEVICEMAP\TOUCH holds the raw panel points read for five
// known screen targets, as text "x,y x,y x,y x,y x,y " (each pair followed by a blank). An affine
// transform from raw points to screen points is fitted to them by least squares.
//
// The text comes from outside (the registry anyone may write), so it is never trusted: anything
// but five pairs of numbers from 0 to 4095 in that shape, or points that fit no transform (all on
// one line), leaves the driver with the ideal mapping: the raw range spread evenly over the screen,
// axes reversed as the panel has them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/kernel/touch_panel.h"

namespace kernel {

inline constexpr const char16_t* kTouchKey = u"HARDWARE\\DEVICEMAP\\TOUCH";
inline constexpr const char16_t* kCalibrationDataValue = u"CalibrationData";

using TouchSamples = std::array<TouchPoint, 5>;
// The screen targets whose raw points the value holds, in its order.
inline constexpr TouchSamples kTouchTargets{{{160, 120}, {32, 24}, {32, 216}, {288, 216}, {288, 24}}};

// Five raw points, or nullopt for text of any other shape. The blank after the last pair may be
// missing; nothing else may follow it.
std::optional<TouchSamples> ParseCalibrationData(std::u16string_view text);
std::u16string FormatCalibrationData(const TouchSamples& raw);

// screen x = xx * raw x + xy * raw y + x0; screen y likewise.
struct TouchTransform {
  double xx = 0, xy = 0, x0 = 0;
  double yx = 0, yy = 0, y0 = 0;
};

// The least-squares fit of raw points to kTouchTargets; nullopt when the points allow none (they
// lie on or next to one line).
std::optional<TouchTransform> FitTouchTransform(const TouchSamples& raw);
TouchTransform IdealTouchTransform();

// Where the transform puts a raw point, unrounded and unclamped.
struct TouchSpot {
  double x = 0;
  double y = 0;
};
TouchSpot MapTouch(const TouchTransform& transform, TouchPoint raw);
// The screen point, rounded and held to the screen.
TouchPoint TouchScreenPoint(const TouchTransform& transform, TouchPoint raw);

// The transform of the current device's "CalibrationData": its fit, or the ideal mapping when the
// value is missing, no text, malformed or fits nothing.
TouchTransform ReadTouchTransform();
// Writes "CalibrationData" (creating the key when it is missing); false when the store fails.
bool WriteCalibrationData(const TouchSamples& raw);

}  // namespace kernel
