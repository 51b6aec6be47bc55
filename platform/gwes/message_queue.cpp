#include "platform/gwes/message_queue.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>

#include "platform/gwes/input.h"
#include "platform/gwes/queue_internal.h"
#include "platform/gwes/timers.h"
#include "platform/gwes/window_internal.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/last_error.h"

using namespace gwes::detail;

namespace {

struct SentMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
  bool done = false;
};

struct InputMessage {
  MSG msg;
  std::optional<POINT> raw;
};

struct ThreadQueue {
  std::deque<MSG> posted;
  std::deque<InputMessage> input;
  std::deque<std::shared_ptr<SentMessage>> sent;
  bool quit = false;
  int quitCode = 0;
  bool idle = false;
  DWORD lastTime = 0;
};

// Guarded by QueueMutex().
std::condition_variable g_queueCv;
std::map<std::thread::id, std::shared_ptr<ThreadQueue>> g_queues;
std::uint64_t g_generation = 0;
std::uint64_t g_timeTarget = 0;  // virtual time AdvanceTime asked for
const kernel::ClockSource* g_targetClock = nullptr;  // the clock that target belongs to
std::function<void()> g_idleHook;

void UnregisterQueue(std::thread::id thread);

// A thread's queue lives from its first use of messages until the thread ends.
struct QueueOwner {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueOwner() {
    if (queue) UnregisterQueue(std::this_thread::get_id());
  }
};
thread_local QueueOwner t_queue;
thread_local bool t_inIdleHook = false;
thread_local POINT t_lastStylusRaw{0, 0};

ThreadQueue& CurrentQueueLocked() {
  if (!t_queue.queue) {
    t_queue.queue = std::make_shared<ThreadQueue>();
    g_queues[std::this_thread::get_id()] = t_queue.queue;
  }
  return *t_queue.queue;
}

ThreadQueue& CurrentQueue() {
  InstallKeyboardSink();
  std::lock_guard guard(QueueMutex());
  return CurrentQueueLocked();
}

void UnregisterQueue(std::thread::id thread) {
  ForgetThreadWindows(thread);
  std::lock_guard guard(QueueMutex());
  auto found = g_queues.find(thread);
  if (found == g_queues.end()) return;
  for (auto& sent : found->second->sent) sent->done = true;  // their senders stop waiting
  g_queues.erase(found);
  KillThreadTimersLocked(thread);
  NotifyQueuesLocked();
}

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
  return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

// Handles the messages other threads sent to this one, in order.
void ProcessIncomingSent() {
  if (!t_queue.queue) return;
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      std::lock_guard guard(QueueMutex());
      auto& queue = *t_queue.queue;
      if (queue.sent.empty()) return;
      sent = queue.sent.front();
      queue.sent.pop_front();
    }
    WNDPROC proc = nullptr;
    {
      std::lock_guard guard(WindowLock());
      if (Window* window = Find(sent->hwnd)) proc = window->proc;
    }
    LRESULT result = proc ? proc(sent->hwnd, sent->message, sent->wParam, sent->lParam) : 0;
    std::lock_guard guard(QueueMutex());
    sent->result = result;
    sent->done = true;
    NotifyQueuesLocked();
  }
}

LRESULT SendToOtherThread(std::thread::id owner, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto sent = std::make_shared<SentMessage>(SentMessage{hwnd, message, wParam, lParam});
  std::unique_lock lock(QueueMutex());
  auto target = g_queues.find(owner);
  if (target == g_queues.end()) return 0;
  target->second->sent.push_back(sent);
  NotifyQueuesLocked();
  for (;;) {
    g_queueCv.wait(lock, [&] { return sent->done || (t_queue.queue && !t_queue.queue->sent.empty()); });
    if (sent->done) return sent->result;
    lock.unlock();
    ProcessIncomingSent();
    lock.lock();
  }
}

// Moves virtual time towards the requested target, stopping at the next due timer so that each
// timer is seen by its thread before time moves on. True when time moved.
bool StepVirtualTimeLocked() {
  auto& clock = kernel::Clock();
  if (!clock.IsVirtual()) return false;
  std::uint64_t now = clock.MonotonicMs();
  if (g_targetClock != &clock || g_timeTarget <= now) {
    g_targetClock = nullptr;  // reached: nothing is pending any more
    return false;
  }
  std::uint64_t next = g_timeTarget;
  if (auto due = EarliestTimerDueLocked(std::nullopt)) next = std::min(next, *due);
  if (next <= now) return false;
  kernel::AdvanceVirtualTime(static_cast<DWORD>(next - now));
  return true;
}

