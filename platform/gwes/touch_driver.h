// The device's touch driver: turns the panel's raw points into screen points with the calibration
// in "CalibrationData" (see platform/kernel/touch_calibration.h for the value and what a bad one
// does). The value is read at the first use on a device and again when an alignment hands the
// driver a new calibration; a value changed in the registry in between takes effect at the next
// start, as on the device.
#pragma once

#include "platform/gwes/gwes_types.h"
#include "platform/kernel/touch_calibration.h"

namespace gwes {

// The screen point of a raw panel point, held to the screen.
POINT TouchDriverScreenPoint(POINT raw);
// Takes a new calibration: the raw points read for the five targets. When they fit no transform
// the driver keeps the ideal mapping.
void SetTouchCalibration(const kernel::TouchSamples& raw);

}  // namespace gwes
