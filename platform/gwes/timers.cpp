#include "platform/gwes/timers.h"

#include <algorithm>
#include <vector>

#include "platform/gwes/queue_internal.h"
#include "platform/gwes/window_internal.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/last_error.h"

using namespace gwes::detail;

namespace {

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC proc;
  std::thread::id thread;
  std::uint64_t due;
  std::uint64_t order;  // ties on the due time go in the order the timers were set
};

// Guarded by QueueMutex().
std::vector<Timer> g_timers;
std::uint64_t g_setOrder = 0;
UINT_PTR g_nextThreadTimerId = 0x7FFF;

}  // namespace

namespace gwes::detail {

bool TakeDueTimerLocked(std::thread::id thread, HWND filter, bool remove, MSG* msg) {
  std::uint64_t now = kernel::Clock().MonotonicMs();
  Timer* best = nullptr;
  for (auto& timer : g_timers) {
    if (timer.thread != thread || timer.due > now) continue;
    if (!PassesFilter(timer.hwnd, WM_TIMER, filter, 0, 0)) continue;
    if (!best || timer.due < best->due || (timer.due == best->due && timer.order < best->order)) best = &timer;
  }
  if (!best) return false;
  *msg = MSG{best->hwnd, WM_TIMER, static_cast<WPARAM>(best->id), reinterpret_cast<LPARAM>(best->proc),
             static_cast<DWORD>(now), POINT{}};
  if (remove) {
    best->due = now + best->elapse;
    best->order = g_setOrder++;
  }
  return true;
}

std::optional<std::uint64_t> EarliestTimerDueLocked(std::optional<std::thread::id> thread, std::uint64_t after) {
  std::optional<std::uint64_t> earliest;
  for (const auto& timer : g_timers) {
    if ((thread && timer.thread != *thread) || timer.due < after) continue;
    if (!earliest || timer.due < *earliest) earliest = timer.due;
  }
  return earliest;
}

void KillThreadTimersLocked(std::thread::id thread) {
  std::erase_if(g_timers, [&](const Timer& timer) { return timer.thread == thread; });
}

void KillWindowTimers(HWND hwnd) {
  std::lock_guard guard(QueueMutex());
  std::erase_if(g_timers, [&](const Timer& timer) { return timer.hwnd == hwnd; });
}

}  // namespace gwes::detail

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  std::thread::id thread = std::this_thread::get_id();
  if (hwnd) {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return 0;
    if (window->thread != thread) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  EnsureCurrentQueue();  // the queue the timer is delivered through
  std::lock_guard guard(QueueMutex());
  if (!hwnd) {
    auto taken = [](UINT_PTR candidate) {
      return std::any_of(g_timers.begin(), g_timers.end(),
                         [&](const Timer& timer) { return !timer.hwnd && timer.id == candidate; });
    };
    if (!id || !std::any_of(g_timers.begin(), g_timers.end(), [&](const Timer& timer) { return !timer.hwnd && timer.id == id; })) {
      do {
        id = ++g_nextThreadTimerId;
      } while (taken(id));
    }
  }
  std::uint64_t due = kernel::Clock().MonotonicMs() + std::max<UINT>(elapseMs, 1);
  auto existing = std::find_if(g_timers.begin(), g_timers.end(),
                               [&](const Timer& timer) { return timer.hwnd == hwnd && timer.id == id; });
  Timer timer{hwnd, id, std::max<UINT>(elapseMs, 1), proc, thread, due, g_setOrder++};
  if (existing != g_timers.end())
    *existing = timer;
  else
    g_timers.push_back(timer);
  NotifyQueuesLocked();
  return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard guard(QueueMutex());
  auto found = std::find_if(g_timers.begin(), g_timers.end(),
                            [&](const Timer& timer) { return timer.hwnd == hwnd && timer.id == id; });
  if (found == g_timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  g_timers.erase(found);
  return TRUE;
}
