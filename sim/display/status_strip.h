// The status strip under the device's screen: what a person would otherwise ask devicectl for. The
// device's state is read in one place and turned into the strip's texts by a pure function.
#pragma once

#include <string>
#include <vector>

#include "platform/gwes/gwes_types.h"
#include "platform/kernel/power.h"
#include "platform/kernel/time_zone.h"

namespace sim {

class DeskCanvas;

struct DeviceStatus {
  bool powerStatusFails = false;  // the device is set to fail GetSystemPowerStatusEx
  SYSTEM_POWER_STATUS_EX power{};
  int backlight = 0;  // 1 to 8
  DWORD volume = 0;   // the wave-out volume word
  bool muted = false;
  bool suspended = false;
  SYSTEMTIME local{};
  std::string rootName;
};

// The current device's state as its programs see it.
DeviceStatus ReadDeviceStatus();

// The strip's texts, left to right: battery, backlight, volume (a step from 0 to 5), suspended
// (when it is), the device's local time to the minute, and the device root's name last.
std::vector<std::string> StatusTexts(const DeviceStatus& status);

// The volume word as a step from 0 to 5: the louder channel, to the nearest keypad step.
int VolumeStep(DWORD volume);

void PaintStatusStrip(DeskCanvas& canvas, const RECT& strip, const std::vector<std::string>& texts);

}  // namespace sim
