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

constexpr std::int64_t kHourMs = 3'600'000;

std::int64_t Ms(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  return *kernel::SystemTimeToMs(SYSTEMTIME{year, month, 0, day, hour, minute, second, 0});
}

TIME_ZONE_INFORMATION Zone(LONG bias, SYSTEMTIME standard, SYSTEMTIME daylight, LONG daylightBias = -60) {
  TIME_ZONE_INFORMATION zone{};
  zone.Bias = bias;
  zone.StandardDate = standard;
  zone.DaylightDate = daylight;
  zone.DaylightBias = daylightBias;
  return zone;
}

// Central European time: last Sunday of March 02:00 to last Sunday of October 03:00.
TIME_ZONE_INFORMATION CentralEurope() { return Zone(-60, {0, 10, 0, 5, 3, 0, 0, 0}, {0, 3, 0, 5, 2, 0, 0, 0}); }
// Sydney: daylight time from the first Sunday of October to the first Sunday of April.
TIME_ZONE_INFORMATION Sydney() { return Zone(-600, {0, 4, 0, 1, 3, 0, 0, 0}, {0, 10, 0, 1, 2, 0, 0, 0}); }

LONG Bias(const TIME_ZONE_INFORMATION& zone, std::int64_t utc) { return kernel::BiasAtUtc(zone, utc, nullptr); }

TEST(TimeZoneCalendar, ConvertsKnownDatesAndComputesTheWeekday) {
  SYSTEMTIME epoch = kernel::MsToSystemTime(0);
  EXPECT_EQ(epoch.wYear, 1970);
  EXPECT_EQ(epoch.wDayOfWeek, 4);  // Thursday
  SYSTEMTIME start = kernel::MsToSystemTime(testing_support::kTestStartUtcMs + 250);
  EXPECT_EQ((std::array<WORD, 8>{start.wYear, start.wMonth, start.wDayOfWeek, start.wDay, start.wHour, start.wMinute,
                                 start.wSecond, start.wMilliseconds}),
            (std::array<WORD, 8>{2026, 3, 0, 1, 12, 0, 0, 250}));
  // Every day over four centuries converts both ways, with the weekday advancing by one.
  for (std::int64_t day = Ms(1601, 1, 1) / 86'400'000, last = Ms(2401, 1, 1) / 86'400'000; day < last; ++day) {
    std::int64_t ms = day * 86'400'000 + 45'296'789;
    SYSTEMTIME t = kernel::MsToSystemTime(ms);
    ASSERT_EQ(kernel::SystemTimeToMs(t), ms);
    ASSERT_EQ(kernel::MsToSystemTime(ms + 86'400'000).wDayOfWeek, (t.wDayOfWeek + 1) % 7);
  }
}

TEST(TimeZoneCalendar, RefusesFieldsOutOfRange) {
  EXPECT_TRUE(kernel::SystemTimeToMs(SYSTEMTIME{2000, 2, 6, 29, 23, 59, 59, 999}));
  for (SYSTEMTIME bad : {SYSTEMTIME{1900, 2, 0, 29}, SYSTEMTIME{2100, 2, 0, 29}, SYSTEMTIME{2026, 4, 0, 31},
                         SYSTEMTIME{2026, 0, 0, 1}, SYSTEMTIME{2026, 13, 0, 1}, SYSTEMTIME{2026, 1, 0, 0},
                         SYSTEMTIME{2026, 1, 0, 1, 24}, SYSTEMTIME{2026, 1, 0, 1, 0, 60},
                         SYSTEMTIME{2026, 1, 0, 1, 0, 0, 60}, SYSTEMTIME{2026, 1, 0, 1, 0, 0, 0, 1000},
                         SYSTEMTIME{1600, 12, 0, 31}}) {
    EXPECT_FALSE(kernel::SystemTimeToMs(bad)) << bad.wYear << "-" << bad.wMonth << "-" << bad.wDay;
  }
  testing_support::TestDevice device;
  SYSTEMTIME bad{2026, 2, 0, 30, 12};
  SetLastError(0);
  EXPECT_FALSE(SetSystemTime(&bad));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetLocalTime(&bad));
  EXPECT_EQ(kernel::DeviceUtcMs(), testing_support::kTestStartUtcMs);
}

