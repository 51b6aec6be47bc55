#include "platform/gwes/window.h"

#include <algorithm>

#include "platform/gwes/focus.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/queue_internal.h"
#include "platform/gwes/surface.h"
#include "platform/gwes/window_internal.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"

namespace gwes::detail {
namespace {

void SendDestroyMessages(HWND hwnd) {
  if (GetCapture() == hwnd) ReleaseCapture();
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  for (HWND child : gwes::ChildWindowList(hwnd))
    if (IsWindow(child)) SendDestroyMessages(child);
}

void FreeWindow(HWND hwnd) {
  for (HWND child : gwes::ChildWindowList(hwnd))
    if (IsWindow(child)) FreeWindow(child);
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  std::lock_guard guard(WindowLock());
  RemoveWindow(hwnd);
}

}  // namespace
}  // namespace gwes::detail

using namespace gwes::detail;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  auto cls = FindClass(className);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  bool child = style & WS_CHILD;
  if (child && !parent) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  EnsureCurrentQueue();  // the creating thread's queue delivers the window's messages
  HWND hwnd;
  {
    std::lock_guard guard(WindowLock());
    if (parent && !FindOrFail(parent)) return nullptr;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
      width = child ? 0 : gwes::kScreenWidth;
      height = child ? 0 : gwes::kScreenHeight;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);

    auto window = std::make_unique<Window>();
    window->cls = cls;
    window->style = style & ~WS_VISIBLE;
    window->exStyle = child ? exStyle & ~WS_EX_TOPMOST : exStyle;
    window->parent = child ? parent : nullptr;
    window->owner = child ? nullptr : RootOf(parent);
    window->rect = RECT{x, y, x + width, y + height};
    window->text = kernel::WideView(windowName);
    window->proc = cls->proc;
    window->instance = instance;
    window->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
    window->extra.assign((cls->wndExtra + 3) / 4, 0);
    window->thread = std::this_thread::get_id();
    cls->windowCount++;
    hwnd = InsertWindow(std::move(window));
  }
  CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                   windowName, className, exStyle};
  if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
  SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
  if ((style & WS_VISIBLE) && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  bool child;
  bool visible;
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return FALSE;
    if (window->thread != std::this_thread::get_id()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (window->destroying) return TRUE;
    child = window->style & WS_CHILD;
    visible = window->style & WS_VISIBLE;
  }
  if (visible) {
    if (child)
      ShowWindow(hwnd, SW_HIDE);
    else
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  }
  if (!IsWindow(hwnd)) return TRUE;
  if (GetActiveWindow() == hwnd) ActivateOtherWindow(hwnd);

  std::vector<HWND> owned;
  {
    std::lock_guard guard(WindowLock());
    for (HWND top : TopLevelWindows()) {
      Window* other = Find(top);
      if (other->owner == hwnd && other->thread == std::this_thread::get_id()) owned.push_back(top);
    }
  }
  for (HWND window : owned)
    if (IsWindow(window)) DestroyWindow(window);

  {
    std::lock_guard guard(WindowLock());
    Window* window = Find(hwnd);
    if (!window) return TRUE;
    std::vector<HWND> all{hwnd};
    CollectDescendants(hwnd, all);
    for (HWND each : all) Find(each)->destroying = true;
  }
  SendDestroyMessages(hwnd);
  if (IsWindow(hwnd)) FreeWindow(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  return Find(hwnd) != nullptr;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT: {
      std::lock_guard guard(WindowLock());
      Window* window = FindOrFail(hwnd);
      if (!window) return FALSE;
      window->text = kernel::WideView(reinterpret_cast<LPCWSTR>(lParam));
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      auto max = static_cast<std::size_t>(wParam);
      std::lock_guard guard(WindowLock());
      Window* window = FindOrFail(hwnd);
      if (!window || !buffer || max == 0) return 0;
      std::size_t count = std::min(window->text.size(), max - 1);
      std::copy_n(window->text.data(), count, buffer);
      buffer[count] = 0;
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard guard(WindowLock());
      Window* window = FindOrFail(hwnd);
      return window ? static_cast<LRESULT>(window->text.size()) : 0;
    }
    case WM_SETICON:
    case WM_GETICON: {
      std::lock_guard guard(WindowLock());
      Window* window = FindOrFail(hwnd);
      if (!window) return 0;
      HICON& icon = wParam == ICON_BIG ? window->bigIcon : window->smallIcon;
      HICON previous = icon;
      if (msg == WM_SETICON) icon = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(previous);
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return gwes::EraseWithClassBrush(hwnd, reinterpret_cast<HDC>(wParam)) ? 1 : 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      RECT rect{};
      {
        std::lock_guard guard(WindowLock());
        Window* window = Find(hwnd);
        if (!window || !pos) return 0;
        rect = window->rect;
      }
      if (!(pos->flags & SWP_NOCLIENTMOVE))
        SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(rect.left), static_cast<WORD>(rect.top)));
      if (!(pos->flags & SWP_NOCLIENTSIZE))
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED,
                     MAKELPARAM(static_cast<WORD>(rect.right - rect.left), static_cast<WORD>(rect.bottom - rect.top)));
      return 0;
    }
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    default:
      return 0;
  }
}

