#include "platform/kernel/time_zone.h"

#include <algorithm>
#include <cstring>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/store_sql.h"
#include "platform/kernel/last_error.h"

namespace kernel {
namespace {

constexpr std::int64_t kMsPerMinute = 60'000;
constexpr std::int64_t kMsPerDay = 86'400'000;
// FILETIME counts from 1601-01-01; the calendar helpers count from 1970-01-01.
constexpr std::int64_t kFileTimeEpochOffsetMs = 11'644'473'600'000;
constexpr std::int64_t kFileTimeTicksPerMs = 10'000;
// The years a FILETIME (63 bits of 100-ns ticks from 1601) can name.
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, counting in 400-year eras that start on
// 1 March so that the leap day is the last day of its year.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  std::int64_t era = FloorDiv(year, 400);
  std::int64_t yearOfEra = year - era * 400;
  int monthFromMarch = month > 2 ? month - 3 : month + 9;
  std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
  std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  std::int64_t era = FloorDiv(days, 146097);
  std::int64_t dayOfEra = days - era * 146097;
  std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int monthFromMarch = static_cast<int>((5 * dayOfYear + 2) / 153);
  int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  int month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  return {era * 400 + yearOfEra + (month <= 2), month, day};
}

// 0 = Sunday; 1970-01-01 was a Thursday.
int DayOfWeek(std::int64_t days) { return static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7); }

std::int64_t TimeOfDayMs(const SYSTEMTIME& t) {
  return ((t.wHour * 60LL + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

// The local wall-clock instant (ms since 1970 on the local calendar) at which a transition rule
// fires in the given year; nullopt when the rule does not fire that year or is malformed.
// A rule with wYear 0 is the "day-in-month" form: wDay is the week (1 to 4, 5 = the last such
// weekday of the month) and wDayOfWeek the weekday. A rule with wYear set is an absolute date that
// fires in that year only.
std::optional<std::int64_t> TransitionLocalMs(const SYSTEMTIME& rule, std::int64_t year) {
  if (rule.wMonth < 1 || rule.wMonth > 12 || rule.wHour > 23 || rule.wMinute > 59 || rule.wSecond > 59 ||
      rule.wMilliseconds > 999) {
    return std::nullopt;
  }
  std::int64_t day;
  if (rule.wYear != 0) {
    if (rule.wYear != year || rule.wDay < 1 || rule.wDay > DaysInMonth(year, rule.wMonth)) return std::nullopt;
    day = DaysFromCivil(year, rule.wMonth, rule.wDay);
  } else {
    if (rule.wDay < 1 || rule.wDay > 5 || rule.wDayOfWeek > 6) return std::nullopt;
    std::int64_t first = DaysFromCivil(year, rule.wMonth, 1);
    int firstMatch = 1 + (rule.wDayOfWeek - DayOfWeek(first) + 7) % 7;
    int dayOfMonth = firstMatch + (rule.wDay - 1) * 7;
    if (dayOfMonth > DaysInMonth(year, rule.wMonth)) dayOfMonth -= 7;
    day = first + dayOfMonth - 1;
  }
  return day * kMsPerDay + TimeOfDayMs(rule);
}

bool HasDaylightRule(const TIME_ZONE_INFORMATION& zone) {
  return zone.DaylightDate.wMonth != 0 && zone.StandardDate.wMonth != 0;
}

void PutLe(BYTE*& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) *out++ = static_cast<BYTE>(value >> (8 * i));
}

std::uint32_t GetLe(const BYTE*& in, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(*in++) << (8 * i);
  return value;
}

void PutSystemTime(BYTE*& out, const SYSTEMTIME& t) {
  for (WORD w : {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds}) {
    PutLe(out, w, 2);
  }
}

SYSTEMTIME GetSystemTimeField(const BYTE*& in) {
  SYSTEMTIME t;
  for (WORD* w : {&t.wYear, &t.wMonth, &t.wDayOfWeek, &t.wDay, &t.wHour, &t.wMinute, &t.wSecond, &t.wMilliseconds}) {
    *w = static_cast<WORD>(GetLe(in, 2));
  }
  return t;
}

void CopyName(WCHAR (&out)[32], std::u16string_view name) {
  std::fill(std::begin(out), std::end(out), u'\0');
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 31), out);
}

TIME_ZONE_INFORMATION ReadZone() {
  auto blob = CurrentDevice().Store().GetBlob(state::kTimeZone);
  if (!blob || blob->size() != kTimeZoneRecordSize) return PacificTimeZone();
  return DecodeTimeZone(blob->data());
}

}  // namespace

