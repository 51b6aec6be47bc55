#include "clock/time_zones.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "platform/gwes/controls/combo_box.h"
#include "platform/gwes/message_queue.h"
#include "platform/kernel/registry.h"

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;  // FILETIME counts 100 ns
// A number of an offset stops growing here, well past any bias a LONG can hold.
constexpr std::int64_t kNumberCap = std::int64_t{1} << 32;

// The decimal number the text begins with: its leading digits; 0 when it begins with none.
std::int64_t LeadingNumber(std::u16string_view text) {
  std::int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    value = std::min(value * 10 + (c - u'0'), kNumberCap);
  }
  return value;
}

// Copies a name with its terminator into a record's name field, cut to fit, the rest cleared.
void CopyZoneName(WCHAR (&field)[32], std::u16string_view name) {
  std::fill(std::begin(field), std::end(field), u'\0');
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), std::size(field) - 1), field);
}

std::u16string ListText(HWND list, int index) {
  LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  LRESULT copied = SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied < 0 ? 0 : std::min(static_cast<std::size_t>(copied), text.size() - 1));
  return text;
}

}  // namespace

CLocalString ZoneName(int index) {
  CLocalString name;
  name.LoadString(kFirstZoneStringId + static_cast<UINT>(index));
  return name;
}

void FillZoneList(HWND list) {
  for (int index = 0; index < kZoneCount; ++index) {
    CLocalString name = ZoneName(index);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetText()));
  }
}

BOOL ZoneBiasFromName(LPCWSTR name, LONG* bias) {
  if (name == nullptr || bias == nullptr) return FALSE;
  std::u16string_view text(name);
  text.remove_prefix(std::min<std::size_t>(3, text.size()));  // "GMT"
  LONG sign = 0;
  if (!text.empty() && text[0] == u'+') {
    sign = -1;  // east of Greenwich: local time is ahead of universal time
  } else if (!text.empty() && text[0] == u'-') {
    sign = 1;
  } else {
    *bias = 0;
    return TRUE;
  }
  text.remove_prefix(1);
  std::size_t space = text.find(u' ');
  if (space == std::u16string_view::npos) return FALSE;
  std::u16string_view offset = text.substr(0, space);
  std::size_t colon = offset.find(u':');
  std::int64_t minutes = colon == std::u16string_view::npos
                             ? LeadingNumber(offset) * 60
                             : LeadingNumber(offset.substr(0, colon)) * 60 + LeadingNumber(offset.substr(colon + 1));
  if (minutes > std::numeric_limits<LONG>::max()) return FALSE;
  *bias = sign * static_cast<LONG>(minutes);
  return TRUE;
}

DWORD ReadDefaultZoneIndex() {
  DWORD index = kFallbackZoneIndex;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kZoneIndexKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof value;
    // Only a 32-bit number counts; a text or a blob of another size is as good as no value.
    if (RegQueryValueExW(key, kZoneIndexValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value) {
      index = value;
    }
    RegCloseKey(key);
  }
  return std::min(index, kLastZoneIndex);
}

void SelectInitialZone(HWND list) {
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  std::u16string_view standardName(zone.StandardName);
  DWORD defaultIndex = ReadDefaultZoneIndex();
  // The record a fresh device starts with goes straight to the default entry.
  if (standardName == kPacificStandardName) {
    SendMessageW(list, CB_SETCURSEL, defaultIndex, 0);
    return;
  }
  LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (int index = 0; index < count; ++index) {
    if (ListText(list, index).find(standardName) != std::u16string::npos) {
      SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      return;
    }
  }
  SendMessageW(list, CB_SETCURSEL, defaultIndex, 0);
}

void ShiftClock(LONG fromBias, LONG toBias) {
  if (toBias == fromBias) return;
  SYSTEMTIME now{};
  GetLocalTime(&now);
  FILETIME time{};
  if (!SystemTimeToFileTime(&now, &time)) return;
  auto seconds = static_cast<std::int64_t>(
      ((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / kTicksPerSecond);
  seconds -= (static_cast<std::int64_t>(toBias) - fromBias) * 60;
  // A moment before 1601 or past what a FILETIME holds is no local time; the clock stays.
  if (seconds < 0 || seconds > std::numeric_limits<std::int64_t>::max() / kTicksPerSecond) return;
  auto ticks = static_cast<std::uint64_t>(seconds * kTicksPerSecond);
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  SYSTEMTIME moved{};
  if (!FileTimeToSystemTime(&time, &moved)) return;
  SetLocalTime(&moved);
}

void ApplyZone(LPCWSTR name) {
  if (name == nullptr) return;
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  ZoneBiasFromName(name, &zone.Bias);
  // The table's names have at most 26 characters; a longer one from a language module is cut.
  CopyZoneName(zone.StandardName, name);
  CopyZoneName(zone.DaylightName, name);
  SetTimeZoneInformation(&zone);
}
