#include "platform/gwes/controls/controls.h"

#include <mutex>

#include "platform/gwes/controls/button.h"
#include "platform/gwes/controls/combo_box.h"
#include "platform/gwes/controls/date_time_picker.h"
#include "platform/gwes/controls/edit.h"
#include "platform/gwes/controls/list_box.h"
#include "platform/gwes/controls/month_calendar.h"
#include "platform/gwes/controls/progress.h"
#include "platform/gwes/controls/static.h"
#include "platform/gwes/controls/trackbar.h"
#include "platform/gwes/controls/up_down.h"
#include "platform/gwes/message_queue.h"

namespace gwes {

void RegisterStandardControls() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterButtonClass();
    RegisterStaticClass();
    RegisterEditClass();
    RegisterListBoxClass();
    RegisterComboBoxClass();
    RegisterTrackbarClass();
    RegisterProgressClass();
    RegisterUpDownClass();
    RegisterDateTimePickerClass();
    RegisterMonthCalendarClass();
  });
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
               reinterpret_cast<LPARAM>(control));
}

void RegisterControlClass(LPCWSTR className, WNDPROC proc) {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = 4;
  wc.lpszClassName = className;
  RegisterClassW(&wc);
}

}  // namespace gwes
