#include "sim/window_dump.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>
#include <map>
#include <mutex>

#include "platform/afx/wnd.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/messages.h"
#include "platform/gwes/window.h"
#include "platform/gwes/window_class.h"
#include "platform/kernel/wide_string.h"
#include "sim/control_dump_fields.h"

namespace sim {
namespace {

std::mutex g_lock;
std::map<std::u16string, std::function<std::string(HWND)>> g_fields;

std::string Handle(HWND hwnd) {
  return hwnd == nullptr ? "null" : std::to_string(reinterpret_cast<ULONG_PTR>(hwnd));
}

std::u16string ClassName(HWND hwnd) {
  WCHAR name[256] = {};
  int length = GetClassNameW(hwnd, name, 256);
  return std::u16string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::u16string Text(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

}  // namespace

std::string WindowTypeName(HWND hwnd) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (wnd == nullptr) return {};
  const char* mangled = typeid(*wnd).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? name.get() : mangled;
}

namespace {

const char* Bool(bool value) { return value ? "true" : "false"; }

void DumpWindow(HWND hwnd, std::string& out) {
  std::u16string className = ClassName(hwnd);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  std::string type = WindowTypeName(hwnd);
  std::function<std::string(HWND)> fields;
  {
    std::lock_guard guard(g_lock);
    if (auto it = g_fields.find(kernel::FoldCase(className)); it != g_fields.end()) fields = it->second;
  }
  auto exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
  out += "{\"hwnd\":" + Handle(hwnd) + ",\"parent\":" + Handle(GetParent(hwnd)) + ",\"class\":" +
         JsonString(className) + ",\"type\":" + (type.empty() ? "null" : JsonString(kernel::Utf8ToWide(type))) +
         ",\"id\":" + std::to_string(GetDlgCtrlID(hwnd)) + ",\"text\":" + JsonString(Text(hwnd)) +
         ",\"x\":" + std::to_string(rect.left) + ",\"y\":" + std::to_string(rect.top) +
         ",\"w\":" + std::to_string(rect.right - rect.left) + ",\"h\":" + std::to_string(rect.bottom - rect.top) +
         ",\"visible\":" + Bool(IsWindowVisible(hwnd)) + ",\"enabled\":" + Bool(IsWindowEnabled(hwnd)) +
         ",\"focus\":" + Bool(GetFocus() == hwnd) + ",\"foreground\":" + Bool(GetForegroundWindow() == hwnd) +
         ",\"topmost\":" + Bool((exStyle & WS_EX_TOPMOST) != 0);
  if (fields) out += fields(hwnd);
  out += "}\n";
  for (HWND child : gwes::ChildWindowList(hwnd)) DumpWindow(child, out);
}

}  // namespace

std::string JsonString(std::u16string_view text) {
  std::string out = "\"";
  for (char c : kernel::WideToUtf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string DumpWindows() {
  RegisterControlDumpFields();
  std::string out;
  for (HWND hwnd : gwes::TopLevelWindowList()) DumpWindow(hwnd, out);
  return out;
}

void RegisterDumpFields(const std::u16string& className, std::function<std::string(HWND)> fields) {
  std::lock_guard guard(g_lock);
  g_fields[kernel::FoldCase(className)] = std::move(fields);
}

}  // namespace sim
