// The device's calendar time and its time-zone record. The record (TIME_ZONE_INFORMATION) is kept
// in the device store; local time is universal time minus Bias minus the standard or daylight
// bias, with daylight time applied between the record's transition dates (month, week 1 to 5
// where 5 is the last, day of week, hour, minute; no daylight time when DaylightDate.wMonth is 0).
#pragma once

#include <cstdint>
#include <optional>

#include "platform/kernel/files.h"
#include "platform/kernel/win32_types.h"

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct TIME_ZONE_INFORMATION {
  LONG Bias;
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};

constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

void GetSystemTime(SYSTEMTIME* time);
BOOL SetSystemTime(const SYSTEMTIME* time);
void GetLocalTime(SYSTEMTIME* time);
BOOL SetLocalTime(const SYSTEMTIME* time);
DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info);
BOOL SetTimeZoneInformation(const TIME_ZONE_INFORMATION* info);

// FILETIME: 100-ns intervals since 1601-01-01.
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* time);

namespace kernel {

constexpr std::size_t kTimeZoneRecordSize = 172;

// The record's stored form: little-endian fields in declaration order, 172 bytes.
void EncodeTimeZone(const TIME_ZONE_INFORMATION& info, BYTE out[kTimeZoneRecordSize]);
TIME_ZONE_INFORMATION DecodeTimeZone(const BYTE in[kTimeZoneRecordSize]);

// The record of a fresh device: "Pacific Standard Time", bias 480, daylight time from the second
// Sunday of March to the first Sunday of November at 2:00, daylight bias -60.
TIME_ZONE_INFORMATION PacificTimeZone();

// Conversions under a given record (pure; used by the clock calls and tests).
// The total bias in minutes in force at a universal time, and whether it is daylight time.
LONG BiasAtUtc(const TIME_ZONE_INFORMATION& zone, std::int64_t utcMs, bool* daylight);
std::int64_t UtcToLocalMs(const TIME_ZONE_INFORMATION& zone, std::int64_t utcMs);
std::int64_t LocalToUtcMs(const TIME_ZONE_INFORMATION& zone, std::int64_t localMs);

// Calendar helpers on ms since 1970 (proleptic Gregorian, no leap seconds).
SYSTEMTIME MsToSystemTime(std::int64_t ms);
// nullopt when a field is out of range (month 1-12, day within the month, hour 0-23, ...).
std::optional<std::int64_t> SystemTimeToMs(const SYSTEMTIME& time);

}  // namespace kernel
