// Update regions, invalidation and exposure, and which window paints next.
#include "platform/gwes/paint.h"

#include <algorithm>

#include "platform/gwes/message_queue.h"
#include "platform/gwes/queue_internal.h"
#include "platform/gwes/window_internal.h"
#include "platform/kernel/last_error.h"

namespace gwes::detail {

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

void SubtractRect(std::vector<RECT>& rects, const RECT& cut) {
  std::vector<RECT> out;
  for (const RECT& r : rects) {
    RECT overlap = Intersect(r, cut);
    if (Empty(overlap)) {
      out.push_back(r);
      continue;
    }
    if (r.top < overlap.top) out.push_back(RECT{r.left, r.top, r.right, overlap.top});
    if (overlap.bottom < r.bottom) out.push_back(RECT{r.left, overlap.bottom, r.right, r.bottom});
    if (r.left < overlap.left) out.push_back(RECT{r.left, overlap.top, overlap.left, overlap.bottom});
    if (overlap.right < r.right) out.push_back(RECT{overlap.right, overlap.top, r.right, overlap.bottom});
  }
  rects = std::move(out);
}

void IntersectRects(std::vector<RECT>& rects, const RECT& with) {
  std::vector<RECT> out;
  for (const RECT& r : rects) {
    RECT overlap = Intersect(r, with);
    if (!Empty(overlap)) out.push_back(overlap);
  }
  rects = std::move(out);
}

RECT Bounds(const std::vector<RECT>& rects) {
  if (rects.empty()) return RECT{0, 0, 0, 0};
  RECT bounds = rects.front();
  for (const RECT& r : rects) {
    bounds.left = std::min(bounds.left, r.left);
    bounds.top = std::min(bounds.top, r.top);
    bounds.right = std::max(bounds.right, r.right);
    bounds.bottom = std::max(bounds.bottom, r.bottom);
  }
  return bounds;
}

namespace {

RECT Offset(RECT r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

RECT ClientOf(const Window& window) {
  return RECT{0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
}

}  // namespace

// Call with the window lock held.
std::vector<RECT> VisibleRegionLocked(const Window& window) {
  if (!VisibleChain(window)) return {};
  RECT clip = ScreenRect(window);
  for (Window* ancestor = Find(window.parent); ancestor; ancestor = Find(ancestor->parent))
    clip = Intersect(clip, ScreenRect(*ancestor));
  if (Empty(clip)) return {};
  std::vector<RECT> region{clip};
  for (const Window* level = &window; level; level = Find(level->parent)) {
    for (HWND sibling : SiblingsOf(*level)) {
      if (sibling == level->hwnd) break;
      Window* above = Find(sibling);
      if (above->style & WS_VISIBLE) SubtractRect(region, ScreenRect(*above));
    }
  }
  for (HWND child : window.children) {
    Window* inner = Find(child);
    if (inner->style & WS_VISIBLE) SubtractRect(region, ScreenRect(*inner));
  }
  return region;
}

namespace {

// Adds a client rectangle to the update region, cropped to what of the window is visible.
void AddUpdateLocked(Window& window, const RECT& rect, bool erase) {
  RECT screen = ScreenRect(window);
  std::vector<RECT> add = VisibleRegionLocked(window);
  IntersectRects(add, Offset(rect, screen.left, screen.top));
  if (add.empty()) return;
  for (RECT& r : add) r = Offset(r, -screen.left, -screen.top);
  for (const RECT& existing : window.update) SubtractRect(add, existing);
  window.update.insert(window.update.end(), add.begin(), add.end());
  if (erase) window.erase = true;
  WakeQueues();
}

void SubtractUpdateLocked(Window& window, const RECT& rect) {
  SubtractRect(window.update, rect);
  if (window.update.empty()) window.erase = false;
}

}  // namespace

ExposeState CaptureExposeState(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  ExposeState state;
  Window* window = Find(hwnd);
  if (!window) return state;
  state.wasVisible = VisibleChain(*window);
  state.oldScreen = ScreenRect(*window);
  for (const Window* level = window; level; level = Find(level->parent)) {
    for (HWND sibling : SiblingsOf(*level)) {
      if (sibling == level->hwnd) break;
      state.above.push_back(sibling);
    }
  }
  return state;
}

void ApplyExpose(HWND hwnd, const ExposeState& before, bool contentChanged) {
  if (!contentChanged) return;
  std::lock_guard guard(WindowLock());
  Window* window = Find(hwnd);
  if (!window) return;
  if (VisibleChain(*window)) {
    std::vector<HWND> all{hwnd};
    CollectDescendants(hwnd, all);
    for (HWND each : all) {
      Window* w = Find(each);
      AddUpdateLocked(*w, ClientOf(*w), true);
    }
  }
  if (!before.wasVisible) return;
  // What no window covers any more shows the desktop: black.
  std::vector<RECT> desktop{Intersect(before.oldScreen, RECT{0, 0, kScreenWidth, kScreenHeight})};
  IntersectRects(desktop, desktop.front());
  for (HWND top : TopLevelWindows()) {
    Window* w = Find(top);
    if (w->style & WS_VISIBLE) SubtractRect(desktop, w->rect);
  }
  if (!desktop.empty()) {
    auto screen = Screen();
    std::lock_guard surfaceGuard(screen->lock);
    for (const RECT& r : desktop)
      for (LONG y = r.top; y < r.bottom; ++y) std::fill_n(&screen->At(r.left, y), r.right - r.left, 0u);
    MarkScreenDirty();
  }
  std::vector<HWND> everything;
  for (HWND top : TopLevelWindows()) {
    everything.push_back(top);
    CollectDescendants(top, everything);
  }
  for (HWND each : everything) {
    if (IsSelfOrDescendant(each, hwnd)) continue;
    if (std::any_of(before.above.begin(), before.above.end(), [&](HWND above) { return IsSelfOrDescendant(each, above); }))
      continue;
    Window* w = Find(each);
    RECT screen = ScreenRect(*w);
    AddUpdateLocked(*w, Offset(before.oldScreen, -screen.left, -screen.top), true);
  }
}

HWND FindWindowToPaintIn(const std::vector<HWND>& list, std::thread::id thread, HWND filter) {
  for (HWND hwnd : list) {
    Window* window = Find(hwnd);
    if (!(window->style & WS_VISIBLE)) continue;
    if (window->thread == thread && (!window->update.empty() || window->internalPaint) &&
        (!filter || IsSelfOrDescendant(hwnd, filter)))
      return hwnd;
    if (HWND inner = FindWindowToPaintIn(window->children, thread, filter)) return inner;
  }
  return nullptr;
}

HWND FindWindowToPaint(std::thread::id thread, HWND filter) {
  if (filter == reinterpret_cast<HWND>(-1)) return nullptr;
  return FindWindowToPaintIn(TopLevelWindows(), thread, filter);
}

}  // namespace gwes::detail

using namespace gwes::detail;

namespace gwes {

std::vector<RECT> VisibleRegion(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* window = Find(hwnd);
  return window ? VisibleRegionLocked(*window) : std::vector<RECT>{};
}

}  // namespace gwes

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  std::vector<HWND> targets;
  {
    std::lock_guard guard(WindowLock());
    if (!hwnd) {
      for (HWND top : TopLevelWindows()) {
        targets.push_back(top);
        CollectDescendants(top, targets);
      }
      rect = nullptr;
    } else {
      if (!FindOrFail(hwnd)) return FALSE;
      targets.push_back(hwnd);
      if (flags & RDW_ALLCHILDREN) CollectDescendants(hwnd, targets);
    }
    RECT origin = hwnd ? ScreenRect(*Find(hwnd)) : RECT{};
    for (HWND each : targets) {
      Window* window = Find(each);
      RECT area = ClientOf(*window);
      if (rect) {
        RECT screen = ScreenRect(*window);
        area = Offset(*rect, origin.left - screen.left, origin.top - screen.top);
      }
      if (flags & RDW_INVALIDATE) AddUpdateLocked(*window, area, flags & RDW_ERASE);
      if (flags & RDW_INTERNALPAINT) window->internalPaint = true;
      if (flags & RDW_VALIDATE) SubtractUpdateLocked(*window, area);
      if (flags & RDW_NOERASE) window->erase = false;
      if (flags & RDW_NOINTERNALPAINT) window->internalPaint = false;
    }
  }
  if (flags & RDW_UPDATENOW) {
    for (HWND each : targets) {
      bool needsPaint;
      {
        std::lock_guard guard(WindowLock());
        Window* window = Find(each);
        needsPaint = window && VisibleChain(*window) && (!window->update.empty() || window->internalPaint);
      }
      if (needsPaint) SendMessageW(each, WM_PAINT, 0, 0);
    }
  }
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0) | (hwnd ? 0 : RDW_ALLCHILDREN));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) { return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE); }

BOOL UpdateWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  bool pendingErase;
  RECT bounds;
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return FALSE;
    bounds = Bounds(window->update);
    pendingErase = window->erase && !window->update.empty();
  }
  if (rect) *rect = bounds;
  if (erase && pendingErase) {
    HDC dc = GetDC(hwnd);
    {
      std::lock_guard guard(WindowLock());
      if (Window* window = Find(hwnd)) window->erase = false;
    }
    SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(hwnd, dc);
  }
  return Empty(bounds) ? FALSE : TRUE;
}
