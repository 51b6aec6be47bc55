// The virtual keys: the Win32 codes, and the two keys of the device's keypad that Win32 leaves to
// the maker (cancel and close). The front ends map host keys onto these and nothing else.
#pragma once

#include "platform/kernel/win32_types.h"

constexpr BYTE VK_LBUTTON = 0x01;
constexpr BYTE VK_CANCEL = 0x03;
constexpr BYTE VK_BACK = 0x08;
constexpr BYTE VK_TAB = 0x09;
constexpr BYTE VK_RETURN = 0x0D;
constexpr BYTE VK_SHIFT = 0x10;
constexpr BYTE VK_CONTROL = 0x11;
constexpr BYTE VK_MENU = 0x12;
constexpr BYTE VK_ESCAPE = 0x1B;
constexpr BYTE VK_SPACE = 0x20;
constexpr BYTE VK_PRIOR = 0x21;
constexpr BYTE VK_NEXT = 0x22;
constexpr BYTE VK_END = 0x23;
constexpr BYTE VK_HOME = 0x24;
constexpr BYTE VK_LEFT = 0x25;
constexpr BYTE VK_UP = 0x26;
constexpr BYTE VK_RIGHT = 0x27;
constexpr BYTE VK_DOWN = 0x28;
constexpr BYTE VK_DELETE = 0x2E;
constexpr BYTE VK_F1 = 0x70;
constexpr BYTE VK_F6 = 0x75;
constexpr BYTE VK_F7 = 0x76;
constexpr BYTE VK_F10 = 0x79;
// The device's cancel key leaves the page in front; its close key ends the program.
constexpr BYTE VK_DEVICE_CANCEL = 0xC3;
constexpr BYTE VK_DEVICE_CLOSE = 0xC5;
// The power key: the power manager takes it (it suspends the device, or wakes it) and the program
// never sees it.
constexpr BYTE VK_OFF = 0xDF;
