// The device's fixed list of 75 time zones and the operations the date and time page runs on it.
// A zone is only a display name that begins with its offset from universal time ("GMT+5:30 New
// Delhi"); the offset is read back out of the name whenever it is needed, so a language module
// that renames the zones also decides their offsets. The chosen zone lives in the system's
// time-zone record, whose two name fields hold the display name.
#pragma once

#include "platform/kernel/time_zone.h"
#include "platform/kernel/win32_types.h"
#include "ui/local_string.h"

// The table: entry i is string 49 + i.
constexpr int kZoneCount = 75;
constexpr UINT kFirstZoneStringId = 49;
// The entry shown when the system's zone is not in the list and the registry names none
// ("GMT+1 Paris, Madrid"), and the last entry, which a larger registry value counts as.
constexpr DWORD kFallbackZoneIndex = 29;
constexpr DWORD kLastZoneIndex = kZoneCount - 1;

constexpr WCHAR kZoneIndexKey[] = u"Software\\Tavix\\TimeZoneInformation";
constexpr WCHAR kZoneIndexValue[] = u"DefaultTimeZoneIndex";
// The name of the record a fresh device starts with; it always counts as "not in the list".
constexpr WCHAR kPacificStandardName[] = u"Pacific Standard Time";

// The display name of entry `index` (0 to 74) as the loaded texts give it.
CLocalString ZoneName(int index);

// Appends the 75 names to a combo box in table order, so list position equals zone index.
void FillZoneList(HWND list);

// The bias in minutes (universal time minus local time) that a display name carries: "GMT",
// then "+" (east, negative bias) or "-", then hours with optional ":" minutes, then a space.
// A name with no sign after its first three characters is universal time (0). FALSE, with *bias
// untouched, when no space ends the offset or the offset is too large for a bias.
BOOL ZoneBiasFromName(LPCWSTR name, LONG* bias);

// The registry's "DefaultTimeZoneIndex": 29 when it cannot be read as a 32-bit number, and 74
// for anything above 74 taken as unsigned (negative values included).
DWORD ReadDefaultZoneIndex();

// Selects the entry of a list filled by FillZoneList that holds the system zone's standard name;
// the default entry when the record is still "Pacific Standard Time" or no entry holds the name.
void SelectInitialZone(HWND list);

// Moves the local clock from one bias to another in whole seconds, so that the local time read
// under the new bias names the same universal time; the milliseconds become 0. Equal biases
// leave the clock alone.
void ShiftClock(LONG fromBias, LONG toBias);

// Writes the system's time-zone record for a display name: the bias read from the name (kept
// as it was when the name carries none) and the name in both name fields. The daylight dates and
// biases stay as the system had them.
void ApplyZone(LPCWSTR name);
