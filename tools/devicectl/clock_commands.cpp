// devicectl clock and tz: the device's local time and its time-zone record.
#include <cstdio>

#include "platform/kernel/clock.h"
#include "platform/kernel/time_zone.h"
#include "platform/kernel/wide_string.h"
#include "tools/devicectl/commands.h"

namespace devicectl {
namespace {

std::string DateTimeText(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

std::string ZoneName(const WCHAR* name) {
  std::u16string text;
  for (int i = 0; i < 32 && name[i] != 0; ++i) text.push_back(name[i]);
  return kernel::WideToUtf8(text);
}

std::string TransitionText(const SYSTEMTIME& date) {
  if (date.wMonth == 0) return "none";
  char text[128];
  if (date.wYear == 0) {
    std::snprintf(text, sizeof text, "month %u week %u weekday %u at %02u:%02u", date.wMonth, date.wDay,
                  date.wDayOfWeek, date.wHour, date.wMinute);
  } else {
    std::snprintf(text, sizeof text, "%04u-%02u-%02u at %02u:%02u", date.wYear, date.wMonth, date.wDay, date.wHour,
                  date.wMinute);
  }
  return text;
}

}  // namespace

void ClockCommand(const Args& args, std::ostream& out) {
  if (args.empty()) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    out << DateTimeText(now) << "\n";
    return;
  }
  if (args.size() != 2 || args[0] != "--set") throw UsageError("usage: clock [--set LOCAL-ISO-TIME]");
  auto local = kernel::ParseLocalDateTime(args[1]);
  if (!local) {
    throw UsageError("a local time looks like 2026-12-06T14:30:00, from 1601-01-01T00:00:00 to 9999-12-31T23:59:59, not '" +
                     Shown(args[1]) + "'");
  }
  if (!SetLocalTime(&*local)) throw CommandError("the device refused the time " + Shown(args[1]));
}

void TimeZoneCommand(const Args& args, std::ostream& out) {
  ExpectAtMost(args, 0, "tz");
  TIME_ZONE_INFORMATION zone{};
  DWORD id = GetTimeZoneInformation(&zone);
  out << "bias " << zone.Bias << "\n"
      << "standard \"" << ZoneName(zone.StandardName) << "\" bias " << zone.StandardBias << " from "
      << TransitionText(zone.StandardDate) << "\n"
      << "daylight \"" << ZoneName(zone.DaylightName) << "\" bias " << zone.DaylightBias << " from "
      << TransitionText(zone.DaylightDate) << "\n"
      << "now " << (id == TIME_ZONE_ID_DAYLIGHT ? "daylight" : id == TIME_ZONE_ID_STANDARD ? "standard" : "unknown")
      << "\n";
}

}  // namespace devicectl
