// The table of named mutexes and events that every process working on one device shares. It is a
// POSIX shared-memory object named after the device root, so two processes that open the same root
// see the same objects. One process-shared robust lock guards it: a process that dies while
// holding the lock hands it to the next one with a repair pass. A 32-bit change counter in the
// table is bumped on every change and doubles as the futex that waiters sleep on.
//
// Each slot records which processes hold handles to it (pid, process start time and a handle
// count). Every time the table is locked, openers whose process is gone (no such pid, a zombie, or
// a pid reused by a younger process) are dropped, a slot without openers is freed, and a mutex
// whose owning thread is gone becomes abandoned. A table left without objects is unlinked, so a
// device that nobody uses leaves nothing behind in /dev/shm.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/kernel/win32_types.h"

namespace kernel {

enum class SyncKind : std::uint32_t { kFree = 0, kMutex = 1, kEvent = 2 };

// The state of one mutex or event. Named objects keep it in the shared table, anonymous ones in
// the process; it is plain data either way.
struct SyncState {
  SyncKind kind = SyncKind::kFree;
  std::uint32_t manualReset = 0;
  std::uint32_t signalled = 0;
  std::uint32_t data = 0;  // the event's data word (GetEventData/SetEventData)
  // The owning thread of a mutex (ownerPid 0: not owned) and how often it took the mutex.
  std::int32_t ownerPid = 0;
  std::int32_t ownerTid = 0;
  std::uint64_t ownerStart = 0;
  std::uint32_t recursion = 0;
  // Set when the owner died holding the mutex; the next wait that takes it sees WAIT_ABANDONED.
  std::uint32_t abandoned = 0;
  // PulseEvent: the pulse counter a waiter compares against, and whether an auto-reset pulse still
  // has its one waiter to release.
  std::uint32_t pulseSeq = 0;
  std::uint32_t pulseTicket = 0;
};

// A process as the table knows it: the pid and its start time (clock ticks since boot), which
// tells a live process from a later one that reuses the pid.
struct ProcessIdentity {
  std::int32_t pid = 0;
  std::uint64_t startTime = 0;
};
ProcessIdentity SelfIdentity();
// The identity of a running process (start time 0 when it cannot be read).
ProcessIdentity IdentityOfProcess(std::int32_t pid);
std::int32_t CurrentThreadId();
// Whether the process is still running (a zombie counts as gone).
bool IsProcessAlive(const ProcessIdentity& process);
// Whether the mutex's owning thread still runs.
bool IsOwnerAlive(const SyncState& state);
// Takes the mutex from an owner that is gone; the next taker sees WAIT_ABANDONED.
void MarkAbandoned(SyncState& state);

// Sleeping on a 32-bit change counter: returns when it differs from seen, on a wake, or after ms.
void WaitForWordChange(const std::atomic<std::uint32_t>& word, std::uint32_t seen, DWORD ms,
                       bool shared);
void WakeWordWaiters(std::atomic<std::uint32_t>& word, bool shared);

// A program started on the device, as the table keeps it: so that a restart of the device can end
// it, and so that a program that lives in the virtual time of the process that started it (its
// starter) moves in step with it. The starter moves time only while each of its programs waits.
struct DeviceProgramState {
  ProcessIdentity program;  // pid 0 while it is being started
  ProcessIdentity starter;
  std::uint32_t followsStarter = 0;  // 1: lives in its starter's virtual time
  std::uint32_t joined = 0;          // 1 once the program has taken its starter's time
  std::uint64_t startedHostMs = 0;   // the host's monotonic clock when it was started
  std::uint32_t waiting = 0;         // 1 while its thread waits
  std::uint32_t waitSlot = 0;        // the object slot it waits on, plus 1; 0 for none
  std::uint64_t dueMs = 0;           // when its wait ends by time (UINT64_MAX: never)
  std::uint64_t nowMs = 0;           // the starter's virtual time as the program sees it
  std::int64_t baseUtcMs = 0;        // the starter's universal time at its time 0
};

// A handle's reference to its slot; the serial tells the slot's object from a later one.
struct SlotRef {
  std::uint32_t index = 0;
  std::uint32_t serial = 0;
};

struct TableHeader;

class SharedObjectTable {
 public:
  static constexpr std::size_t kSlotCount = 128;
  static constexpr std::size_t kMaxNameLength = 64;
  static constexpr std::size_t kMaxOpeners = 16;
  static constexpr std::size_t kProgramCount = 16;

