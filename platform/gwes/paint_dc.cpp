// Paint and window DCs on the framebuffer.
#include <algorithm>
#include <atomic>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/fill.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/window_internal.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/power_manager.h"

using namespace gwes::detail;

namespace {

std::atomic<std::uint64_t> g_screenDirty{0};
std::atomic<void (*)()> g_flushHook{nullptr};

// The window's origin on the screen and its visible region; false for an unknown window.
bool WindowTarget(HWND hwnd, POINT* origin, std::vector<RECT>* visible) {
  std::lock_guard guard(WindowLock());
  Window* window = FindOrFail(hwnd);
  if (!window) return false;
  RECT screen = ScreenRect(*window);
  *origin = POINT{screen.left, screen.top};
  *visible = VisibleRegionLocked(*window);
  return true;
}

}  // namespace

namespace gwes {

std::shared_ptr<Surface> Screen() {
  static const std::shared_ptr<Surface> screen = std::make_shared<Surface>(kScreenWidth, kScreenHeight);
  return screen;
}

std::uint64_t ScreenDirtyCount() { return g_screenDirty.load(); }

void MarkScreenDirty() { g_screenDirty.fetch_add(1); }

void SetScreenFlushHook(void (*hook)()) { g_flushHook = hook; }

void CopyShownScreen(std::uint32_t* pixels) {
  auto screen = Screen();
  std::lock_guard guard(screen->lock);
  if (kernel::DeviceSuspended()) {
    std::fill(pixels, pixels + screen->Pixels().size(), 0u);
  } else {
    std::copy(screen->Pixels().begin(), screen->Pixels().end(), pixels);
  }
}

bool EraseWithClassBrush(HWND hwnd, HDC dc) {
  HBRUSH brush;
  RECT client{};
  {
    std::lock_guard guard(WindowLock());
    Window* window = Find(hwnd);
    if (!window || !window->cls->background) return false;
    brush = window->cls->background;
    client = RECT{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
  }
  FillRect(dc, &client, brush);
  return true;
}

}  // namespace gwes

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (!ps) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  POINT origin{};
  std::vector<RECT> clip;
  RECT paint{};
  bool erase;
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return nullptr;
    RECT screen = ScreenRect(*window);
    origin = POINT{screen.left, screen.top};
    std::vector<RECT> visible = VisibleRegionLocked(*window);
    for (const RECT& update : window->update) {
      RECT onScreen{update.left + origin.x, update.top + origin.y, update.right + origin.x, update.bottom + origin.y};
      for (const RECT& part : visible) {
        RECT both = Intersect(onScreen, part);
        if (!Empty(both)) clip.push_back(both);
      }
    }
    paint = Bounds(window->update);
    erase = window->erase;
    window->update.clear();
    window->erase = false;
    window->internalPaint = false;
  }
  HDC dc = gwes::CreateSurfaceDC(gwes::Screen(), origin, std::move(clip));
  *ps = PAINTSTRUCT{};
  ps->hdc = dc;
  ps->rcPaint = paint;
  ps->fErase = erase ? !SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) : FALSE;
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return FALSE;
  DeleteDC(ps->hdc);
  gwes::MarkScreenDirty();
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  POINT origin{0, 0};
  std::vector<RECT> visible{RECT{0, 0, gwes::kScreenWidth, gwes::kScreenHeight}};
  if (hwnd && !WindowTarget(hwnd, &origin, &visible)) return nullptr;
  HDC dc = gwes::CreateSurfaceDC(gwes::Screen(), origin, std::move(visible));
  if (dc && hwnd) {
    // Drawing holds the framebuffer's lock, and the window system's lock is taken the other way
    // round, so the visible part is only looked up when that lock is free at once; a drawing that
    // meets windows being changed is left out (the next one draws).
    gwes::LookupDC(dc)->FollowWindow([hwnd](std::vector<RECT>* clip) {
      std::unique_lock guard(WindowLock(), std::try_to_lock);
      if (!guard.owns_lock()) return false;
      Window* window = Find(hwnd);
      if (!window) return false;
      *clip = VisibleRegionLocked(*window);
      return true;
    });
  }
  return dc;
}

int ReleaseDC(HWND, HDC dc) {
  if (!dc || !DeleteDC(dc)) return 0;
  gwes::MarkScreenDirty();
  return 1;
}

BOOL GdiFlush() {
  gwes::MarkScreenDirty();
  if (auto hook = g_flushHook.load()) hook();
  return TRUE;
}
