// The device hardware requests that the pages and the settings snapshot share, made once here with
// the exact shapes the hardware layer expects. Results of the backlight and block requests are not checked by callers.
#pragma once

#include <optional>

#include "platform/kernel/hardware.h"
#include "platform/kernel/win32_types.h"

// Sets the backlight: the level travels as the input size, with no buffers.
void SetBacklightLevel(DWORD level);
// Queries the backlight: input size 9, the level comes back in the bytes-returned value (0 when
// the request reports nothing).
DWORD QueryBacklightLevel();
// Reads and writes the 262,144-byte persistent store block.
void ReadStoreBlock(BYTE* block);
void WriteStoreBlock(const BYTE* block);
// The platform type (9: "\Storage Card\Installation", 8: "\SD Card\Installation"); nothing when
// the request fails.
std::optional<DWORD> GetPlatformType();
// Asks the device to restart; returns only when the reset did not happen.
void ResetDevice();
