#include "platform/kernel/time_zone.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/last_error.h"
#include "tests/support/test_device.h"

namespace {

constexpr std::int64_t kHourMs = 3'600'000, kDayMs = 86'400'000;

std::int64_t Ms(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  return *kernel::SystemTimeToMs(SYSTEMTIME{year, month, 0, day, hour, minute, second, 0});
}

// A record with unnamed standard and daylight time, the latter an hour ahead.
TIME_ZONE_INFORMATION Zone(LONG bias, SYSTEMTIME standard, SYSTEMTIME daylight) {
  return {bias, {}, standard, 0, {}, daylight, -60};
}

// Central European time: last Sunday of March 02:00 to last Sunday of October 03:00.
TIME_ZONE_INFORMATION CentralEurope() { return Zone(-60, {0, 10, 0, 5, 3}, {0, 3, 0, 5, 2}); }
// Sydney: daylight time from the first Sunday of October to the first Sunday of April.
TIME_ZONE_INFORMATION Sydney() { return Zone(-600, {0, 4, 0, 1, 3}, {0, 10, 0, 1, 2}); }

TEST(TimeZoneCalendar, ConvertsEveryDayAndFileTimesAndRefusesFieldsOutOfRange) {
  SYSTEMTIME t = kernel::MsToSystemTime(testing_support::kTestStartUtcMs + 250);  // a Sunday
  EXPECT_EQ((std::array{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds}),
            (std::array<WORD, 8>{2026, 3, 0, 1, 12, 0, 0, 250}));
  // Every day over four centuries converts both ways, with the weekday advancing by one.
  for (std::int64_t ms = Ms(1601, 1, 1) + 45'296'789; ms < Ms(2401, 1, 1); ms += kDayMs) {
    t = kernel::MsToSystemTime(ms);
    ASSERT_EQ(kernel::SystemTimeToMs(t), ms);
    ASSERT_EQ(kernel::MsToSystemTime(ms + kDayMs).wDayOfWeek, (t.wDayOfWeek + 1) % 7);
  }
  EXPECT_TRUE(kernel::SystemTimeToMs(SYSTEMTIME{2000, 2, 6, 29, 23, 59, 59, 999}));
  for (SYSTEMTIME bad : {SYSTEMTIME{1900, 2, 0, 29}, SYSTEMTIME{2100, 2, 0, 29}, SYSTEMTIME{2026, 4, 0, 31},
                         SYSTEMTIME{2026, 0, 0, 1}, SYSTEMTIME{2026, 13, 0, 1}, SYSTEMTIME{2026, 1, 0, 0},
                         SYSTEMTIME{2026, 1, 0, 1, 24}, SYSTEMTIME{2026, 1, 0, 1, 0, 60},
                         SYSTEMTIME{2026, 1, 0, 1, 0, 0, 60}, SYSTEMTIME{2026, 1, 0, 1, 0, 0, 0, 1000},
                         SYSTEMTIME{1600, 12, 0, 31}}) {
    EXPECT_FALSE(kernel::SystemTimeToMs(bad)) << bad.wYear << "-" << bad.wMonth << "-" << bad.wDay;
  }
  // FILETIME counts 100 ns from 1601.
  FILETIME ft{}, negative{0, 0x80000000u};
  SYSTEMTIME epoch{1970, 1, 0, 1, 0, 0, 0, 1}, back{};
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &ft));
  EXPECT_EQ((std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime, 116444736000000000ull + 10'000);
  ft.dwLowDateTime += 9'999;  // below a millisecond: dropped
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(kernel::SystemTimeToMs(back), 1);
  SetLastError(0);
  EXPECT_FALSE(FileTimeToSystemTime(&negative, &back));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(TimeZoneRecord, EncodesLittleEndianFieldsInOrder) {
  BYTE bytes[kernel::kTimeZoneRecordSize], again[kernel::kTimeZoneRecordSize];
  kernel::EncodeTimeZone(kernel::PacificTimeZone(), bytes);
  EXPECT_EQ(std::memcmp(bytes, "\xE0\x01\x00\x00P\0a\0c", 9), 0);  // Bias 480, StandardName
  EXPECT_EQ(std::memcmp(bytes + 88, "P\0a\0c\0i\0f\0i\0c\0 \0D", 17), 0);
  EXPECT_EQ(std::memcmp(bytes + 168, "\xC4\xFF\xFF\xFF", 4), 0);  // DaylightBias -60
  // StandardDate at 68 (November, first week, 02:00), DaylightDate at 152 (March, second week).
  EXPECT_EQ((std::array{bytes[70], bytes[74], bytes[76], bytes[154], bytes[158]}), (std::array<BYTE, 5>{11, 1, 2, 3, 2}));
  kernel::EncodeTimeZone(kernel::DecodeTimeZone(bytes), again);
  EXPECT_EQ(std::memcmp(bytes, again, sizeof bytes), 0);
  // A name filling its whole field comes back terminated.
  std::memset(bytes + 4, 'x', 64);
  TIME_ZONE_INFORMATION decoded = kernel::DecodeTimeZone(bytes);
  EXPECT_TRUE(decoded.StandardName[30] == u'\x7878' && decoded.StandardName[31] == 0);
}

TEST(TimeZoneRules, DaylightTimeFollowsTheRecordsTransitions) {
  const auto pacific = kernel::PacificTimeZone(), europe = CentralEurope(), sydney = Sydney();
  const auto once = Zone(300, {2026, 10, 0, 20, 2}, {2026, 4, 0, 10, 2});  // absolute dates: 2026 only
  auto fixed = Zone(-330, {}, {});  // no daylight time
  fixed.StandardBias = -15;
  auto malformed = pacific;
  malformed.DaylightDate.wDay = 6;  // no such week: no daylight time
  const struct { const TIME_ZONE_INFORMATION& zone; std::int64_t utc; LONG bias; } cases[] = {
      // United States: at 02:00 local on the second Sunday of March and the first of November.
      {pacific, Ms(2026, 3, 8, 10) - 1, 480}, {pacific, Ms(2026, 3, 8, 10), 420},
      {pacific, Ms(2026, 11, 1, 9) - 1, 420}, {pacific, Ms(2026, 11, 1, 9), 480},
      // Week 5 is the last: March 2024 has five Sundays (31st), October 2026 four (25th).
      {europe, Ms(2024, 3, 31, 1) - 1, -60}, {europe, Ms(2024, 3, 31, 1), -120},
      {europe, Ms(2026, 10, 25, 1) - 1, -120}, {europe, Ms(2026, 10, 25, 1), -60},
      // Southern hemisphere: daylight time over the new year, to 03:00 on 5 April, from 02:00 on 4 October.
      {sydney, Ms(2026, 4, 4, 16) - 1, -660}, {sydney, Ms(2026, 4, 4, 16), -600},
      {sydney, Ms(2026, 10, 3, 16) - 1, -600}, {sydney, Ms(2026, 10, 3, 16), -660},
      {once, Ms(2026, 4, 10, 7) - 1, 300}, {once, Ms(2026, 4, 10, 7), 240}, {once, Ms(2027, 6, 1), 300},
      {fixed, Ms(2026, 7, 1), -345}, {malformed, Ms(2026, 7, 1), 480},
  };
  for (const auto& c : cases) {
    const bool expectDaylight = c.bias == c.zone.Bias + c.zone.DaylightBias;
    bool daylight = !expectDaylight;
    EXPECT_EQ(kernel::BiasAtUtc(c.zone, c.utc, &daylight), c.bias) << c.zone.Bias << " at " << c.utc;
    EXPECT_EQ(daylight, expectDaylight) << c.zone.Bias << " at " << c.utc;
  }
}

// Over two whole years in 15-minute steps, local -> UTC -> local is the identity except in the
// skipped hours, read as standard time (02:30 shows as 03:30), and UTC -> local -> UTC except on
// the second pass through a repeated hour, since a repeated local time means its first pass.
TEST(TimeZoneRules, RoundTripsFailOnlyInsideTheTransitionHours) {
  for (const auto& zone : {kernel::PacificTimeZone(), CentralEurope(), Sydney()}) {
    int skipped = 0, repeated = 0;
    for (std::int64_t t = Ms(2025, 1, 1); t < Ms(2027, 1, 1); t += kHourMs / 4) {
      std::int64_t local = kernel::UtcToLocalMs(zone, kernel::LocalToUtcMs(zone, t));
      std::int64_t utc = kernel::LocalToUtcMs(zone, kernel::UtcToLocalMs(zone, t));
      if (local != t) ++skipped;
      if (utc != t) ++repeated;
      ASSERT_TRUE(local == t || local == t + kHourMs) << zone.Bias << " at " << t;
      ASSERT_TRUE(utc == t || utc == t - kHourMs) << zone.Bias << " at " << t;
    }
    EXPECT_EQ(skipped, 8) << zone.Bias;
    EXPECT_EQ(repeated, 8) << zone.Bias;
  }
}

std::int64_t Now(void (*get)(SYSTEMTIME*)) {
  SYSTEMTIME now{};
  get(&now);
  return *kernel::SystemTimeToMs(now);
}

TEST(TimeZoneDevice, LocalTimeFollowsTheStoredZone) {
  testing_support::TestDevice device;
  SYSTEMTIME bad{2026, 2, 0, 30, 12};
  SetLastError(0);
  EXPECT_FALSE(SetSystemTime(&bad));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetLocalTime(&bad));
  EXPECT_EQ(Now(GetSystemTime), testing_support::kTestStartUtcMs);
  EXPECT_EQ(Now(GetLocalTime), testing_support::kTestStartUtcMs - 8 * kHourMs);
  TIME_ZONE_INFORMATION zone{};
  EXPECT_EQ(GetTimeZoneInformation(&zone), TIME_ZONE_ID_STANDARD);  // no record stored: Pacific
  EXPECT_EQ(std::u16string(zone.StandardName), u"Pacific Standard Time");
  SYSTEMTIME summer{2026, 7, 3, 1, 12, 0, 0, 250};
  ASSERT_TRUE(SetLocalTime(&summer));
  EXPECT_EQ(Now(GetSystemTime), Ms(2026, 7, 1, 19) + 250);
  EXPECT_EQ(GetTimeZoneInformation(&zone), TIME_ZONE_ID_DAYLIGHT);

  zone = Zone(-60, {}, {});
  ASSERT_TRUE(SetTimeZoneInformation(&zone));
  EXPECT_EQ(GetTimeZoneInformation(&zone), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(Now(GetLocalTime), Ms(2026, 7, 1, 20) + 250);
  // A record of the wrong size counts as missing.
  device.Device().Store().SetBlob(kernel::state::kTimeZone, "short", 5);
  EXPECT_EQ(GetTimeZoneInformation(&zone), TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(zone.Bias, 480);
}

// One parser of local date-times for the utility's --clock and devicectl's clock --set: four-digit
// years only, so the device clock never shows a five-digit year; the clock stops at its last second.
TEST(TimeZoneDevice, LocalTimesParseWithinFourDigitYearsAndTheClockStopsAtTheLast) {
  const std::pair<const char*, std::int64_t> kCases[] = {
      {"2026-12-06T14:30:00", Ms(2026, 12, 6, 14, 30)}, {"2026-12-06 14:30", Ms(2026, 12, 6, 14, 30)},
      {"1601-01-01T00:00:00", Ms(1601, 1, 1)},         {"9999-12-31T23:59:59", Ms(9999, 12, 31, 23, 59, 59)},
      {"2024-02-29T00:00:00", Ms(2024, 2, 29)},         {"2026-02-29T00:00:00", -1},
      {"10000-01-01T00:00:00", -1},                    {"1600-12-31T23:59:59", -1},
      {"2026-13-01T00:00:00", -1},                     {"2026-12-06T24:00:00", -1},
      {"2026-12-06T14:30:0x", -1},                     {"2026-12-06X14:30", -1},
      {"+026-12-06T14:30", -1},                        {"", -1},
  };
  for (const auto& [text, ms] : kCases) {
    auto parsed = kernel::ParseLocalDateTime(text);
    EXPECT_EQ(parsed ? *kernel::SystemTimeToMs(*parsed) : -1, ms) << text;
  }
  testing_support::TestDevice device;
  SYSTEMTIME last = *kernel::ParseLocalDateTime("9999-12-31T23:59:59");
  ASSERT_TRUE(SetLocalTime(&last));
  kernel::Clock().Sleep(5'000);
  EXPECT_EQ(Now(GetLocalTime), kernel::kLastDeviceTimeMs);
  EXPECT_EQ(Now(GetSystemTime), kernel::kLastDeviceTimeMs);
  SYSTEMTIME beyond{10000, 1, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(SetLocalTime(&beyond));
  EXPECT_FALSE(SetSystemTime(&beyond));
}

}  // namespace
