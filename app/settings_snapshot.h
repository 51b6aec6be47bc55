// The settings snapshot "\My Flash Disk\Setting.dat": the backlight level and the battery suspend
// time-out, written whenever one of them is confirmed and put back at every start. 18 bytes: the
// tag "MSD" as a length-prefixed wide string (FF FE FF 03 'M' 0 'S' 0 'D' 0), then the two values
// as unsigned 32-bit little-endian numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/kernel/win32_types.h"

inline constexpr const char16_t* kSnapshotPath = u"\\My Flash Disk\\Setting.dat";

struct SnapshotValues {
  DWORD backlightLevel = 0;
  DWORD battSuspend = 0;
};

// What a snapshot file's bytes say: a string tag (read in either the wide or the 8-bit
// length-prefixed form) and, when the tag and both values are whole, the values.
struct SnapshotReading {
  std::u16string tag;
  bool tagComplete = false;
  std::optional<SnapshotValues> values;
};
SnapshotReading ReadSnapshotBytes(std::span<const std::uint8_t> bytes);

// Writes the file (tag, then the backlight level from the hardware, then "BattSuspend" from the
// registry, 0 when missing); false when the file cannot be created or opened.
bool SaveSnapshot();
// Puts the stored values back (backlight first, then "BattSuspend"); a file shorter than 10
// bytes, with another tag, or cut short inside its tag or values is deleted, its read-only
// attribute cleared first. Always true.
bool RestoreSnapshot();
