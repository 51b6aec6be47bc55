// Keyboard focus, the active and foreground window, and stylus capture.
#pragma once

#include "platform/gwes/window.h"

// Gives the focus to a window (null: to none) and returns the previous focus window. The old focus
// receives WM_KILLFOCUS with the new one, then the new one WM_SETFOCUS with the old one; the
// window's top-level window is activated first. A hidden or disabled window (or one inside a hidden
// or disabled window) never takes the focus: the call fails and returns null.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// Activates a top-level window: WM_ACTIVATE (WA_INACTIVE) to the previous active window, then
// WM_ACTIVATE (WA_ACTIVE) to the new one; the focus moves into the new window when it is elsewhere.
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
// Brings the window to the top and activates it.
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();

// Sends all stylus input to the window until released; the previous capture window receives
// WM_CAPTURECHANGED.
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