TEST(TimeZoneCalendar, FileTimesCountHundredNanosecondsFrom1601) {
  FILETIME ft{};
  SYSTEMTIME first{1601, 1, 0, 1};
  ASSERT_TRUE(SystemTimeToFileTime(&first, &ft));
  EXPECT_EQ(ft.dwLowDateTime | ft.dwHighDateTime, 0u);
  SYSTEMTIME epoch{1970, 1, 0, 1, 0, 0, 0, 1};
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &ft));
  EXPECT_EQ((std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime, 116444736000000000ull + 10'000);

  SYSTEMTIME back{};
  ft.dwLowDateTime += 9'999;  // below a millisecond: dropped
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(kernel::SystemTimeToMs(back), 1);

  FILETIME negative{0, 0x80000000u};
  SetLastError(0);
  EXPECT_FALSE(FileTimeToSystemTime(&negative, &back));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SYSTEMTIME bad{2026, 2, 0, 29};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
}

TEST(TimeZoneRecord, EncodesLittleEndianFieldsInOrder) {
  BYTE bytes[kernel::kTimeZoneRecordSize];
  kernel::EncodeTimeZone(kernel::PacificTimeZone(), bytes);
  EXPECT_EQ(std::memcmp(bytes, "\xE0\x01\x00\x00P\0a\0c", 9), 0);
  EXPECT_EQ(bytes[68 + 2], 11);  // StandardDate.wMonth
  EXPECT_EQ(bytes[68 + 6], 1);   // StandardDate.wDay: first week
  EXPECT_EQ(bytes[68 + 8], 2);   // StandardDate.wHour
  EXPECT_EQ(std::memcmp(bytes + 88, "P\0a\0c\0i\0f\0i\0c\0 \0D", 17), 0);
  EXPECT_EQ(bytes[152 + 2], 3);  // DaylightDate.wMonth
  EXPECT_EQ(bytes[152 + 6], 2);  // second week
  EXPECT_EQ(std::memcmp(bytes + 168, "\xC4\xFF\xFF\xFF", 4), 0);

  TIME_ZONE_INFORMATION zone = kernel::DecodeTimeZone(bytes);
  BYTE again[kernel::kTimeZoneRecordSize];
  kernel::EncodeTimeZone(zone, again);
  EXPECT_EQ(std::memcmp(bytes, again, sizeof bytes), 0);

  // A name filling its whole field comes back terminated.
  std::memset(bytes + 4, 'x', 64);
  EXPECT_EQ(kernel::DecodeTimeZone(bytes).StandardName[31], 0);
  EXPECT_EQ(kernel::DecodeTimeZone(bytes).StandardName[30], u'\x7878');
}

TEST(TimeZoneRules, UnitedStatesTransitionsAtTwoLocal) {
  auto pacific = kernel::PacificTimeZone();
  bool daylight = true;
  EXPECT_EQ(kernel::BiasAtUtc(pacific, Ms(2026, 3, 8, 10) - 1, &daylight), 480);
  EXPECT_FALSE(daylight);
  EXPECT_EQ(kernel::BiasAtUtc(pacific, Ms(2026, 3, 8, 10), &daylight), 420);  // 02:00 PST
  EXPECT_TRUE(daylight);
  EXPECT_EQ(Bias(pacific, Ms(2026, 11, 1, 9) - 1), 420);
  EXPECT_EQ(Bias(pacific, Ms(2026, 11, 1, 9)), 480);  // 02:00 PDT
}

TEST(TimeZoneRules, FifthWeekMeansTheLastWeekdayOfTheMonth) {
  auto europe = CentralEurope();
  // March 2024 has five Sundays (31st), October 2026 four (25th).
  EXPECT_EQ(Bias(europe, Ms(2024, 3, 31, 1) - 1), -60);
  EXPECT_EQ(Bias(europe, Ms(2024, 3, 31, 1)), -120);
  EXPECT_EQ(Bias(europe, Ms(2026, 10, 25, 1) - 1), -120);
  EXPECT_EQ(Bias(europe, Ms(2026, 10, 25, 1)), -60);
}

TEST(TimeZoneRules, SouthernZonesKeepDaylightTimeOverTheNewYear) {
  auto sydney = Sydney();
  EXPECT_EQ(Bias(sydney, Ms(2026, 4, 4, 16) - 1), -660);  // 03:00 AEDT on 5 April
  EXPECT_EQ(Bias(sydney, Ms(2026, 4, 4, 16)), -600);
  EXPECT_EQ(Bias(sydney, Ms(2026, 10, 3, 16) - 1), -600);  // 02:00 AEST on 4 October
  EXPECT_EQ(Bias(sydney, Ms(2026, 10, 3, 16)), -660);
  EXPECT_EQ(Bias(sydney, Ms(2026, 12, 31, 23)), -660);
}

TEST(TimeZoneRules, AbsoluteDatesAndZonesWithoutDaylightTime) {
  auto once = Zone(300, {2026, 10, 0, 20, 2, 0, 0, 0}, {2026, 4, 0, 10, 2, 0, 0, 0});
  EXPECT_EQ(Bias(once, Ms(2026, 4, 10, 7) - 1), 300);
  EXPECT_EQ(Bias(once, Ms(2026, 4, 10, 7)), 240);
  EXPECT_EQ(Bias(once, Ms(2027, 6, 1)), 300);  // the dates name 2026 only

  auto fixed = Zone(-330, {0, 0, 0, 0}, {0, 0, 0, 0});
  fixed.StandardBias = -15;
  bool daylight = true;
  EXPECT_EQ(kernel::BiasAtUtc(fixed, Ms(2026, 7, 1), &daylight), -345);
  EXPECT_FALSE(daylight);
  auto malformed = kernel::PacificTimeZone();
  malformed.DaylightDate.wDay = 6;
  EXPECT_EQ(Bias(malformed, Ms(2026, 7, 1)), 480);
}

TEST(TimeZoneRules, LocalTimesAroundTransitions) {
  auto pacific = kernel::PacificTimeZone();
  // 02:30 does not exist on 8 March 2026; it is read as standard time and shows as 03:30.
  std::int64_t skipped = kernel::LocalToUtcMs(pacific, Ms(2026, 3, 8, 2, 30));
  EXPECT_EQ(skipped, Ms(2026, 3, 8, 10, 30));
  EXPECT_EQ(kernel::UtcToLocalMs(pacific, skipped), Ms(2026, 3, 8, 3, 30));
  // 01:30 happens twice on 1 November 2026; the first (daylight) one is meant.
  EXPECT_EQ(kernel::LocalToUtcMs(pacific, Ms(2026, 11, 1, 1, 30)), Ms(2026, 11, 1, 8, 30));
  EXPECT_EQ(kernel::LocalToUtcMs(Sydney(), Ms(2026, 10, 4, 2, 30)), Ms(2026, 10, 3, 16, 30));
}

// Over two whole years in 15-minute steps, local -> UTC -> local is the identity except for the
// skipped hours, and UTC -> local -> UTC except for the second pass through a repeated hour.
TEST(TimeZoneRules, RoundTripsFailOnlyInsideTheTransitionHours) {
  for (const auto& zone : {kernel::PacificTimeZone(), CentralEurope(), Sydney()}) {
    int skipped = 0;
    int repeated = 0;
    for (std::int64_t t = Ms(2025, 1, 1); t < Ms(2027, 1, 1); t += kHourMs / 4) {
      std::int64_t local = kernel::UtcToLocalMs(zone, kernel::LocalToUtcMs(zone, t));
      if (local != t) {
        ++skipped;
        ASSERT_EQ(local, t + kHourMs);
      }
      std::int64_t utc = kernel::LocalToUtcMs(zone, kernel::UtcToLocalMs(zone, t));
      if (utc != t) {
        ++repeated;
        ASSERT_EQ(utc, t - kHourMs);
      }
    }
    EXPECT_EQ(skipped, 8) << zone.Bias;
    EXPECT_EQ(repeated, 8) << zone.Bias;
  }
}

TEST(TimeZoneDevice, LocalTimeFollowsTheStoredZone) {
  testing_support::TestDevice device;
  SYSTEMTIME now{};
  GetSystemTime(&now);
  EXPECT_EQ(kernel::SystemTimeToMs(now), testing_support::kTestStartUtcMs);
  GetLocalTime(&now);
  EXPECT_EQ(kernel::SystemTimeToMs(now), testing_support::kTestStartUtcMs - 8 * kHourMs);

  TIME_ZONE_INFORMATION zone{};
  EXPECT_EQ(GetTimeZoneInformation(&zone), TIME_ZONE_ID_STANDARD);  // no record stored: Pacific
  EXPECT_EQ(std::u16string(zone.StandardName), u"Pacific Standard Time");

  SYSTEMTIME summer{2026, 7, 3, 1, 12, 0, 0, 250};
  ASSERT_TRUE(SetLocalTime(&summer));
  GetSystemTime(&now);
  EXPECT_EQ(kernel::SystemTimeToMs(now), Ms(2026, 7, 1, 19) + 250);
  EXPECT_EQ(GetTimeZoneInformation(&zone), TIME_ZONE_ID_DAYLIGHT);

  zone = Zone(-60, {}, {});
  std::memcpy(zone.StandardName, u"GMT+1 Paris, Madrid", 40);
  ASSERT_TRUE(SetTimeZoneInformation(&zone));
  TIME_ZONE_INFORMATION read{};
  EXPECT_EQ(GetTimeZoneInformation(&read), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(read.Bias, -60);
  EXPECT_EQ(std::u16string(read.StandardName), u"GMT+1 Paris, Madrid");
  GetLocalTime(&now);
  EXPECT_EQ(kernel::SystemTimeToMs(now), Ms(2026, 7, 1, 20) + 250);

  // A record of the wrong size counts as missing.
  device.Device().Store().SetBlob(kernel::state::kTimeZone, "short", 5);
  EXPECT_EQ(GetTimeZoneInformation(&read), TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(read.Bias, 480);
}

// The date page moves the clock by whole minutes of bias: it reads the local time to the second,
// adds the difference and sets it back, so shifting there and back restores the clock exactly.
TEST(TimeZoneDevice, ShiftingTheLocalClockKeepsTheSecond) {
  testing_support::TestDevice device;
  auto zone = Zone(-60, {}, {});
  ASSERT_TRUE(SetTimeZoneInformation(&zone));
  kernel::Clock().Sleep(1'750);  // 12:00:01.750 UTC
  auto shift = [](LONG from, LONG to) {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    local.wMilliseconds = 0;
    std::int64_t seconds = *kernel::SystemTimeToMs(local) / 1000 - (to - from) * 60;
    SYSTEMTIME moved = kernel::MsToSystemTime(seconds * 1000);
    return SetLocalTime(&moved);
  };
  ASSERT_TRUE(shift(-60, -120));
  SYSTEMTIME local{};
  GetLocalTime(&local);
  EXPECT_EQ(kernel::SystemTimeToMs(local), Ms(2026, 3, 1, 14, 0, 1));
  ASSERT_TRUE(shift(-120, -60));
  EXPECT_EQ(kernel::DeviceUtcMs(), Ms(2026, 3, 1, 12, 0, 1));
}

}  // namespace
