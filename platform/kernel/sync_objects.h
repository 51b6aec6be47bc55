// Named mutexes and events shared by every process that works on one device. The objects live in
// a shared-memory table named after the device root, guarded by a process-shared robust lock, so a
// process that dies while holding it never wedges another. A named object exists while some
// process has a handle to it; handles of a process that died are dropped the next time the table
// is touched. Events carry a 32-bit data word.
//
// Names are compared case-sensitively, as the device's kernel does. Mutexes and events share one
// namespace, as in desktop Windows and the device kernels before 5.0: a name held by the other
// kind fails with ERROR_INVALID_HANDLE. A name holds at most 64 characters
// (ERROR_INVALID_PARAMETER beyond) and no backslash (ERROR_INVALID_NAME); "" is a name. A null
// name makes an object that only this process can reach.
//
// Waits: with a time-out of 0 the object is looked at once. On a real clock a wait blocks for up to
// the time-out. On a virtual clock a bounded wait looks once, moves virtual time forward by the
// whole time-out and looks once more, so a 2000 ms wait returns at once (a thread that follows
// virtual time, see FollowVirtualTime, waits instead until time has been moved past the end or the
// object is signalled); an INFINITE wait under
// virtual time blocks in real time until a peer signals. Time moves only as far as the programs this
// process started on the device let it (device_programs.h); in such a program every wait counts as
// waiting until its starter moves time past its end or the object changes. A mutex whose owning thread or process
// ended is handed to the next waiter with WAIT_ABANDONED.
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
