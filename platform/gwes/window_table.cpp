// The window table: every live window's record behind its handle, the top-level z-order, and the
// lookups the window system's services share.
#include <unordered_map>

#include "platform/gwes/window_internal.h"
#include "platform/kernel/last_error.h"

namespace gwes::detail {
namespace {

std::unordered_map<HWND, std::unique_ptr<Window>> g_windows;
std::vector<HWND> g_topLevel;
// Handles count up and are never reused, so a stale handle stays invalid.
ULONG_PTR g_nextHandle = 0x10000;

}  // namespace

std::recursive_mutex& WindowLock() {
  static std::recursive_mutex lock;
  return lock;
}

// New children go below their siblings, so z-order from the top is creation order (a dialog's tab
// order). New top-level windows go on top, below the top-most ones unless they are top-most too.
HWND InsertWindow(std::unique_ptr<Window> window) {
  HWND hwnd = reinterpret_cast<HWND>(g_nextHandle);
  g_nextHandle += 4;
  window->hwnd = hwnd;
  Window& record = *window;
  g_windows.emplace(hwnd, std::move(window));
  if (record.parent) {
    Find(record.parent)->children.push_back(hwnd);
    return hwnd;
  }
  auto position = g_topLevel.begin();
  if (!(record.exStyle & WS_EX_TOPMOST)) {
    while (position != g_topLevel.end() && (Find(*position)->exStyle & WS_EX_TOPMOST)) ++position;
  }
  g_topLevel.insert(position, hwnd);
  return hwnd;
}

void RemoveWindow(HWND hwnd) {
  Window* window = Find(hwnd);
  if (!window) return;
  for (HWND child : window->children)
    if (Window* orphan = Find(child)) orphan->parent = nullptr;
  if (!window->parent || Find(window->parent)) std::erase(SiblingsOf(*window), hwnd);
  for (auto& [handle, other] : g_windows)
    if (other->owner == hwnd) other->owner = nullptr;
  window->cls->windowCount--;
  ForgetFocusState(hwnd);
  KillWindowTimers(hwnd);
  ForgetWindowMessages(hwnd);
  g_windows.erase(hwnd);
}

Window* Find(HWND hwnd) {
  auto found = g_windows.find(hwnd);
  return found == g_windows.end() ? nullptr : found->second.get();
}

Window* FindOrFail(HWND hwnd) {
  Window* window = Find(hwnd);
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

std::vector<HWND>& TopLevelWindows() { return g_topLevel; }

std::vector<HWND>& SiblingsOf(const Window& window) {
  return window.parent ? Find(window.parent)->children : g_topLevel;
}

RECT ScreenRect(const Window& window) {
  RECT rect = window.rect;
  for (Window* parent = Find(window.parent); parent; parent = Find(parent->parent)) {
    rect.left += parent->rect.left;
    rect.right += parent->rect.left;
    rect.top += parent->rect.top;
    rect.bottom += parent->rect.top;
  }
  return rect;
}

bool VisibleChain(const Window& window) {
  for (const Window* w = &window; w; w = Find(w->parent))
    if (!(w->style & WS_VISIBLE)) return false;
  return true;
}

bool IsSelfOrDescendant(HWND window, HWND ancestor) {
  for (Window* w = Find(window); w; w = Find(w->parent))
    if (w->hwnd == ancestor) return true;
  return false;
}

HWND RootOf(HWND hwnd) {
  Window* window = Find(hwnd);
  while (window && window->parent) window = Find(window->parent);
  return window ? window->hwnd : nullptr;
}

void CollectDescendants(HWND hwnd, std::vector<HWND>& out) {
  Window* window = Find(hwnd);
  if (!window) return;
  for (HWND child : window->children) {
    out.push_back(child);
    CollectDescendants(child, out);
  }
}

void ForgetThreadWindows(std::thread::id thread) {
  std::vector<HWND> tops;
  {
    std::lock_guard guard(WindowLock());
    for (HWND top : g_topLevel)
      if (Find(top)->thread == thread) tops.push_back(top);
  }
  for (HWND top : tops) {
    ExposeState before = CaptureExposeState(top);
    std::lock_guard guard(WindowLock());
    Window* window = Find(top);
    if (!window) continue;
    window->style &= ~WS_VISIBLE;
    ApplyExpose(top, before, true);
    std::vector<HWND> all{top};
    CollectDescendants(top, all);
    // Children first, so each leaves a parent that still exists.
    for (auto each = all.rbegin(); each != all.rend(); ++each) RemoveWindow(*each);
  }
}

}  // namespace gwes::detail

using namespace gwes::detail;

namespace gwes {

std::vector<HWND> TopLevelWindowList() {
  std::lock_guard guard(WindowLock());
  return g_topLevel;
}

std::vector<HWND> ChildWindowList(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* window = Find(hwnd);
  return window ? window->children : std::vector<HWND>{};
}

}  // namespace gwes
