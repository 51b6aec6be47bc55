// The input queue the front ends feed: stylus and keys. Raw events wait in order and become
// messages when a message loop retrieves them: stylus messages go to the capture window, else
// (while the stylus is down) to the window that took the press, else to the deepest visible enabled
// window under the point; keys go to the focus window, or the active window when none has the
// focus. Disabled windows get no input. keybd_event enters the same path.
#pragma once

#include <cstdint>

#include "platform/gwes/window.h"

using SHORT = std::int16_t;

namespace gwes {

enum class StylusAction { Down, Move, Up };

// The front ends' input enters here, as the device's touch panel and keypad deliver it: a press on
// a suspended device wakes it and goes no further (nor does its release); the keypad's volume keys
// act on the volume before the key is queued.

// A point on the physical screen where the stylus touches. The touch panel reads it as a raw point
// (with the panel as it was when the press began) and the touch driver turns that into the screen
// point the messages carry. Moves while the stylus is up are dropped: a touch screen has no hover.
void PostStylus(StylusAction action, int x, int y);
// The raw panel point of the stylus message this thread retrieved last; (0, 0) before any.
POINT LastStylusRawPoint();
// A key press or release; extended marks the extended-key bit of the message's lParam.
void PostKey(BYTE vk, bool down, bool extended = false);
// A typed character, delivered as WM_CHAR.
void PostChar(WCHAR ch);

// The character a key types with the current shift state, or 0.
WCHAR CharacterOfKey(BYTE vk);

// Two presses within this many pixels (each way) and GetDoubleClickTime() make a double tap.
constexpr int kDoubleTapDistance = 4;

}  // namespace gwes

// The key's state as the messages retrieved so far left it: bit 15 down, bit 0 toggled.
SHORT GetKeyState(int vk);
SHORT GetAsyncKeyState(int vk);
UINT GetDoubleClickTime();
