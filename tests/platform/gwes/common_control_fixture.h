// A fixture for the common controls that talk to their parent through WM_NOTIFY and scroll
// messages: the standard controls' fixture, recording each notification as
// "CODE(id) detail" (the date or time it carries) and each WM_VSCROLL as "WM_VSCROLL(SB_CODE,pos)".
#pragma once

#include <cstdio>
#include <string>

#include "platform/gwes/controls/date_time_picker.h"
#include "platform/gwes/controls/month_calendar.h"
#include "platform/gwes/controls/up_down.h"
#include "tests/platform/gwes/control_fixture.h"

namespace gwes_test {

inline std::string Joined(const char* format, WORD a, WORD b, WORD c) {
  char text[32];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}
inline std::string DateText(const SYSTEMTIME& t) { return Joined("%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay); }
inline std::string TimeText(const SYSTEMTIME& t) { return Joined("%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond); }

inline SYSTEMTIME Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  return SYSTEMTIME{year, month, 0, day, hour, minute, second, 0};
}

class CommonControlTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    gwes::RegisterDateTimePickerClass();
    gwes::RegisterMonthCalendarClass();
    gwes::RegisterUpDownClass();
    log.React(parent, WM_NOTIFY, [this](WPARAM, LPARAM lParam) -> LRESULT {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      std::string text = NotifyName(header->code) + "(" + std::to_string(header->idFrom) + ")";
      if (header->code == DTN_DATETIMECHANGE)
        text += " " + TimeText(reinterpret_cast<const NMDATETIMECHANGE*>(lParam)->st);
      if (header->code == MCN_SELCHANGE || header->code == MCN_SELECT)
        text += " " + DateText(reinterpret_cast<const NMSELCHANGE*>(lParam)->stSelStart);
      events.push_back(text);
      return deltaAnswer;
    });
    log.React(parent, WM_VSCROLL, [this](WPARAM wParam, LPARAM) -> LRESULT {
      WORD code = LOWORD(wParam);
      std::string name = code == SB_THUMBPOSITION ? "SB_THUMBPOSITION" : code == SB_ENDSCROLL ? "SB_ENDSCROLL"
                                                                                               : std::to_string(code);
      events.push_back("WM_VSCROLL(" + name + "," +
                       std::to_string(static_cast<short>(HIWORD(wParam))) + ")");
      return 0;
    });
  }

  static std::string NotifyName(UINT code) {
    switch (code) {
      case NM_SETFOCUS: return "NM_SETFOCUS";
      case NM_KILLFOCUS: return "NM_KILLFOCUS";
      case DTN_DATETIMECHANGE: return "DTN_DATETIMECHANGE";
      case MCN_SELCHANGE: return "MCN_SELCHANGE";
      case MCN_SELECT: return "MCN_SELECT";
      case MCN_SELECTNONE: return "MCN_SELECTNONE";
      case UDN_DELTAPOS: return "UDN_DELTAPOS";
      default: return std::to_string(static_cast<int>(code));
    }
  }

  LRESULT deltaAnswer = 0;  // what the parent answers to WM_NOTIFY (non-zero refuses an up-down step)
};

}  // namespace gwes_test
