#include "sim/control_dump_fields.h"

#include <mutex>
#include <string>

#include "platform/gwes/controls/combo_box.h"
#include "platform/gwes/controls/list_box.h"
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
  });
}

}  // namespace sim