void EncodeTimeZone(const TIME_ZONE_INFORMATION& info, BYTE out[kTimeZoneRecordSize]) {
  BYTE* p = out;
  PutLe(p, static_cast<std::uint32_t>(info.Bias), 4);
  for (WCHAR c : info.StandardName) PutLe(p, c, 2);
  PutSystemTime(p, info.StandardDate);
  PutLe(p, static_cast<std::uint32_t>(info.StandardBias), 4);
  for (WCHAR c : info.DaylightName) PutLe(p, c, 2);
  PutSystemTime(p, info.DaylightDate);
  PutLe(p, static_cast<std::uint32_t>(info.DaylightBias), 4);
}

TIME_ZONE_INFORMATION DecodeTimeZone(const BYTE in[kTimeZoneRecordSize]) {
  TIME_ZONE_INFORMATION info;
  const BYTE* p = in;
  info.Bias = static_cast<LONG>(GetLe(p, 4));
  for (WCHAR& c : info.StandardName) c = static_cast<WCHAR>(GetLe(p, 2));
  info.StandardDate = GetSystemTimeField(p);
  info.StandardBias = static_cast<LONG>(GetLe(p, 4));
  for (WCHAR& c : info.DaylightName) c = static_cast<WCHAR>(GetLe(p, 2));
  info.DaylightDate = GetSystemTimeField(p);
  info.DaylightBias = static_cast<LONG>(GetLe(p, 4));
  // A stored name always ends within its field, so readers of the record never run past it.
  info.StandardName[31] = 0;
  info.DaylightName[31] = 0;
  return info;
}

TIME_ZONE_INFORMATION PacificTimeZone() {
  TIME_ZONE_INFORMATION zone{};
  zone.Bias = 480;
  CopyName(zone.StandardName, u"Pacific Standard Time");
  zone.StandardDate = SYSTEMTIME{0, 11, 0, 1, 2, 0, 0, 0};
  zone.StandardBias = 0;
  CopyName(zone.DaylightName, u"Pacific Daylight Time");
  zone.DaylightDate = SYSTEMTIME{0, 3, 0, 2, 2, 0, 0, 0};
  zone.DaylightBias = -60;
  return zone;
}

LONG BiasAtUtc(const TIME_ZONE_INFORMATION& zone, std::int64_t utcMs, bool* daylight) {
  const LONG standardBias = zone.Bias + zone.StandardBias;
  const LONG daylightBias = zone.Bias + zone.DaylightBias;
  bool inDaylight = false;
  if (HasDaylightRule(zone)) {
    // The rules are judged in the calendar year of local standard time. Daylight time begins at
    // the rule's wall-clock time in standard time and ends at its wall-clock time in daylight time.
    std::int64_t year = CivilFromDays(FloorDiv(utcMs - standardBias * kMsPerMinute, kMsPerDay)).year;
    auto start = TransitionLocalMs(zone.DaylightDate, year);
    auto end = TransitionLocalMs(zone.StandardDate, year);
    if (start && end) {
      std::int64_t startUtc = *start + standardBias * kMsPerMinute;
      std::int64_t endUtc = *end + daylightBias * kMsPerMinute;
      if (startUtc < endUtc) {
        inDaylight = utcMs >= startUtc && utcMs < endUtc;
      } else if (startUtc > endUtc) {
        // Southern hemisphere: daylight time spans the turn of the year.
        inDaylight = utcMs >= startUtc || utcMs < endUtc;
      }
    }
  }
  if (daylight) *daylight = inDaylight;
  return inDaylight ? daylightBias : standardBias;
}

std::int64_t UtcToLocalMs(const TIME_ZONE_INFORMATION& zone, std::int64_t utcMs) {
  return utcMs - BiasAtUtc(zone, utcMs, nullptr) * kMsPerMinute;
}

// A local time names one instant, except around a transition: a repeated local time (the hour
// after daylight time ends) is taken as its first occurrence, and a local time that the clock
// skips (the hour when daylight time begins) is read with the bias in force before the change, so
// it lands as far after the change as it lies after the skipped hour's start (02:30 becomes 03:30).
std::int64_t LocalToUtcMs(const TIME_ZONE_INFORMATION& zone, std::int64_t localMs) {
  std::int64_t candidates[2] = {localMs + (zone.Bias + zone.StandardBias) * kMsPerMinute,
                                localMs + (zone.Bias + zone.DaylightBias) * kMsPerMinute};
  std::optional<std::int64_t> best;
  for (std::int64_t utc : candidates) {
    if (UtcToLocalMs(zone, utc) == localMs && (!best || utc < *best)) best = utc;
  }
  if (best) return *best;
  std::int64_t before = std::min(candidates[0], candidates[1]);
  return localMs + BiasAtUtc(zone, before, nullptr) * kMsPerMinute;
}

