// A recording window procedure for message-sequence tests: every message a recording window
// receives is logged as "name:MESSAGE:wParam:lParam" (windows and handle parameters by the names
// the test gave them) before DefWindowProcW handles it. A test can also make a window answer a
// message itself through a per-window reaction.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"

namespace gwes_test {

class MessageLog {
 public:
  static MessageLog& Get() {
    static MessageLog log;
    return log;
  }

  void Name(HWND hwnd, const std::string& name) { m_names[hwnd] = name; }
  // The next unknown window to receive a message gets this name (a window being created).
  void NameNext(const std::string& name) { m_pendingName = name; }
  std::string NameOf(HWND hwnd) const {
    if (!hwnd) return "0";
    auto found = m_names.find(hwnd);
    return found == m_names.end() ? std::to_string(reinterpret_cast<ULONG_PTR>(hwnd)) : found->second;
  }
  // Messages that are not logged (e.g. WM_WINDOWPOSCHANGING when a test is about focus).
  void Ignore(std::set<UINT> messages) { m_ignored = std::move(messages); }
  void Clear() { m_entries.clear(); }
  std::vector<std::string> Take() { return std::exchange(m_entries, {}); }
  void Reset() { *this = MessageLog(); }
  // The window answers `message` with the function's result instead of DefWindowProcW.
  void React(HWND hwnd, UINT message, std::function<LRESULT(WPARAM, LPARAM)> reaction) {
    m_reactions[{hwnd, message}] = std::move(reaction);
  }

  LRESULT Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!m_pendingName.empty() && !m_names.count(hwnd)) m_names[hwnd] = std::exchange(m_pendingName, {});
    if (!m_ignored.count(msg)) m_entries.push_back(Describe(hwnd, msg, wParam, lParam));
    auto reaction = m_reactions.find({hwnd, msg});
    if (reaction != m_reactions.end()) return reaction->second(wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

 private:
  std::string Describe(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) const {
    static const std::map<UINT, std::string> names = {
        {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"}, {WM_SETTEXT, "WM_SETTEXT"}, {WM_GETTEXT, "WM_GETTEXT"},
        {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"}, {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_CANCELMODE, "WM_CANCELMODE"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"}, {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"},
        {WM_TIMER, "WM_TIMER"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"}, {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
        {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_USER, "WM_USER"}};
    auto name = names.find(msg);
    std::string text = NameOf(hwnd) + ":" + (name != names.end() ? name->second : std::to_string(msg)) + ":";
    switch (msg) {
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        return text + NameOf(reinterpret_cast<HWND>(wParam)) + ":" + std::to_string(lParam);
      case WM_ACTIVATE:
      case WM_CAPTURECHANGED:
        return text + std::to_string(wParam) + ":" + NameOf(reinterpret_cast<HWND>(lParam));
      case WM_WINDOWPOSCHANGING:
      case WM_WINDOWPOSCHANGED: {
        char flags[16];
        std::snprintf(flags, sizeof flags, "%#x", reinterpret_cast<const WINDOWPOS*>(lParam)->flags);
        return text + "0:" + flags;
      }
      case WM_CREATE:
      case WM_SETTEXT:
      case WM_GETTEXT:
      case WM_ERASEBKGND:
        return text + (msg == WM_GETTEXT ? std::to_string(wParam) : "*") + ":*";
      default:
        return text + std::to_string(wParam) + ":" + std::to_string(lParam);
    }
  }

  std::vector<std::string> m_entries;
  std::map<HWND, std::string> m_names;
  std::set<UINT> m_ignored;
  std::string m_pendingName;
  std::map<std::pair<HWND, UINT>, std::function<LRESULT(WPARAM, LPARAM)>> m_reactions;
};

inline LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return MessageLog::Get().Record(hwnd, msg, wParam, lParam);
}

inline constexpr char16_t kRecordingClass[] = u"Recording";
inline constexpr char16_t kRecordingDblClass[] = u"RecordingDbl";

inline void RegisterRecordingClasses() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = kRecordingClass;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  RegisterClassW(&wc);
  wc.style = CS_DBLCLKS;
  wc.lpszClassName = kRecordingDblClass;
  RegisterClassW(&wc);
}

// A rectangle, or a window's screen rectangle, as {left, top, right, bottom} for comparisons.
inline std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline std::vector<LONG> Edges(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return Edges(rect);
}

// Creates a named recording window. Children get `id`; top-level windows fill the screen unless
// a rectangle is given.
inline HWND MakeWindow(const std::string& name, DWORD style, HWND parent = nullptr, RECT rect = {0, 0, 320, 240},
                       int id = 0, const char16_t* cls = kRecordingClass, DWORD exStyle = 0) {
  RegisterRecordingClasses();
  MessageLog::Get().NameNext(name);
  HWND hwnd = CreateWindowExW(exStyle, cls, u"", style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)),
                              nullptr, nullptr);
  MessageLog::Get().Name(hwnd, name);
  return hwnd;
}

// Dispatches everything the calling thread's queue holds, then returns.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Destroys every window left over and forgets the log, so each test starts on an empty screen.
inline void DestroyAllWindows() {
  for (HWND top : gwes::TopLevelWindowList())
    if (IsWindow(top)) DestroyWindow(top);
  Pump();
  MessageLog::Get().Reset();
}

}  // namespace gwes_test