  // The shared-memory name of a device's table: "/quorvane-" and the FNV-1a hash of the root.
  static std::string NameForRoot(const std::filesystem::path& root);

  // The table of the device at root, mapped once per process. With create false a missing table
  // gives null (ERROR_FILE_NOT_FOUND); other failures give null with ERROR_GEN_FAILURE.
  static std::shared_ptr<SharedObjectTable> ForRoot(const std::filesystem::path& root, bool create);

  struct Opened {
    std::shared_ptr<SharedObjectTable> table;
    SlotRef ref;
    bool created = false;
  };
  // Creates the named object with the initial state, or adds a handle of this process to the
  // existing object of that name. Fails (nullopt, last error set) with ERROR_INVALID_HANDLE when
  // the name belongs to an object of the other kind, ERROR_NOT_ENOUGH_MEMORY when the table or
  // the slot's opener list is full.
  static std::optional<Opened> OpenNamed(const std::filesystem::path& root, std::u16string_view name,
                                         const SyncState& initial);

  // The state of an existing named object of that kind, without opening it or creating anything.
  static std::optional<SyncState> Inspect(const std::filesystem::path& root, SyncKind kind,
                                          std::u16string_view name);

  ~SharedObjectTable();
  SharedObjectTable(const SharedObjectTable&) = delete;
  SharedObjectTable& operator=(const SharedObjectTable&) = delete;

  // Drops one handle of this process; the object goes when no process has one left.
  void Close(SlotRef ref);

  // Runs fn on the object's state under the table lock; fn returns whether it changed the state,
  // which wakes every waiter. Stores the change counter seen under the lock. False when the
  // object is gone.
  bool Update(SlotRef ref, const std::function<bool(SyncState&)>& fn, std::uint32_t* generation);

  // Sleeps until the table changes after generation, or ms pass.
  void WaitForChange(std::uint32_t generation, DWORD ms);

  const std::string& Name() const { return m_name; }

  // Records a program (state.program.pid may still be 0); nullopt when the table is full or cannot
  // be opened. A program is dropped once it has ended; one still being started, or one that
  // follows its starter's time, also once its starter has ended.
  static std::optional<std::pair<std::shared_ptr<SharedObjectTable>, SlotRef>> AddProgram(
      const std::filesystem::path& root, const DeviceProgramState& state);
  // Runs fn on the program's state under the table lock, with the table's change counter as it was
  // when the lock was taken; fn returns whether it changed the state, which wakes every waiter.
  // False when the program is no longer recorded.
  bool UpdateProgram(SlotRef ref, const std::function<bool(DeviceProgramState&, std::uint32_t)>& fn,
                     std::uint32_t* generation = nullptr);
  // Runs fn on every recorded program under the table lock (as UpdateProgram).
  void UpdatePrograms(const std::function<bool(std::vector<DeviceProgramState*>&)>& fn,
                      std::uint32_t* generation = nullptr);
  void RemoveProgram(SlotRef ref);

  // Takes the table lock and never gives it back: lets a test play a process that dies holding it.
  void LockAndForgetForTest();

 private:
  class Lock;
  SharedObjectTable(std::string name, TableHeader* header);
  // Runs use(table, lock) on the device's table under its lock. A table found retired was
  // unlinked by its last user a moment ago, so the new one is opened instead; a result of no
  // value (with ERROR_GEN_FAILURE when the table stays unusable) otherwise.
  template <typename Use>
  static auto WithUsableTable(const std::filesystem::path& root, bool create, Use&& use);
  static std::shared_ptr<SharedObjectTable> MapTable(const std::string& name, bool create);

  std::string m_name;
  TableHeader* m_header;
};

}  // namespace kernel
