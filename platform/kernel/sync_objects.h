// Named mutexes and events shared by every process that works on one device. The objects live in
// a shared-memory table named after the device root, guarded by a process-shared robust lock, so a
// process that dies while holding it never wedges another. A named object exists while some
// process has a handle to it; handles of a process that died are dropped the next time the table
// is touched. Events carry a 32-bit data word.
#pragma once

#include <string_view>

#include "platform/kernel/win32_types.h"

struct SECURITY_ATTRIBUTES;

// Creates the named mutex or opens the existing one; after an open of an existing object
// GetLastError() is ERROR_ALREADY_EXISTS, after a creation 0. A null name makes an anonymous one.
HANDLE CreateMutexW(SECURITY_ATTRIBUTES* security, BOOL initialOwner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);

// Creates the named event or opens the existing one (its state and data word stay as they are);
// GetLastError() as for CreateMutexW.
HANDLE CreateEventW(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
BOOL PulseEvent(HANDLE event);
DWORD GetEventData(HANDLE event);
BOOL SetEventData(HANDLE event, DWORD data);

// Waits on a mutex, an event or a process handle. An auto-reset event is reset by the wait that
// it releases. A mutex whose owner died is handed over with WAIT_ABANDONED. The time-out is
// measured by the clock service, so it passes at once under virtual time.
DWORD WaitForSingleObject(HANDLE object, DWORD timeoutMs);

namespace kernel {
// Read-only look at a named event for devicectl: whether it exists, its state and data word.
struct EventInfo {
  bool exists = false;
  bool manualReset = false;
  bool signalled = false;
  DWORD data = 0;
};
EventInfo InspectNamedEvent(std::u16string_view name);
}  // namespace kernel