// The caller's own queue does not count: it is busy waiting here.
bool IdleLocked() {
  auto self = std::this_thread::get_id();
  bool others = std::any_of(g_queues.begin(), g_queues.end(), [&](const auto& entry) { return entry.first != self; });
  if (!others || RawInputPendingLocked()) return false;
  auto& clock = kernel::Clock();
  if (clock.IsVirtual() && g_targetClock == &clock && g_timeTarget > clock.MonotonicMs()) return false;
  return std::all_of(g_queues.begin(), g_queues.end(),
                     [&](const auto& entry) { return entry.first == self || entry.second->idle; });
}

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{hwnd, message, wParam, lParam, GetTickCount(), LastInputPoint()};
}

bool PeekInternal(MSG* out, HWND filter, UINT filterMin, UINT filterMax, UINT remove) {
  ProcessIncomingSent();
  auto thread = std::this_thread::get_id();
  for (;;) {
    bool cook = false;
    {
      std::lock_guard windowGuard(WindowLock());
      std::lock_guard guard(QueueMutex());
      auto& queue = CurrentQueueLocked();
      for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (!PassesFilter(it->hwnd, it->message, filter, filterMin, filterMax)) continue;
        *out = *it;
        if (remove & PM_REMOVE) queue.posted.erase(it);
        queue.lastTime = out->time;
        return true;
      }
      if (queue.quit && InRange(WM_QUIT, filterMin, filterMax)) {
        *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
        if (remove & PM_REMOVE) queue.quit = false;
        return true;
      }
      for (auto it = queue.input.begin(); it != queue.input.end(); ++it) {
        if (!PassesFilter(it->msg.hwnd, it->msg.message, filter, filterMin, filterMax)) continue;
        *out = it->msg;
        if (remove & PM_REMOVE) {
          if (it->raw) t_lastStylusRaw = *it->raw;
          queue.input.erase(it);
        }
        queue.lastTime = out->time;
        return true;
      }
      cook = RawInputPendingLocked();
      if (!cook) {
        if (InRange(WM_PAINT, filterMin, filterMax)) {
          if (HWND paint = FindWindowToPaint(thread, filter)) {
            *out = MakeMessage(paint, WM_PAINT, 0, 0);
            return true;
          }
        }
        if (InRange(WM_TIMER, filterMin, filterMax) && TakeDueTimerLocked(thread, filter, remove & PM_REMOVE, out)) {
          out->pt = LastInputPoint();
          queue.lastTime = out->time;
          NotifyQueuesLocked();  // a rescheduled timer may let time move on
          return true;
        }
        return false;
      }
    }
    CookRawInput();
  }
}

}  // namespace