SYSTEMTIME MsToSystemTime(std::int64_t ms) {
  std::int64_t days = FloorDiv(ms, kMsPerDay);
  std::int64_t rest = ms - days * kMsPerDay;
  CivilDate date = CivilFromDays(days);
  SYSTEMTIME t;
  t.wYear = static_cast<WORD>(date.year);
  t.wMonth = static_cast<WORD>(date.month);
  t.wDayOfWeek = static_cast<WORD>(DayOfWeek(days));
  t.wDay = static_cast<WORD>(date.day);
  t.wHour = static_cast<WORD>(rest / 3'600'000);
  t.wMinute = static_cast<WORD>(rest / 60'000 % 60);
  t.wSecond = static_cast<WORD>(rest / 1000 % 60);
  t.wMilliseconds = static_cast<WORD>(rest % 1000);
  return t;
}

// wDayOfWeek is not checked: it is an output of the conversions, as on Windows.
std::optional<std::int64_t> SystemTimeToMs(const SYSTEMTIME& t) {
  if (t.wYear < kFirstYear || t.wYear > kLastYear || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
      t.wDay > DaysInMonth(t.wYear, t.wMonth) || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 ||
      t.wMilliseconds > 999) {
    return std::nullopt;
  }
  return DaysFromCivil(t.wYear, t.wMonth, t.wDay) * kMsPerDay + TimeOfDayMs(t);
}

}  // namespace kernel

using kernel::kTimeZoneRecordSize;

// The device clock stops at the last second of 9999 and refuses to be set beyond it.
void GetSystemTime(SYSTEMTIME* time) {
  if (time) *time = kernel::MsToSystemTime(std::min(kernel::DeviceUtcMs(), kernel::kLastDeviceTimeMs));
}

BOOL SetSystemTime(const SYSTEMTIME* time) {
  auto ms = time ? kernel::SystemTimeToMs(*time) : std::nullopt;
  if (!ms || *ms > kernel::kLastDeviceTimeMs) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  kernel::SetDeviceUtcMs(*ms);
  return TRUE;
}

void GetLocalTime(SYSTEMTIME* time) {
  if (!time) return;
  // The record and the clock offset in one read: a consistent pair, and half the store's work.
  std::int64_t local = 0;
  kernel::StoreRead(kernel::CurrentDevice().Store(),
                    [&](sqlite3*) { local = kernel::UtcToLocalMs(kernel::ReadZone(), kernel::DeviceUtcMs()); });
  *time = kernel::MsToSystemTime(std::min(local, kernel::kLastDeviceTimeMs));
}

BOOL SetLocalTime(const SYSTEMTIME* time) {
  auto ms = time ? kernel::SystemTimeToMs(*time) : std::nullopt;
  if (!ms || *ms > kernel::kLastDeviceTimeMs) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  kernel::SetDeviceUtcMs(kernel::LocalToUtcMs(kernel::ReadZone(), *ms));
  return TRUE;
}

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  *info = kernel::ReadZone();
  if (!kernel::HasDaylightRule(*info)) return TIME_ZONE_ID_UNKNOWN;
  bool inDaylight = false;
  kernel::BiasAtUtc(*info, kernel::DeviceUtcMs(), &inDaylight);
  return inDaylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

BOOL SetTimeZoneInformation(const TIME_ZONE_INFORMATION* info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BYTE record[kTimeZoneRecordSize];
  kernel::EncodeTimeZone(*info, record);
  kernel::CurrentDevice().Store().SetBlob(kernel::state::kTimeZone, record, sizeof record);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime) {
  auto ms = time ? kernel::SystemTimeToMs(*time) : std::nullopt;
  if (!ms || !fileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto ticks = static_cast<std::uint64_t>((*ms + kernel::kFileTimeEpochOffsetMs) * kernel::kFileTimeTicksPerMs);
  fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
  fileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* time) {
  if (!fileTime || !time || (fileTime->dwHighDateTime & 0x80000000u) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::uint64_t ticks = (static_cast<std::uint64_t>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
  *time = kernel::MsToSystemTime(static_cast<std::int64_t>(ticks / kernel::kFileTimeTicksPerMs) -
                                 kernel::kFileTimeEpochOffsetMs);
  return TRUE;
}
