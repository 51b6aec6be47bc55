// Showing, hiding, moving, sizing and stacking windows, coordinates and hit testing.
#include <algorithm>

#include "platform/gwes/focus.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/window.h"
#include "platform/gwes/window_internal.h"
#include "platform/kernel/last_error.h"

using namespace gwes::detail;

namespace {

constexpr UINT kNoPosChange = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER;
constexpr UINT kStatusFlags = kNoPosChange | SWP_FRAMECHANGED | SWP_HIDEWINDOW | SWP_SHOWWINDOW;

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

std::size_t CountTopMost(const std::vector<HWND>& list, HWND except) {
  std::size_t count = 0;
  for (HWND each : list)
    if (each != except && (Find(each)->exStyle & WS_EX_TOPMOST)) ++count;
  return count;
}

// Where the window lands in its sibling list and whether it is top-most there.
struct Placement {
  std::size_t index;
  bool topMost;
};

Placement PlaceFor(Window& window, HWND after) {
  auto list = SiblingsOf(window);
  std::erase(list, window.hwnd);
  bool topLevel = !window.parent;
  bool topMost = window.exStyle & WS_EX_TOPMOST;
  if (!topLevel) {
    if (after == HWND_TOPMOST || after == HWND_NOTOPMOST) after = HWND_TOP;
    if (after == HWND_TOP) return {0, false};
    if (after == HWND_BOTTOM) return {list.size(), false};
    auto at = std::find(list.begin(), list.end(), after);
    return {static_cast<std::size_t>(at - list.begin()) + 1, false};
  }
  std::size_t topMostCount = CountTopMost(list, window.hwnd);
  if (after == HWND_TOPMOST) return {0, true};
  if (after == HWND_NOTOPMOST) return {topMostCount, false};
  if (after == HWND_TOP) return {topMost ? 0 : topMostCount, topMost};
  if (after == HWND_BOTTOM) return {list.size(), false};
  auto at = std::find(list.begin(), list.end(), after);
  // Stacked right below a top-most window the window becomes top-most; below any other it is not.
  return {static_cast<std::size_t>(at - list.begin()) + 1, (Find(after)->exStyle & WS_EX_TOPMOST) != 0};
}

// Keeps the windows a top-level window owns right above it, as Win32 does; returns the windows it
// had to raise.
std::vector<HWND> RaiseOwnedWindows(HWND owner) {
  std::vector<HWND> raised;
  auto& list = TopLevelWindows();
  std::vector<HWND> owned;
  for (HWND each : list) {
    HWND chain = Find(each)->owner;
    while (chain && chain != owner) chain = Find(chain) ? Find(chain)->owner : nullptr;
    if (chain == owner) owned.push_back(each);
  }
  bool ownerTopMost = Find(owner)->exStyle & WS_EX_TOPMOST;
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    Window* each = Find(*it);
    if (!ownerTopMost && (each->exStyle & WS_EX_TOPMOST)) continue;
    auto self = std::find(list.begin(), list.end(), *it);
    auto ownerAt = std::find(list.begin(), list.end(), owner);
    if (self < ownerAt) continue;
    raised.push_back(*it);
    list.erase(self);
    list.insert(std::find(list.begin(), list.end(), owner), *it);
  }
  return raised;
}

bool CanActivate(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* window = Find(hwnd);
  return window && !window->parent && (window->style & WS_VISIBLE) && !(window->style & WS_DISABLED) &&
         !(window->exStyle & WS_EX_NOACTIVATE);
}

}  // namespace