namespace gwes::detail {

std::mutex& QueueMutex() {
  static std::mutex mutex;
  return mutex;
}

void EnsureCurrentQueue() { CurrentQueue(); }

void NotifyQueuesLocked() {
  ++g_generation;
  for (auto& [thread, queue] : g_queues) queue->idle = false;
  g_queueCv.notify_all();
}

void WakeQueues() {
  std::lock_guard guard(QueueMutex());
  NotifyQueuesLocked();
}

void QueueInputMessageLocked(std::thread::id thread, const MSG& msg, std::optional<POINT> raw) {
  auto found = g_queues.find(thread);
  if (found == g_queues.end()) return;
  found->second->input.push_back(InputMessage{msg, raw});
}

void ForgetWindowMessages(HWND hwnd) {
  std::lock_guard guard(QueueMutex());
  for (auto& [thread, queue] : g_queues) {
    std::erase_if(queue->posted, [&](const MSG& msg) { return msg.hwnd == hwnd; });
    std::erase_if(queue->input, [&](const InputMessage& input) { return input.msg.hwnd == hwnd; });
  }
}

bool PassesFilter(HWND msgWindow, UINT message, HWND filter, UINT filterMin, UINT filterMax) {
  if (!InRange(message, filterMin, filterMax)) return false;
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return msgWindow == nullptr;
  return msgWindow && IsSelfOrDescendant(msgWindow, filter);
}

}  // namespace gwes::detail

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc;
  std::thread::id owner;
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return 0;
    proc = window->proc;
    owner = window->thread;
  }
  if (owner == std::this_thread::get_id()) return proc ? proc(hwnd, message, wParam, lParam) : 0;
  return SendToOtherThread(owner, hwnd, message, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::thread::id owner = std::this_thread::get_id();
  if (hwnd) {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(hwnd);
    if (!window) return FALSE;
    owner = window->thread;
  } else {
    CurrentQueue();
  }
  std::lock_guard guard(QueueMutex());
  auto target = g_queues.find(owner);
  if (target == g_queues.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  target->second->posted.push_back(MakeMessage(hwnd, message, wParam, lParam));
  NotifyQueuesLocked();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  CurrentQueue();
  std::lock_guard guard(QueueMutex());
  auto& queue = CurrentQueueLocked();
  queue.quit = true;
  queue.quitCode = exitCode;
  NotifyQueuesLocked();
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  CurrentQueue();
  for (;;) {
    if (PeekInternal(msg, hwnd, filterMin, filterMax, removeFlags)) return TRUE;
    std::lock_guard guard(QueueMutex());
    if (!StepVirtualTimeLocked()) return FALSE;
  }
}

namespace {

// Blocks until something may be retrievable: a wake-up, time reaching a real timer's due time, or
// virtual time moving on.
void WaitForWork(std::uint64_t seenGeneration) {
  std::unique_lock lock(QueueMutex());
  auto& queue = CurrentQueueLocked();
  if (g_generation != seenGeneration) return;
  if (StepVirtualTimeLocked()) return;
  queue.idle = true;
  g_queueCv.notify_all();
  if (g_idleHook && !t_inIdleHook) {
    auto hook = g_idleHook;
    lock.unlock();
    t_inIdleHook = true;
    hook();
    t_inIdleHook = false;
    lock.lock();
    if (g_generation != seenGeneration) return;
  }
  auto& clock = kernel::Clock();
  // On a real clock, sleep until this thread's next timer falls due. A timer already due that the
  // retrieval filter left out does not count: waiting for it would spin.
  std::uint64_t now = clock.MonotonicMs();
  auto due = clock.IsVirtual() ? std::nullopt : EarliestTimerDueLocked(std::this_thread::get_id(), now + 1);
  auto woken = [&] { return g_generation != seenGeneration; };
  if (due) {
    auto wait = std::chrono::milliseconds(*due - now);
    g_queueCv.wait_for(lock, wait, woken);
  } else {
    g_queueCv.wait(lock, woken);
  }
  queue.idle = false;
}

std::uint64_t Generation() {
  std::lock_guard guard(QueueMutex());
  return g_generation;
}

}  // namespace

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg || (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd))) {
    SetLastError(msg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return -1;
  }
  CurrentQueue();
  for (;;) {
    std::uint64_t generation = Generation();
    if (PeekInternal(msg, hwnd, filterMin, filterMax, PM_REMOVE)) return msg->message == WM_QUIT ? FALSE : TRUE;
    WaitForWork(generation);
  }
}

BOOL WaitMessage() {
  CurrentQueue();
  for (;;) {
    std::uint64_t generation = Generation();
    MSG msg;
    if (PeekInternal(&msg, nullptr, 0, 0, PM_NOREMOVE)) return TRUE;
    WaitForWork(generation);
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return FALSE;
  WCHAR ch = gwes::CharacterOfKey(static_cast<BYTE>(msg->wParam));
  if (ch) PostMessageW(msg->hwnd, WM_CHAR, ch, msg->lParam);
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, static_cast<UINT_PTR>(msg->wParam), GetTickCount());
    return 0;
  }
  if (!msg->hwnd) return 0;
  WNDPROC proc;
  {
    std::lock_guard guard(WindowLock());
    Window* window = FindOrFail(msg->hwnd);
    if (!window) return 0;
    proc = window->proc;
  }
  return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

DWORD GetMessageTime() {
  std::lock_guard guard(QueueMutex());
  return t_queue.queue ? t_queue.queue->lastTime : 0;
}

namespace gwes {

POINT LastStylusRawPoint() { return t_lastStylusRaw; }

void AdvanceTime(DWORD ms) {
  auto& clock = kernel::Clock();
  if (!clock.IsVirtual()) return;
  std::lock_guard guard(QueueMutex());
  if (g_targetClock != &clock) g_timeTarget = 0;
  g_targetClock = &clock;
  g_timeTarget = std::max<std::uint64_t>(g_timeTarget, clock.MonotonicMs()) + ms;
  StepVirtualTimeLocked();
  NotifyQueuesLocked();
}

bool WaitForIdle(DWORD timeoutMs) {
  std::unique_lock lock(QueueMutex());
  return g_queueCv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return IdleLocked(); });
}

void SetIdleHook(std::function<void()> hook) {
  std::lock_guard guard(QueueMutex());
  g_idleHook = std::move(hook);
}

void WakeIdleThreads() { WakeQueues(); }

}  // namespace gwes
