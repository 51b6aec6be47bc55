// What the message queues share with the input, timer and painting services. One lock guards the
// thread queues, the raw input queue and the timers; take it after the window lock, never before.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/gwes/message_queue.h"

namespace gwes::detail {

std::mutex& QueueMutex();
// Creates the calling thread's queue if it has none yet.
void EnsureCurrentQueue();
// Wakes every waiting thread to look at its queue again. Call with the queue lock held.
void NotifyQueuesLocked();
// Wakes waiting threads; takes the queue lock.
void WakeQueues();
// Appends a cooked input message (with its raw panel point, for a stylus message) to a thread's
// queue. Call with the queue lock held.
void QueueInputMessageLocked(std::thread::id thread, const MSG& msg, std::optional<POINT> raw);
// The point and time of the last stylus event, for the messages' pt and time.
POINT LastInputPoint();

// input.cpp: whether raw input waits, and turning the oldest raw event into a message (false when
// there is none). CookRawInput runs without locks: it may activate a window.
bool RawInputPendingLocked();
bool CookRawInput();
void InstallKeyboardSink();

// timers.cpp, all with the queue lock held (and the window lock, for the window filter).
bool TakeDueTimerLocked(std::thread::id thread, HWND filter, bool remove, MSG* msg);
// The earliest due time at or after `after` of the thread's timers (all threads' without one).
std::optional<std::uint64_t> EarliestTimerDueLocked(std::optional<std::thread::id> thread, std::uint64_t after = 0);
void KillThreadTimersLocked(std::thread::id thread);

// paint.cpp: the first window of the thread (parents before children, in z-order) that needs
// painting and passes the filter; null when none. Call with the window lock held.
HWND FindWindowToPaint(std::thread::id thread, HWND filter);

// The message passes a GetMessage/PeekMessage filter. Call with the window lock held.
bool PassesFilter(HWND msgWindow, UINT message, HWND filter, UINT filterMin, UINT filterMax);

}  // namespace gwes::detail
