#include "platform/kernel/sync_objects.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/shared_object_table.h"

namespace kernel {
namespace {

// A blocked waiter looks again this often even without a change, so that an owner that died
// (which nobody announces) is noticed.
constexpr DWORD kLivenessPollMs = 50;

using StateFn = std::function<bool(SyncState&)>;

// The thread that waits, and the pulse counter it saw when it started waiting.
struct Waiter {
  ProcessIdentity process;
  std::int32_t tid = 0;
  bool registered = false;
  std::uint32_t pulseSeen = 0;
};

bool IsOwner(const SyncState& state, const ProcessIdentity& process, std::int32_t tid) {
  return state.ownerPid == process.pid && state.ownerTid == tid && state.ownerStart == process.startTime;
}

// One look at the object for a waiting thread: takes it when it can (an auto-reset event is reset,
// a mutex becomes the thread's). Stores WAIT_OBJECT_0, WAIT_ABANDONED, WAIT_TIMEOUT (not yet) or
// WAIT_FAILED, and returns whether the state changed.
bool TryTake(SyncState& state, Waiter& waiter, DWORD* result) {
  *result = WAIT_TIMEOUT;
  if (state.kind == SyncKind::kMutex) {
    if (state.ownerPid == 0) {
      *result = state.abandoned != 0 ? WAIT_ABANDONED : WAIT_OBJECT_0;
      state.ownerPid = waiter.process.pid;
      state.ownerTid = waiter.tid;
      state.ownerStart = waiter.process.startTime;
      state.recursion = 1;
      state.abandoned = 0;
      return true;
    }
    if (IsOwner(state, waiter.process, waiter.tid)) {
      if (state.recursion == UINT32_MAX) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        *result = WAIT_FAILED;
        return false;
      }
      ++state.recursion;
      *result = WAIT_OBJECT_0;
      return true;
    }
    return false;
  }
  if (state.signalled != 0) {
    *result = WAIT_OBJECT_0;
    if (state.manualReset != 0) return false;
    state.signalled = 0;
    return true;
  }
  if (!waiter.registered) {
    waiter.registered = true;
    waiter.pulseSeen = state.pulseSeq;
    return false;
  }
  if (state.pulseSeq != waiter.pulseSeen) {
    // A pulse came while this thread waited: a manual-reset pulse releases every such waiter, an
    // auto-reset pulse the first one to look.
    if (state.manualReset != 0) {
      *result = WAIT_OBJECT_0;
      return false;
    }
    waiter.pulseSeen = state.pulseSeq;
    if (state.pulseTicket != 0) {
      state.pulseTicket = 0;
      *result = WAIT_OBJECT_0;
      return true;
    }
  }
  return false;
}

class SyncObject : public WaitableObject, public std::enable_shared_from_this<SyncObject> {
 public:
  explicit SyncObject(SyncKind kind) : m_kind(kind) {}
  SyncKind Kind() const { return m_kind; }

  // Runs fn on the state under the object's lock (fn returns whether it changed the state, which
  // wakes the waiters) and stores the change counter seen. False when the object is gone.
  virtual bool Access(const StateFn& fn, std::uint32_t* generation) = 0;
  // Sleeps until the object may have changed after generation, or ms pass.
  virtual void WaitForChange(std::uint32_t generation, DWORD ms) = 0;
  // The object's slot in the device's shared table, for a named object.
  virtual std::optional<std::uint32_t> TableSlot() const { return std::nullopt; }

  // Like Access, with ERROR_INVALID_HANDLE for an object that is gone.
  bool Apply(const StateFn& fn) {
    if (Access(fn, nullptr)) return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }

  DWORD Wait(DWORD timeoutMs) override;

 private:
  DWORD WaitForState(DWORD timeoutMs);

  SyncKind m_kind;
};

// The mutexes the calling thread has taken. When the thread ends, those it still owns are
// abandoned at once, as the device's kernel does, rather than when a later look finds the thread
// gone (the host reports a joined thread as gone only a moment later).
class ThreadMutexes {
 public:
  ~ThreadMutexes() {
    ProcessIdentity self = SelfIdentity();
    std::int32_t tid = CurrentThreadId();
    for (const auto& weak : m_owned) {
      if (auto object = weak.lock()) {
        object->Access(
            [&](SyncState& state) {
              if (!IsOwner(state, self, tid)) return false;
              MarkAbandoned(state);
              return true;
            },
            nullptr);
      }
    }
  }
  void Add(const std::shared_ptr<SyncObject>& object) {
    for (const auto& weak : m_owned) {
      if (weak.lock() == object) return;
    }
    std::erase_if(m_owned, [](const auto& weak) { return weak.expired(); });
    m_owned.push_back(object);
  }
  void Remove(const SyncObject* object) {
    std::erase_if(m_owned, [&](const auto& weak) {
      auto locked = weak.lock();
      return !locked || locked.get() == object;
    });
  }

