// The process's kernel handle table. Every kernel object a service hands out (files, searches,
// registry keys, mutexes, events, processes, modules) is a KernelObject behind a handle value; a
// closed handle is simply gone from the table, so a stale handle fails cleanly instead of reaching
// freed memory.
#pragma once

#include <memory>

#include "platform/kernel/win32_types.h"

namespace kernel {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// An object that WaitForSingleObject can wait on (mutexes, events, processes).
class WaitableObject : public KernelObject {
 public:
  // Returns WAIT_OBJECT_0, WAIT_ABANDONED, WAIT_TIMEOUT or WAIT_FAILED.
  virtual DWORD Wait(DWORD timeoutMs) = 0;
};

// Stores the object and returns its new handle value (never null, never INVALID_HANDLE_VALUE).
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle when it is of type T; null (and ERROR_INVALID_HANDLE) otherwise.
std::shared_ptr<KernelObject> LookupHandleObject(HANDLE handle);
template <typename T>
std::shared_ptr<T> LookupHandle(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(LookupHandleObject(handle));
}

// Removes the handle; the object is destroyed when its last user lets go. False for an unknown
// handle.
bool RemoveHandle(HANDLE handle);

// Number of open handles, for tests and leak checks.
std::size_t OpenHandleCount();

}  // namespace kernel

// Closes any kernel handle.
BOOL CloseHandle(HANDLE handle);
