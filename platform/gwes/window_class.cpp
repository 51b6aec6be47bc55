#include "platform/gwes/window_class.h"

#include <algorithm>
#include <vector>

#include "platform/gwes/window_internal.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"

namespace gwes::detail {
namespace {

std::vector<std::shared_ptr<WindowClass>> g_classes;
ATOM g_nextAtom = 0xC000;

std::shared_ptr<WindowClass> FindClassLocked(LPCWSTR nameOrAtom) {
  if (!nameOrAtom) return nullptr;
  if (IS_INTRESOURCE(nameOrAtom)) {
    auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom));
    for (auto& cls : g_classes)
      if (cls->atom == atom) return cls;
    return nullptr;
  }
  auto name = kernel::WideView(nameOrAtom);
  for (auto& cls : g_classes)
    if (kernel::EqualsNoCase(cls->name, name)) return cls;
  return nullptr;
}

}  // namespace

std::shared_ptr<WindowClass> FindClass(LPCWSTR nameOrAtom) {
  std::lock_guard guard(WindowLock());
  return FindClassLocked(nameOrAtom);
}

}  // namespace gwes::detail

using namespace gwes::detail;

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) ||
      !*wc->lpszClassName || wc->cbWndExtra < 0 || wc->cbClsExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard guard(WindowLock());
  if (FindClassLocked(wc->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  if (g_nextAtom == 0xFFFF) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  auto cls = std::make_shared<WindowClass>();
  cls->atom = g_nextAtom++;
  cls->name = kernel::WideView(wc->lpszClassName);
  cls->style = wc->style;
  cls->proc = wc->lpfnWndProc;
  cls->clsExtra = wc->cbClsExtra;
  cls->wndExtra = wc->cbWndExtra;
  cls->instance = wc->hInstance;
  cls->icon = wc->hIcon;
  cls->cursor = wc->hCursor;
  cls->background = wc->hbrBackground;
  g_classes.push_back(cls);
  return cls->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  std::lock_guard guard(WindowLock());
  auto cls = FindClassLocked(className);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (cls->windowCount > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  std::erase(g_classes, cls);
  return TRUE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, WNDCLASSW* wc) {
  std::lock_guard guard(WindowLock());
  auto cls = FindClassLocked(className);
  if (!cls || !wc) {
    SetLastError(cls ? ERROR_INVALID_PARAMETER : ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  *wc = WNDCLASSW{cls->style, cls->proc, cls->clsExtra, cls->wndExtra, cls->instance, cls->icon,
                  cls->cursor, cls->background, nullptr, nullptr};
  return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window || !buffer || maxCount <= 0) return 0;
  int count = std::min<int>(static_cast<int>(window->cls->name.size()), maxCount - 1);
  std::copy_n(window->cls->name.data(), count, buffer);
  buffer[count] = 0;
  return count;
}