LONG_PTR GetWindowLongW(HWND hwnd, int index) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window) return 0;
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(window->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window->parent ? window->parent : window->owner);
    case GWL_ID: return window->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(window->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(window->exStyle);
    case GWL_USERDATA: return window->userData;
    default: break;
  }
  if (index < 0 || index % 4 != 0 || index + 4 > window->cls->wndExtra) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return window->extra[static_cast<std::size_t>(index / 4)];
}

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window) return 0;
  LONG_PTR previous = 0;
  switch (index) {
    case GWL_WNDPROC:
      previous = reinterpret_cast<LONG_PTR>(window->proc);
      window->proc = reinterpret_cast<WNDPROC>(value);
      return previous;
    case GWL_HINSTANCE:
      previous = reinterpret_cast<LONG_PTR>(window->instance);
      window->instance = reinterpret_cast<HINSTANCE>(value);
      return previous;
    case GWL_HWNDPARENT:
      if (window->parent) break;  // a child's parent does not change this way
      previous = reinterpret_cast<LONG_PTR>(window->owner);
      window->owner = RootOf(reinterpret_cast<HWND>(value));
      return previous;
    case GWL_ID:
      std::swap(previous, window->id);
      window->id = value;
      return previous;
    case GWL_STYLE:
      previous = static_cast<LONG_PTR>(window->style);
      window->style = static_cast<DWORD>(value);
      return previous;
    case GWL_EXSTYLE:
      // Top-most status changes only through SetWindowPos, which also moves the window.
      previous = static_cast<LONG_PTR>(window->exStyle);
      window->exStyle = (static_cast<DWORD>(value) & ~WS_EX_TOPMOST) | (window->exStyle & WS_EX_TOPMOST);
      return previous;
    case GWL_USERDATA:
      previous = window->userData;
      window->userData = value;
      return previous;
    default:
      break;
  }
  if (index < 0 || index % 4 != 0 || index + 4 > window->cls->wndExtra) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  auto& slot = window->extra[static_cast<std::size_t>(index / 4)];
  previous = slot;
  slot = value;
  return previous;
}

HWND GetParent(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window) return nullptr;
  if (window->style & WS_CHILD) return window->parent;
  if (window->style & WS_POPUP) return window->owner;
  return nullptr;
}

HWND GetWindow(HWND hwnd, UINT relation) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window) return nullptr;
  if (relation == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
  if (relation == GW_OWNER) return window->owner;
  const auto& siblings = SiblingsOf(*window);
  auto self = std::find(siblings.begin(), siblings.end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return self + 1 == siblings.end() ? nullptr : *(self + 1);
    case GW_HWNDPREV: return self == siblings.begin() ? nullptr : *(self - 1);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND GetTopWindow(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  if (!hwnd) return TopLevelWindows().empty() ? nullptr : TopLevelWindows().front();
  return GetWindow(hwnd, GW_CHILD);
}

BOOL IsChild(HWND parent, HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* window = Find(hwnd);
  return window && window->parent && IsSelfOrDescendant(window->parent, parent);
}

HWND GetDlgItem(HWND dialog, int id) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(dialog);
  if (!window) return nullptr;
  for (HWND child : window->children)
    if (Find(child)->id == id) return child;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  return window ? static_cast<int>(window->id) : 0;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  std::shared_ptr<WindowClass> cls;
  if (className) {
    cls = FindClass(className);
    if (!cls) return nullptr;
  }
  std::lock_guard guard(WindowLock());
  for (HWND top : TopLevelWindows()) {
    Window* window = Find(top);
    if (cls && window->cls != cls) continue;
    if (windowName && !kernel::EqualsNoCase(window->text, kernel::WideView(windowName))) continue;
    return top;
  }
  return nullptr;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  buffer[0] = 0;
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  bool wasDisabled;
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return FALSE;
    wasDisabled = window->style & WS_DISABLED;
    if (enable && wasDisabled) window->style &= ~WS_DISABLED;
  }
  if (enable && wasDisabled) {
    SendMessageW(hwnd, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    SendMessageW(hwnd, WM_CANCELMODE, 0, 0);
    bool focusInside;
    {
      std::lock_guard guard(WindowLock());
      Window* window = Find(hwnd);
      if (!window) return FALSE;
      window->style |= WS_DISABLED;
      HWND focus = GetFocus();
      focusInside = focus && IsSelfOrDescendant(focus, hwnd);
    }
    // A disabled window cannot keep the focus, nor can the windows inside it.
    if (focusInside) SetFocus(nullptr);
    SendMessageW(hwnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  return window && !(window->style & WS_DISABLED);
}

BOOL IsWindowVisible(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* window = Find(hwnd);
  return window && VisibleChain(*window);
}
