#include "platform/afx/wnd.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "platform/gwes/focus.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/surface.h"
#include "platform/gwes/timers.h"

namespace {

// HWND -> bound object, shared by every thread of the process.
std::mutex g_mapLock;
std::unordered_map<HWND, CWnd*>& HandleMap() {
  static std::unordered_map<HWND, CWnd*> map;
  return map;
}

void MapInsert(HWND hwnd, CWnd* wnd) {
  std::lock_guard lock(g_mapLock);
  HandleMap()[hwnd] = wnd;
}

void MapErase(HWND hwnd) {
  std::lock_guard lock(g_mapLock);
  HandleMap().erase(hwnd);
}

// Temporary objects for windows nobody bound, per thread; dropped once their window is gone.
thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> t_temporaries;

// The object a CreateEx call is creating, bound by the framework's procedure at the first message.
thread_local CWnd* t_creating = nullptr;

constexpr char16_t kFrameworkClass[] = u"AfxWnd";

void RegisterFrameworkClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = AfxWndProc;
    wc.lpszClassName = kFrameworkClass;
    RegisterClassW(&wc);
  });
}

POINT PointFromLParam(LPARAM lParam) {
  return POINT{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
}

// The child a notification at a parent comes from, or null when it does not name one.
HWND NotifyingChild(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(lParam);
    case WM_DRAWITEM:
      // wParam is the control's id (0 for menus, which have no window).
      return wParam ? ::GetDlgItem(parent, static_cast<int>(wParam)) : nullptr;
    case WM_NOTIFY:
      // The notify header starts with the sending window.
      return lParam ? *reinterpret_cast<const HWND*>(lParam) : nullptr;
    default:
      return nullptr;
  }
}

}  // namespace

CWnd::CWnd() = default;

const CWnd CWnd::wndTop{HWND_TOP};
const CWnd CWnd::wndTopMost{HWND_TOPMOST};
const CWnd CWnd::wndNoTopMost{HWND_NOTOPMOST};

CWnd::~CWnd() {
  *m_alive = false;
  if (!m_hWnd || m_temporary) return;
  HWND hwnd = m_hWnd;
  if (FromHandlePermanent(hwnd) == this) {
    if (m_pfnSuper) UnsubclassWindow();
    else Detach();
  }
  if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (!hwnd) return nullptr;
  std::lock_guard lock(g_mapLock);
  auto found = HandleMap().find(hwnd);
  return found == HandleMap().end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (CWnd* bound = FromHandlePermanent(hwnd)) return bound;
  for (auto it = t_temporaries.begin(); it != t_temporaries.end();) {
    if (::IsWindow(it->first)) {
      ++it;
    } else {
      it = t_temporaries.erase(it);
    }
  }
  if (!::IsWindow(hwnd)) return nullptr;
  auto& slot = t_temporaries[hwnd];
  if (!slot) {
    slot = std::make_unique<CWnd>();
    slot->m_hWnd = hwnd;
    slot->m_temporary = true;
  }
  return slot.get();
}

BOOL CWnd::Attach(HWND hwnd) {
  if (m_hWnd || !::IsWindow(hwnd) || FromHandlePermanent(hwnd)) return FALSE;
  m_hWnd = hwnd;
  MapInsert(hwnd, this);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd && !m_temporary) MapErase(hwnd);
  m_hWnd = nullptr;
  return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  PreSubclassWindow();
  auto previous = reinterpret_cast<WNDPROC>(::SetWindowLongW(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  // A window of the framework's own class needs no second pass through the framework.
  m_pfnSuper = previous == &AfxWndProc ? nullptr : previous;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (!parent) return FALSE;
  HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
  return control ? SubclassWindow(control) : FALSE;
}

void CWnd::PreSubclassWindow() {}

HWND CWnd::UnsubclassWindow() {
  if (!m_hWnd) return nullptr;
  if (m_pfnSuper) ::SetWindowLongW(m_hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, UINT id) {
  if (m_hWnd) return FALSE;
  bool ownClass = className == nullptr;
  if (ownClass) {
    RegisterFrameworkClass();
    className = kFrameworkClass;
  }
  CWnd* outer = t_creating;
  t_creating = ownClass ? this : nullptr;
  HWND hwnd = ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr);
  t_creating = outer;
  if (!hwnd) return FALSE;
  if (!ownClass) return SubclassWindow(hwnd);
  return m_hWnd == hwnd;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
void CWnd::SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }

std::u16string CWnd::GetWindowText() const {
  std::u16string text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, u'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

int CWnd::GetWindowText(LPWSTR buffer, int maxCount) const { return ::GetWindowTextW(m_hWnd, buffer, maxCount); }
void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}
BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return ::SendMessageW(m_hWnd, msg, wParam, lParam); }
BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return ::PostMessageW(m_hWnd, msg, wParam, lParam); }
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }

void CWnd::CenterWindow(CWnd* alternateOwner) {
  RECT own{};
  ::GetWindowRect(m_hWnd, &own);
  int width = own.right - own.left;
  int height = own.bottom - own.top;
  HWND parent = ::GetParent(m_hWnd);
  bool child = (GetStyle() & WS_CHILD) != 0 && parent != nullptr;
  RECT area{0, 0, gwes::kScreenWidth, gwes::kScreenHeight};
  if (child) {
    ::GetClientRect(parent, &area);
  } else if (alternateOwner != nullptr && alternateOwner->m_hWnd != nullptr) {
    ::GetWindowRect(alternateOwner->m_hWnd, &area);
  }
  int x = (area.left + area.right) / 2 - width / 2;
  int y = (area.top + area.bottom) / 2 - height / 2;
  if (!child) {
    x = std::max(0, std::min(x, gwes::kScreenWidth - width));
    y = std::max(0, std::min(y, gwes::kScreenHeight - height));
  }
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  DWORD style = GetStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
  if (flags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(msg, wParam, lParam, &result)) result = DefWindowProc(msg, wParam, lParam);
  return result;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam); }

BOOL CWnd::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return ReflectChildNotify(msg, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

BOOL CWnd::ReflectLastMsg(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  CWnd* wnd = FromHandlePermanent(child);
  if (!wnd) return FALSE;
  return wnd->OnChildNotify(msg, wParam, lParam, result);
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (HWND child = NotifyingChild(m_hWnd, msg, wParam, lParam)) {
    if (child != m_hWnd && ReflectLastMsg(child, msg, wParam, lParam, result)) return TRUE;
  }
  switch (msg) {
    case WM_CREATE:
      *result = OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return TRUE;
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_ERASEBKGND:
      *result = OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) {
        *result = 0;
        return TRUE;
      }
      return FALSE;
    case WM_KEYDOWN:
      OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_KEYUP:
      OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_CHAR:
      OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_LBUTTONDOWN:
      OnLButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam));
      return TRUE;
    case WM_LBUTTONUP:
      OnLButtonUp(static_cast<UINT>(wParam), PointFromLParam(lParam));
      return TRUE;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(static_cast<UINT>(wParam), PointFromLParam(lParam));
      return TRUE;
    case WM_MOUSEMOVE:
      OnMouseMove(static_cast<UINT>(wParam), PointFromLParam(lParam));
      return TRUE;
    case WM_SETFOCUS:
      OnSetFocus(reinterpret_cast<HWND>(wParam));
      return TRUE;
    case WM_KILLFOCUS:
      OnKillFocus(reinterpret_cast<HWND>(wParam));
      return TRUE;
    case WM_DRAWITEM:
      OnDrawItem(static_cast<int>(wParam), lParam);
      *result = TRUE;
      return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      *result = reinterpret_cast<LRESULT>(
          OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), msg - WM_CTLCOLORMSGBOX));
      return TRUE;
    case WM_HSCROLL:
      OnHScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_SHOWWINDOW:
      OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

int CWnd::OnCreate(CREATESTRUCTW*) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnLButtonDown(UINT, POINT) { Default(); }
void CWnd::OnLButtonUp(UINT, POINT) { Default(); }
void CWnd::OnLButtonDblClk(UINT, POINT) { Default(); }
void CWnd::OnMouseMove(UINT, POINT) { Default(); }
void CWnd::OnSetFocus(HWND) { Default(); }
void CWnd::OnKillFocus(HWND) { Default(); }
void CWnd::OnDrawItem(int, LPARAM) { Default(); }
HBRUSH CWnd::OnCtlColor(HDC, HWND, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnHScroll(UINT, UINT, HWND) { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::PostNcDestroy() {}

LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd && t_creating && !t_creating->m_hWnd) {
    // The first message of a window CreateEx is making: bind it before anything is handled.
    wnd = t_creating;
    t_creating = nullptr;
    wnd->Attach(hwnd);
  }
  if (!wnd) return ::DefWindowProcW(hwnd, msg, wParam, lParam);

  // The object may be deleted by its own handler; the token tells us not to touch it then.
  std::shared_ptr<bool> alive = wnd->m_alive;
  CWnd::CurrentMessage outer = wnd->m_current;
  wnd->m_current = {msg, wParam, lParam};
  LRESULT result = wnd->WindowProc(msg, wParam, lParam);
  if (!*alive) return result;
  wnd->m_current = outer;
  if (msg == WM_NCDESTROY && wnd->m_hWnd == hwnd) {
    // The window is gone: unbind the object, then let it clean up after itself.
    wnd->m_pfnSuper = nullptr;
    wnd->Detach();
    wnd->PostNcDestroy();
  }
  return result;
}
