#include "sim/control_dump_fields.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/gwes/controls/combo_box.h"
#include "platform/gwes/controls/date_time_picker.h"
#include "platform/gwes/controls/list_box.h"
#include "platform/gwes/controls/month_calendar.h"
#include "platform/gwes/controls/progress.h"
#include "platform/gwes/controls/trackbar.h"
#include "platform/gwes/message_queue.h"
#include "sim/window_dump.h"

namespace sim {
namespace {

// ,"sel":N,"items":["...", ...] from a list's count, selection, text length and text messages.
std::string ListFields(HWND hwnd, UINT getCount, UINT getSelection, UINT getTextLength, UINT getText) {
  auto count = static_cast<int>(SendMessageW(hwnd, getCount, 0, 0));
  auto selection = static_cast<int>(SendMessageW(hwnd, getSelection, 0, 0));
  std::string out = ",\"sel\":" + std::to_string(selection < 0 ? -1 : selection) + ",\"items\":[";
  for (int i = 0; i < count; ++i) {
    auto length = SendMessageW(hwnd, getTextLength, static_cast<WPARAM>(i), 0);
    std::u16string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, u'\0');
    auto copied = SendMessageW(hwnd, getText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    if (i > 0) out += ",";
    out += JsonString(text);
  }
  return out + "]";
}

std::string RangeFields(LRESULT position, LRESULT minimum, LRESULT maximum) {
  return ",\"pos\":" + std::to_string(position) + ",\"min\":" + std::to_string(minimum) +
         ",\"max\":" + std::to_string(maximum);
}

// "2026-12-06T14:05:09" or "2026-12-06"; null when the control holds no valid date.
std::string DateField(const char* name, bool valid, const SYSTEMTIME& t, bool withTime) {
  if (!valid) return std::string(",\"") + name + "\":null";
  char text[64];
  if (withTime) {
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
  } else {
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
  }
  return std::string(",\"") + name + "\":\"" + text + "\"";
}

}  // namespace

void RegisterControlDumpFields() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterDumpFields(kListBoxClassName, [](HWND hwnd) {
      return ListFields(hwnd, LB_GETCOUNT, LB_GETCURSEL, LB_GETTEXTLEN, LB_GETTEXT);
    });
    RegisterDumpFields(kComboBoxClassName, [](HWND hwnd) {
      return ListFields(hwnd, CB_GETCOUNT, CB_GETCURSEL, CB_GETLBTEXTLEN, CB_GETLBTEXT);
    });
    RegisterDumpFields(kTrackbarClassName, [](HWND hwnd) {
      return RangeFields(SendMessageW(hwnd, TBM_GETPOS, 0, 0), SendMessageW(hwnd, TBM_GETRANGEMIN, 0, 0),
                         SendMessageW(hwnd, TBM_GETRANGEMAX, 0, 0));
    });
    RegisterDumpFields(kProgressClassName, [](HWND hwnd) {
      return RangeFields(SendMessageW(hwnd, PBM_GETPOS, 0, 0), SendMessageW(hwnd, PBM_GETRANGE, TRUE, 0),
                         SendMessageW(hwnd, PBM_GETRANGE, FALSE, 0));
    });
    RegisterDumpFields(kDateTimePickerClassName, [](HWND hwnd) {
      SYSTEMTIME time{};
      bool valid = SendMessageW(hwnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID;
      return DateField("time", valid, time, true);
    });
    RegisterDumpFields(kMonthCalendarClassName, [](HWND hwnd) {
      SYSTEMTIME day{};
      bool valid = SendMessageW(hwnd, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&day)) != 0;
      return DateField("selected", valid, day, false);
    });
  });
}

}  // namespace sim
