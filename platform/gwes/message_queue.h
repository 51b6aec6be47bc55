// Per-thread message queues: posting and sending, retrieval in Win32's order (sent messages are
// handled first, then posted messages, the quit request, input, WM_PAINT for windows with an update
// region and last WM_TIMER), translation and dispatch. Under a virtual clock a waiting thread never
// spins: it sleeps until something arrives or AdvanceTime moves time to the next due timer.
#pragma once

#include <functional>

#include "platform/gwes/window.h"

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// Calls the window procedure directly on the window's own thread; from another thread the message
// is queued to the window's thread and the caller blocks (still answering messages sent to it)
// until the procedure has returned.
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues a message to the window's thread; a null window posts to the calling thread.
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Asks the calling thread's message loop to end: GetMessageW returns 0 once the posted messages
// before it are gone.
void PostQuitMessage(int exitCode);
// Waits for a message; 0 on WM_QUIT, -1 for an invalid filter window.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits until the queue has something to retrieve.
BOOL WaitMessage();
// Posts WM_CHAR after a WM_KEYDOWN of a key that types a character.
BOOL TranslateMessage(const MSG* msg);
// Calls the message's window procedure (or the timer procedure of a WM_TIMER that names one).
LRESULT DispatchMessageW(const MSG* msg);
DWORD GetMessageTime();

namespace gwes {

// Moves virtual time forward by ms: the message loops see each due timer in turn, so timers fire in
// order and exactly when due. No effect on a real clock.
void AdvanceTime(DWORD ms);
// Waits (real time, bounded) until every other thread with a message queue (there must be one) is
// waiting for messages with nothing to retrieve, no input is pending and a requested time advance
// is done. False on timeout.
bool WaitForIdle(DWORD timeoutMs);
// Called on any thread that is about to wait for messages with nothing left to retrieve (for a
// script runner living on the user-interface thread), never re-entered on one thread. The hook may
// post input, advance time or post a quit message; a null hook removes it.
void SetIdleHook(std::function<void()> hook);
// From any thread: wakes every thread waiting for messages, so each runs its idle hook again (a
// request that arrived from outside is then served on the thread it belongs to).
void WakeIdleThreads();

}  // namespace gwes