 private:
  std::vector<std::weak_ptr<SyncObject>> m_owned;
};

thread_local ThreadMutexes t_ownedMutexes;

DWORD SyncObject::Wait(DWORD timeoutMs) {
  DWORD result = WaitForState(timeoutMs);
  if (m_kind == SyncKind::kMutex && (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)) {
    t_ownedMutexes.Add(shared_from_this());
  }
  return result;
}

DWORD SyncObject::WaitForState(DWORD timeoutMs) {
  Waiter waiter{SelfIdentity(), CurrentThreadId()};
  std::uint32_t generation = 0;
  auto look = [&]() -> DWORD {
    DWORD result = WAIT_FAILED;
    if (!Access([&](SyncState& state) { return TryTake(state, waiter, &result); }, &generation)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    return result;
  };
  DWORD result = look();
  if (result != WAIT_TIMEOUT || timeoutMs == 0) return result;

  // Under virtual time a bounded wait does not block: the time-out passes at once (as far as the
  // programs this process started on the device let it). A worker that follows virtual time waits
  // instead until another thread has moved time past its end; a program that follows its starter's
  // time waits, with or without a time-out, until the starter or a change of the object lets it go.
  auto& clock = Clock();
  if (clock.IsVirtual() && (timeoutMs != INFINITE || clock.FollowsStarter())) {
    if (!FollowsVirtualTime()) {
      VirtualWait wait;
      wait.dueMs = timeoutMs == INFINITE ? VirtualWait::kNoDue : clock.MonotonicMs() + timeoutMs;
      wait.done = [&] { return (result = look()) != WAIT_TIMEOUT; };
      wait.tableSlot = TableSlot();
      wait.seenGeneration = wait.tableSlot ? &generation : nullptr;
      return clock.PassTime(wait) ? result : look();
    }
    FollowVirtualTimeUntil(
        Clock().MonotonicMs() + timeoutMs, [&](DWORD slice) { WaitForChange(generation, slice); },
        [&] { return (result = look()) != WAIT_TIMEOUT; });
    return result;
  }
  // The clock counts whole milliseconds, so a wait ends once one more has been counted: it never
  // returns WAIT_TIMEOUT before the full time-out has passed.
  bool bounded = timeoutMs != INFINITE;
  std::uint64_t start = Clock().MonotonicMs();
  for (;;) {
    DWORD slice = kLivenessPollMs;
    if (bounded) {
      std::uint64_t elapsed = Clock().MonotonicMs() - start;
      if (elapsed > timeoutMs) return WAIT_TIMEOUT;
      slice = static_cast<DWORD>(std::min<std::uint64_t>(slice, timeoutMs - elapsed + 1));
    }
    WaitForChange(generation, slice);
    result = look();
    if (result != WAIT_TIMEOUT) return result;
  }
}

// A named object: its state lives in the device's shared table.
class NamedSyncObject final : public SyncObject {
 public:
  NamedSyncObject(SyncKind kind, std::shared_ptr<SharedObjectTable> table, SlotRef ref)
      : SyncObject(kind), m_table(std::move(table)), m_ref(ref), m_openerPid(::getpid()) {}

  // A forked child inherits the parent's handles but holds none of its own in the table.
  ~NamedSyncObject() override {
    if (::getpid() == m_openerPid) m_table->Close(m_ref);
  }

  bool Access(const StateFn& fn, std::uint32_t* generation) override {
    return m_table->Update(m_ref, fn, generation);
  }
  void WaitForChange(std::uint32_t generation, DWORD ms) override {
    m_table->WaitForChange(generation, ms);
  }
  std::optional<std::uint32_t> TableSlot() const override { return m_ref.index; }

 private:
  std::shared_ptr<SharedObjectTable> m_table;
  SlotRef m_ref;
  std::int32_t m_openerPid;
};

// An anonymous object: only this process can reach it.
class LocalSyncObject final : public SyncObject {
 public:
  explicit LocalSyncObject(const SyncState& initial) : SyncObject(initial.kind), m_state(initial) {}

  bool Access(const StateFn& fn, std::uint32_t* generation) override {
    bool changed = false;
    {
      std::lock_guard guard(m_lock);
      if (m_state.kind == SyncKind::kMutex && m_state.ownerPid != 0 && !IsOwnerAlive(m_state)) {
        MarkAbandoned(m_state);
        changed = true;
      }
      if (fn(m_state)) changed = true;
      if (changed) m_generation.fetch_add(1);
      if (generation != nullptr) *generation = m_generation.load();
    }
    if (changed) WakeWordWaiters(m_generation, false);
    return true;
  }
  void WaitForChange(std::uint32_t generation, DWORD ms) override {
    WaitForWordChange(m_generation, generation, ms, false);
  }

 private:
  std::mutex m_lock;
  SyncState m_state;
  std::atomic<std::uint32_t> m_generation{0};
};

std::shared_ptr<SyncObject> LookupSync(HANDLE handle, SyncKind kind) {
  auto object = LookupHandle<SyncObject>(handle);
  if (!object || object->Kind() != kind) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object;
}

HANDLE CreateSyncObject(const SyncState& initial, LPCWSTR name) {
  if (name == nullptr) {
    auto object = std::make_shared<LocalSyncObject>(initial);
    if (initial.ownerPid != 0) t_ownedMutexes.Add(object);
    HANDLE handle = InsertHandle(std::move(object));
    SetLastError(ERROR_SUCCESS);
    return handle;
  }
  std::u16string_view view(name);
  if (view.size() > SharedObjectTable::kMaxNameLength) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (view.find(u'\\') != std::u16string_view::npos) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  if (!HasCurrentDevice()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  auto opened = SharedObjectTable::OpenNamed(CurrentDevice().Root(), view, initial);
  if (!opened) return nullptr;
  auto object = std::make_shared<NamedSyncObject>(initial.kind, std::move(opened->table), opened->ref);
  if (opened->created && initial.ownerPid != 0) t_ownedMutexes.Add(object);
  HANDLE handle = InsertHandle(std::move(object));
  SetLastError(opened->created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
  return handle;
}

// Runs fn on an event's state; FALSE with ERROR_INVALID_HANDLE for anything but a live event.
BOOL UpdateEvent(HANDLE event, const StateFn& fn) {
  auto object = LookupSync(event, SyncKind::kEvent);
  return object && object->Apply(fn) ? TRUE : FALSE;
}

}  // namespace

EventInfo InspectNamedEvent(std::u16string_view name) {
  EventInfo info;
  if (!HasCurrentDevice() || name.size() > SharedObjectTable::kMaxNameLength) return info;
  auto state = SharedObjectTable::Inspect(CurrentDevice().Root(), SyncKind::kEvent, name);
  if (state) {
    info.exists = true;
    info.manualReset = state->manualReset != 0;
    info.signalled = state->signalled != 0;
    info.data = state->data;
  }
  return info;
}

}  // namespace kernel

using kernel::SyncKind;
using kernel::SyncState;

HANDLE CreateMutexW(SECURITY_ATTRIBUTES* /*security*/, BOOL initialOwner, LPCWSTR name) {
  SyncState initial;
  initial.kind = SyncKind::kMutex;
  if (initialOwner) {
    kernel::ProcessIdentity self = kernel::SelfIdentity();
    initial.ownerPid = self.pid;
    initial.ownerTid = kernel::CurrentThreadId();
    initial.ownerStart = self.startTime;
    initial.recursion = 1;
  }
  return kernel::CreateSyncObject(initial, name);
}

BOOL ReleaseMutex(HANDLE mutex) {
  auto object = kernel::LookupSync(mutex, SyncKind::kMutex);
  if (!object) return FALSE;
  kernel::ProcessIdentity self = kernel::SelfIdentity();
  std::int32_t tid = kernel::CurrentThreadId();
  bool owner = false;
  bool released = false;
  bool live = object->Apply([&](SyncState& state) {
    owner = kernel::IsOwner(state, self, tid);
    if (!owner) return false;
    if (--state.recursion != 0) return false;
    state.ownerPid = 0;
    state.ownerTid = 0;
    state.ownerStart = 0;
    released = true;
    return true;
  });
  if (!live) return FALSE;
  if (!owner) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (released) kernel::t_ownedMutexes.Remove(object.get());
  return TRUE;
}

HANDLE CreateEventW(SECURITY_ATTRIBUTES* /*security*/, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  SyncState initial;
  initial.kind = SyncKind::kEvent;
  initial.manualReset = manualReset ? 1 : 0;
  initial.signalled = initialState ? 1 : 0;
  return kernel::CreateSyncObject(initial, name);
}

BOOL SetEvent(HANDLE event) {
  return kernel::UpdateEvent(event, [](SyncState& state) {
    bool was = state.signalled != 0;
    state.signalled = 1;
    return !was;
  });
}

BOOL ResetEvent(HANDLE event) {
  return kernel::UpdateEvent(event, [](SyncState& state) {
    state.signalled = 0;
    return false;
  });
}

// Releases the threads that wait at this moment (all of them for a manual-reset event, one for an
// auto-reset event) and leaves the event not signalled; with nobody waiting it only resets.
BOOL PulseEvent(HANDLE event) {
  return kernel::UpdateEvent(event, [](SyncState& state) {
    state.signalled = 0;
    ++state.pulseSeq;
    state.pulseTicket = state.manualReset != 0 ? 0 : 1;
    return true;
  });
}

// Zero is a valid data word: GetLastError() is 0 after a successful read.
DWORD GetEventData(HANDLE event) {
  DWORD data = 0;
  if (!kernel::UpdateEvent(event, [&](SyncState& state) {
        data = state.data;
        return false;
      })) {
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return data;
}

BOOL SetEventData(HANDLE event, DWORD data) {
  return kernel::UpdateEvent(event, [data](SyncState& state) {
    state.data = data;
    return false;
  });
}

DWORD WaitForSingleObject(HANDLE object, DWORD timeoutMs) {
  auto waitable = kernel::LookupHandle<kernel::WaitableObject>(object);
  if (!waitable) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return waitable->Wait(timeoutMs);
}
