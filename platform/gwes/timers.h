// Window timers. A timer is due its interval after it was set or last delivered; due timers become
// WM_TIMER messages only when the thread's queue has nothing else to deliver, and an overdue timer
// gives one message however late it is. Times come from the clock service, so timers follow
// virtual time in the headless runner.
#pragma once

#include <cstdint>

#include "platform/gwes/window.h"

using UINT_PTR = std::uintptr_t;
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Starts (or, for an id the window already uses, restarts) a timer and returns its id; a timer
// without a window gets a new id. 0 on failure. Intervals under 1 ms count as 1 ms.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
