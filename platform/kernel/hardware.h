// The device's hardware layer, reached through KernelIoControl with the platform's own control
// codes. State lives in the device store: the backlight level, the 262,144-byte persistent store
// block, the platform type, and the reset log.
#pragma once

#include <functional>

#include "platform/kernel/win32_types.h"

constexpr DWORD IOCTL_HAL_BACKLIGHT_LEVEL = 0x01013E9C;
constexpr DWORD IOCTL_HAL_BLOCK_READ = 0x01012018;
constexpr DWORD IOCTL_HAL_BLOCK_WRITE = 0x01012014;
constexpr DWORD IOCTL_HAL_GET_PLATFORM_TYPE = 0x01012020;
constexpr DWORD IOCTL_HAL_RESET_DEVICE = 0x0101203C;

constexpr DWORD kStoreBlockSize = 0x40000;

// The device's screen, in pixels.
constexpr int kDeviceScreenWidth = 320;
constexpr int kDeviceScreenHeight = 240;
constexpr DWORD kBacklightQuery = 9;

// Backlight: input size 1 to 8 sets that level; input size 9 queries it into *bytesReturned.
// Block read/write: the whole 262,144-byte block. Platform type: one 32-bit number into a 4-byte
// output. Reset: recorded in the reset log, then every program started on the device is ended and
// the process ends like a power cycle, unless the device is set to let resets fail, in which case
// the call returns FALSE.
BOOL KernelIoControl(DWORD code, LPVOID input, DWORD inputSize, LPVOID output, DWORD outputSize,
                     DWORD* bytesReturned);

namespace kernel {
// What a successful reset does to this process; by default it ends at once with status 0, as a
// power cycle would. Tests and front ends may replace it.
void SetResetHandler(std::function<void()> handler);
}  // namespace kernel
