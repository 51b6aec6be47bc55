// The calling thread's last-error value, as GetLastError/SetLastError keep it.
#pragma once

#include "platform/kernel/win32_types.h"

DWORD GetLastError();
void SetLastError(DWORD error);
