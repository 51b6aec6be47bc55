// A fixture for the standard and common controls: a 320 x 240 visible popup as the parent,
// recording what its controls tell it as readable events: WM_COMMAND as "CODE(id)", WM_DRAWITEM,
// WM_NOTIFY as "CODE(id) detail" (the date or time it carries) and WM_VSCROLL as
// "WM_VSCROLL(SB_CODE,pos)".
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gwes/controls/button.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/controls/date_time_picker.h"
#include "platform/gwes/controls/edit.h"
#include "platform/gwes/controls/month_calendar.h"
#include "platform/gwes/controls/static.h"
#include "platform/gwes/controls/up_down.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/input.h"
#include "tests/platform/gwes/message_log.h"
#include "tests/support/test_device.h"

namespace gwes_test {

inline COLORREF ScreenColour(int x, int y) {
  return gwes::ColourOf(gwes::Screen()->At(x, y) & gwes::kColourBits);
}

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

#define GWES_TEST_NAMED(code) {code, #code}

class ControlTest : public ::testing::Test {
 protected:
  using Events = std::vector<std::string>;

  void SetUp() override {
    DestroyAllWindows();
    gwes::PostStylus(gwes::StylusAction::Up, 0, 0);  // no press left over from another test
    Pump();
    gwes::RegisterStandardControls();
    gwes::RegisterDateTimePickerClass();
    gwes::RegisterMonthCalendarClass();
    gwes::RegisterUpDownClass();
    parent = MakeWindow("parent", WS_POPUP | WS_VISIBLE);
    background = CreateSolidBrush(kBackground);
    log.React(parent, WM_ERASEBKGND, [this](WPARAM wParam, LPARAM) -> LRESULT {
      RECT rect{0, 0, 320, 240};
      FillRect(reinterpret_cast<HDC>(wParam), &rect, background);
      return 1;
    });
    log.React(parent, WM_COMMAND, [this](WPARAM wParam, LPARAM) -> LRESULT {
      events.push_back(CommandName(HIWORD(wParam)) + "(" + std::to_string(LOWORD(wParam)) + ")");
      return 0;
    });
    log.React(parent, WM_DRAWITEM, [this](WPARAM, LPARAM lParam) -> LRESULT {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      std::string text = "draw(" + std::to_string(item->CtlID) + ")";
      text += item->itemAction == ODA_DRAWENTIRE ? " entire" : item->itemAction == ODA_SELECT ? " select" : " focus";
      if (item->itemState & ODS_SELECTED) text += " pressed";
      if (item->itemState & ODS_FOCUS) text += " focused";
      if (item->itemState & ODS_DISABLED) text += " disabled";
      events.push_back(text);
      return TRUE;
    });
    log.React(parent, WM_NOTIFY, [this](WPARAM, LPARAM lParam) -> LRESULT {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      auto name = notifyNames.find(header->code);
      std::string text = (name != notifyNames.end() ? name->second : std::to_string(static_cast<int>(header->code))) +
                         "(" + std::to_string(header->idFrom) + ")";
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
      events.push_back("WM_VSCROLL(" + name + "," + std::to_string(static_cast<short>(HIWORD(wParam))) + ")");
      return 0;
    });
    Pump();  // the parent's background is on the screen before any control
  }
  void TearDown() override {
    DestroyAllWindows();
    DeleteObject(background);
  }

  HWND Make(const char16_t* cls, const char16_t* text, DWORD style, RECT rect, int id) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr,
                           nullptr);
  }
  static LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(hwnd, msg, wParam, lParam);
  }
  static LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, const void* pointer) {
    return SendMessageW(hwnd, msg, wParam, reinterpret_cast<LPARAM>(pointer));
  }
  // Dispatches everything pending and returns the events since the last call.
  Events Drain() {
    Pump();
    return std::exchange(events, {});
  }
  Events Focus(HWND hwnd) {
    SetFocus(hwnd);
    return Drain();
  }
  // Presses and lets go of each key, taps or types, then drains.
  Events AfterKeys(const std::vector<BYTE>& vks) {
    Keys(vks);
    return Drain();
  }
  Events AfterTap(int x, int y) {
    Tap(x, y);
    return Drain();
  }
  Events AfterTyping(std::u16string_view text) {
    Type(text);
    return Drain();
  }
  // Lets `ms` of virtual time pass, then drains.
  Events After(DWORD ms) {
    gwes::AdvanceTime(ms);
    return Drain();
  }
  void Tap(int x, int y) {
    Press(x, y);
    Release(x, y);
  }
  // A tap that does not pair up with the one before as a double tap, and what it caused.
  Events TapAlone(int x, int y) {
    NextTap();
    Tap(x, y);
    return Drain();
  }
  void Key(BYTE vk) {
    gwes::PostKey(vk, true);
    gwes::PostKey(vk, false);
  }
  void Keys(const std::vector<BYTE>& vks) {
    for (BYTE vk : vks) Key(vk);
  }
  static void Type(std::u16string_view text) {
    for (char16_t ch : text) gwes::PostChar(ch);
  }
  static void Press(int x, int y) { gwes::PostStylus(gwes::StylusAction::Down, x, y); }
  static void MoveTo(int x, int y) { gwes::PostStylus(gwes::StylusAction::Move, x, y); }
  static void Release(int x, int y) { gwes::PostStylus(gwes::StylusAction::Up, x, y); }
  // Lets the double-tap time pass, so the next tap is a single one.
  static void NextTap() { gwes::AdvanceTime(GetDoubleClickTime() + 1); }
  static std::u16string Text(HWND hwnd) {
    char16_t buffer[64] = {};
    GetWindowTextW(hwnd, buffer, 64);
    return buffer;
  }
  static RECT Rect(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
  }

  static constexpr COLORREF kBackground = RGB(0, 0, 255);
  testing_support::TouchDevice device;  // a virtual clock: taps at one instant pair up as double taps
  MessageLog& log = MessageLog::Get();
  HWND parent = nullptr;
  HBRUSH background = nullptr;
  std::vector<std::string> events;
  std::map<WORD, std::string> commandNames;  // WM_COMMAND codes named in the events; others are numbers
  virtual std::string CommandName(WORD code) {
    auto name = commandNames.find(code);
    return name != commandNames.end() ? name->second : std::to_string(code);
  }
  const std::map<UINT, std::string> notifyNames = {
      GWES_TEST_NAMED(NM_SETFOCUS),   GWES_TEST_NAMED(NM_KILLFOCUS),   GWES_TEST_NAMED(DTN_DATETIMECHANGE),
      GWES_TEST_NAMED(MCN_SELCHANGE), GWES_TEST_NAMED(MCN_SELECT),     GWES_TEST_NAMED(MCN_SELECTNONE),
      GWES_TEST_NAMED(UDN_DELTAPOS)};
  LRESULT deltaAnswer = 0;  // what the parent answers to WM_NOTIFY (non-zero refuses an up-down step)
};

}  // namespace gwes_test
