// The system's touch-screen alignment.
#pragma once

#include "platform/kernel/win32_types.h"

// Runs the full-screen alignment and returns when it is over: nonzero when a new alignment was
// kept (it is then in "CalibrationData"), 0 otherwise.
BOOL TouchCalibrate();