namespace gwes::detail {

void ActivateOtherWindow(HWND hwnd) {
  HWND next = nullptr;
  {
    std::lock_guard guard(WindowLock());
    Window* window = Find(hwnd);
    if (window && (window->style & WS_POPUP) && window->owner && CanActivate(RootOf(window->owner))) {
      next = RootOf(window->owner);
    } else {
      for (HWND top : TopLevelWindows())
        if (top != hwnd && CanActivate(top)) {
          next = top;
          break;
        }
    }
  }
  SetActiveWindowInternal(next, false, true);
}

}  // namespace gwes::detail

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  WINDOWPOS pos{};
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return FALSE;
    if (!(flags & SWP_NOZORDER) && insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM &&
        insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
      Window* after = FindOrFail(insertAfter);
      if (!after) return FALSE;
      if (after->parent != window->parent) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
    }
    bool visible = window->style & WS_VISIBLE;
    if (visible) flags &= ~SWP_SHOWWINDOW;
    if (!visible) flags &= ~SWP_HIDEWINDOW;
    const RECT& r = window->rect;
    if (flags & SWP_NOMOVE) x = r.left, y = r.top;
    if (flags & SWP_NOSIZE) cx = r.right - r.left, cy = r.bottom - r.top;
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    if (x == r.left && y == r.top) flags |= SWP_NOMOVE;
    if (cx == r.right - r.left && cy == r.bottom - r.top) flags |= SWP_NOSIZE;
    // As Win32: a window stacked after itself or after the window already right above it keeps
    // its place; HWND_TOP and the other markers always count as a z-order request.
    if (!(flags & SWP_NOZORDER) && insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM &&
        insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
      const auto& siblings = SiblingsOf(*window);
      auto after = std::find(siblings.begin(), siblings.end(), insertAfter);
      if (insertAfter == hwnd || (after != siblings.end() && after + 1 != siblings.end() && *(after + 1) == hwnd))
        flags |= SWP_NOZORDER;
    }
    pos = WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags};
  }
  if (!(pos.flags & SWP_NOSENDCHANGING)) {
    SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!IsWindow(hwnd)) return FALSE;
  }

  ExposeState before = CaptureExposeState(hwnd);
  bool restacked = false;
  bool hidden = false;
  std::vector<HWND> raisedOwned;
  {
    std::lock_guard guard(WindowLock());
    Window* window = Find(hwnd);
    if (!window) return FALSE;
    RECT& r = window->rect;
    if (pos.x == r.left && pos.y == r.top) pos.flags |= SWP_NOMOVE | SWP_NOCLIENTMOVE;
    if (pos.cx == r.right - r.left && pos.cy == r.bottom - r.top) pos.flags |= SWP_NOSIZE | SWP_NOCLIENTSIZE;
    if (!(pos.flags & SWP_NOMOVE) || !(pos.flags & SWP_NOSIZE))
      r = RECT{pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0)};
    bool validAfter = !pos.hwndInsertAfter || pos.hwndInsertAfter == HWND_BOTTOM || pos.hwndInsertAfter == HWND_TOPMOST ||
                      pos.hwndInsertAfter == HWND_NOTOPMOST || Find(pos.hwndInsertAfter);
    if (!(pos.flags & SWP_NOZORDER) && validAfter) {
      auto& siblings = SiblingsOf(*window);
      std::vector<HWND> previousOrder = siblings;
      DWORD previousExStyle = window->exStyle;
      Placement place = PlaceFor(*window, pos.hwndInsertAfter);
      std::erase(siblings, hwnd);
      siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(std::min(place.index, siblings.size())), hwnd);
      if (!window->parent) {
        window->exStyle = place.topMost ? window->exStyle | WS_EX_TOPMOST : window->exStyle & ~WS_EX_TOPMOST;
        if (!(pos.flags & SWP_NOOWNERZORDER)) raisedOwned = RaiseOwnedWindows(hwnd);
      }
      restacked = previousOrder != SiblingsOf(*window) || previousExStyle != window->exStyle;
    }
    if (pos.flags & SWP_SHOWWINDOW) window->style |= WS_VISIBLE;
    if (pos.flags & SWP_HIDEWINDOW) {
      window->style &= ~WS_VISIBLE;
      hidden = true;
    }
  }
  bool changed = restacked || !(pos.flags & SWP_NOMOVE) || !(pos.flags & SWP_NOSIZE) ||
                 (pos.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED));
  if (!(pos.flags & SWP_NOREDRAW)) {
    ApplyExpose(hwnd, before, changed);
    for (HWND owned : raisedOwned) RedrawWindow(owned, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }

  if (!(pos.flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW)) && CanActivate(hwnd)) SetActiveWindowInternal(hwnd, false, true);

  if ((pos.flags & kStatusFlags) != kNoPosChange) {
    if (!IsWindow(hwnd)) return FALSE;
    SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  }
  if (hidden && IsWindow(hwnd)) {
    // A hidden window can be neither active nor hold the focus.
    if (GetActiveWindow() == hwnd) ActivateOtherWindow(hwnd);
    HWND focus = GetFocus();
    HWND parent = nullptr;
    bool focusInside;
    {
      std::lock_guard guard(WindowLock());
      focusInside = focus && IsSelfOrDescendant(focus, hwnd);
      if (Window* window = Find(hwnd)) parent = window->parent;
    }
    if (focusInside) SetFocus(parent);
  }
  return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command) {
  bool wasVisible;
  bool child;
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return FALSE;
    wasVisible = window->style & WS_VISIBLE;
    child = window->style & WS_CHILD;
  }
  UINT swp = SWP_NOSIZE | SWP_NOMOVE;
  UINT childFlags = child ? SWP_NOACTIVATE | SWP_NOZORDER : 0;
  switch (command) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      swp |= SWP_HIDEWINDOW | childFlags;
      break;
    case SW_SHOWNA:
      swp |= SWP_SHOWWINDOW | SWP_NOACTIVATE | (child ? SWP_NOZORDER : 0);
      break;
    case SW_SHOWNOACTIVATE:
      swp |= SWP_SHOWWINDOW | SWP_NOACTIVATE | childFlags;
      break;
    case SW_SHOW:
      if (wasVisible) return TRUE;
      swp |= SWP_SHOWWINDOW | childFlags;
      break;
    default:
      swp |= SWP_SHOWWINDOW | childFlags;
      break;
  }
  bool show = command != SW_HIDE;
  if (show != wasVisible || command == SW_SHOWNA) {
    SendMessageW(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!IsWindow(hwnd)) return wasVisible;
  }
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, swp);
  return wasVisible ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window || !rect) return FALSE;
  *rect = ScreenRect(*window);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window || !rect) return FALSE;
  *rect = RECT{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window || !point) return FALSE;
  RECT screen = ScreenRect(*window);
  point->x += screen.left;
  point->y += screen.top;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window || !point) return FALSE;
  RECT screen = ScreenRect(*window);
  point->x -= screen.left;
  point->y -= screen.top;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  std::lock_guard guard(WindowLock());
  POINT offset{0, 0};
  if (from) {
    Window* window = FindOrFail(from);
    if (!window) return 0;
    RECT screen = ScreenRect(*window);
    offset.x += screen.left;
    offset.y += screen.top;
  }
  if (to) {
    Window* window = FindOrFail(to);
    if (!window) return 0;
    RECT screen = ScreenRect(*window);
    offset.x -= screen.left;
    offset.y -= screen.top;
  }
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += offset.x;
    points[i].y += offset.y;
  }
  return MAKELPARAM(static_cast<WORD>(offset.x), static_cast<WORD>(offset.y)) & 0xFFFFFFFF;
}

HWND WindowFromPoint(POINT point) {
  std::lock_guard guard(WindowLock());
  for (HWND top : TopLevelWindows()) {
    Window* window = Find(top);
    if (!(window->style & WS_VISIBLE) || !Contains(window->rect, point)) continue;
    POINT local{point.x - window->rect.left, point.y - window->rect.top};
    for (bool descended = true; descended;) {
      descended = false;
      for (HWND child : window->children) {
        Window* inner = Find(child);
        if (!(inner->style & WS_VISIBLE) || !Contains(inner->rect, local)) continue;
        if (inner->style & WS_DISABLED) break;  // the point falls to the parent
        local = POINT{local.x - inner->rect.left, local.y - inner->rect.top};
        window = inner;
        descended = true;
        break;
      }
    }
    return window->hwnd;
  }
  return nullptr;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(parent);
  if (!window) return nullptr;
  RECT client{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
  if (!Contains(client, point)) return nullptr;
  for (HWND child : window->children)
    if (Contains(Find(child)->rect, point)) return child;
  return parent;
}
