// Keyboard-event injection: every injected key is logged in the device store and handed to the
// window system's input path when one is installed.
#pragma once

#include <functional>

#include "platform/kernel/win32_types.h"

constexpr DWORD KEYEVENTF_EXTENDEDKEY = 0x0001;
constexpr DWORD KEYEVENTF_KEYUP = 0x0002;
constexpr DWORD KEYEVENTF_SILENT = 0x0004;

void keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo);

namespace kernel {
void SetKeyEventSink(std::function<void(BYTE vk, BYTE scan, DWORD flags)> sink);
}  // namespace kernel
