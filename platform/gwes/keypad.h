// The device's keypad driver. Three keys are the device's volume keys and act on the wave-out
// volume before the key goes on to the program: F6 raises and F7 lowers each channel one step,
// F10 mutes, or gives back the word it put aside when the device is still muted.
#pragma once

#include "platform/kernel/win32_types.h"

namespace gwes {

// One volume step per channel; each 16-bit half stops at 0 and 0xFFFF.
constexpr WORD kVolumeKeyStep = 0x3333;

// Called for every key press of the keypad, before the key is queued for the program.
void KeypadKeyDown(BYTE vk);

}  // namespace gwes
