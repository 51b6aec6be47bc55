#include "platform/kernel/shared_object_table.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <type_traits>

#include "platform/kernel/last_error.h"

namespace kernel {

namespace {

constexpr std::uint32_t kTableMagic = 0x51534F32;  // "QSO2": layout version 2, initialised
constexpr auto kInitialiseTimeout = std::chrono::seconds(5);

struct Opener {
  std::int32_t pid;
  std::uint32_t handles;
  std::uint64_t startTime;
};

struct Slot {
  std::uint32_t serial;
  std::uint32_t nameLength;
  char16_t name[SharedObjectTable::kMaxNameLength];
  SyncState state;  // state.kind is kFree while the slot is unused
  Opener openers[SharedObjectTable::kMaxOpeners];
};

struct ProgramSlot {
  std::uint32_t serial;  // 0 while the slot is unused
  DeviceProgramState state;
};

static_assert(std::is_trivially_copyable_v<SyncState>);
static_assert(std::is_trivially_copyable_v<DeviceProgramState>);
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

// A file descriptor that closes itself.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

struct ProcessProbe {
  bool alive = false;
  std::uint64_t startTime = 0;  // 0 when it could not be read
};

// Reads /proc/<pid>/stat: the state (field 3) tells a zombie, field 22 is the start time. Falls
// back to kill(pid, 0) when /proc cannot be read for another reason than the process being gone.
ProcessProbe ProbeProcess(std::int32_t pid) {
  if (pid <= 0) return {};
  char path[48];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  FileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) {
    if (errno == ENOENT || errno == ESRCH) return {};
    return {::kill(pid, 0) == 0 || errno != ESRCH, 0};
  }
  char text[1024];
  ssize_t size = ::read(fd.Get(), text, sizeof text - 1);
  if (size <= 0) return {};
  text[size] = '\0';
  // The command name (field 2) may hold spaces and parentheses; the fields after the last ')' don't.
  const char* cursor = std::strrchr(text, ')');
  if (cursor == nullptr) return {true, 0};
  ++cursor;
  int field = 2;
  ProcessProbe probe{true, 0};
  while (*cursor != '\0') {
    while (*cursor == ' ') ++cursor;
    if (*cursor == '\0') break;
    ++field;
    const char* start = cursor;
    while (*cursor != ' ' && *cursor != '\0') ++cursor;
    if (field == 3 && (*start == 'Z' || *start == 'X' || *start == 'x')) return {};
    if (field == 22) {
      probe.startTime = std::strtoull(start, nullptr, 10);
      break;
    }
  }
  return probe;
}

thread_local ProcessIdentity t_self;

// Probes each pid once per sweep of the table.
class ProbeCache {
 public:
  bool IsAlive(const ProcessIdentity& process) {
    ProcessProbe probe = Lookup(process.pid);
    return probe.alive &&
           (probe.startTime == 0 || process.startTime == 0 || probe.startTime == process.startTime);
  }

 private:
  ProcessProbe Lookup(std::int32_t pid) {
    ProcessIdentity self = SelfIdentity();
    if (pid == self.pid) return {true, self.startTime};
    for (std::size_t i = 0; i < m_count; ++i) {
      if (m_pids[i] == pid) return m_probes[i];
    }
    ProcessProbe probe = ProbeProcess(pid);
    if (m_count < kEntries) {
      m_pids[m_count] = pid;
      m_probes[m_count] = probe;
      ++m_count;
    }
    return probe;
  }

  static constexpr std::size_t kEntries = 32;
  std::int32_t m_pids[kEntries] = {};
  ProcessProbe m_probes[kEntries] = {};
  std::size_t m_count = 0;
};

bool IsThreadAlive(std::int32_t pid, std::int32_t tid) {
  return ::syscall(SYS_tgkill, pid, tid, 0) == 0 || errno != ESRCH;
}

bool OwnerAlive(const SyncState& state, ProbeCache& cache) {
  return cache.IsAlive({state.ownerPid, state.ownerStart}) &&
         IsThreadAlive(state.ownerPid, state.ownerTid);
}

void FreeSlot(Slot& slot) { slot = Slot{}; }

bool NameMatches(const Slot& slot, std::u16string_view name) {
  return slot.nameLength == name.size() &&
         std::memcmp(slot.name, name.data(), name.size() * sizeof(char16_t)) == 0;
}

std::mutex g_cacheLock;
std::shared_ptr<SharedObjectTable> g_cached;

}  // namespace

struct TableHeader {
  std::atomic<std::uint32_t> ready;         // kTableMagic once initialised
  std::atomic<std::int32_t> initialiser;    // the pid that initialises (or did)
  std::atomic<std::uint32_t> generation;    // bumped on every change; the waiters' futex
  std::atomic<std::uint32_t> retired;       // set when the table was unlinked
  std::uint32_t nextSerial;
  pthread_mutex_t lock;
  Slot slots[SharedObjectTable::kSlotCount];
  ProgramSlot programs[SharedObjectTable::kProgramCount];
};

ProcessIdentity SelfIdentity() {
  std::int32_t pid = ::getpid();
  // A forked child inherits the parent's cached value; the pid tells.
  if (t_self.pid != pid) t_self = {pid, ProbeProcess(pid).startTime};
  return t_self;
}

ProcessIdentity IdentityOfProcess(std::int32_t pid) { return {pid, ProbeProcess(pid).startTime}; }

std::int32_t CurrentThreadId() { return static_cast<std::int32_t>(::gettid()); }

bool IsProcessAlive(const ProcessIdentity& process) {
  ProbeCache cache;
  return cache.IsAlive(process);
}

bool IsOwnerAlive(const SyncState& state) {
  ProbeCache cache;
  return OwnerAlive(state, cache);
}

void MarkAbandoned(SyncState& state) {
  state.ownerPid = 0;
  state.ownerTid = 0;
  state.ownerStart = 0;
  state.recursion = 0;
  state.abandoned = 1;
}

void WaitForWordChange(const std::atomic<std::uint32_t>& word, std::uint32_t seen, DWORD ms,
                       bool shared) {
  timespec relative{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  auto* address = const_cast<std::uint32_t*>(reinterpret_cast<const std::uint32_t*>(&word));
  ::syscall(SYS_futex, address, shared ? FUTEX_WAIT : FUTEX_WAIT_PRIVATE, seen, &relative, nullptr, 0);
}

void WakeWordWaiters(std::atomic<std::uint32_t>& word, bool shared) {
  auto* address = reinterpret_cast<std::uint32_t*>(&word);
  ::syscall(SYS_futex, address, shared ? FUTEX_WAKE : FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

// The table lock. Taking it repairs the table after a holder died, then drops dead openers and
// abandons mutexes of dead owners; letting it go bumps the change counter when anything changed,
// unlinks a table left empty, and wakes the waiters.
class SharedObjectTable::Lock {
 public:
  explicit Lock(SharedObjectTable& table) : m_table(table), m_header(*table.m_header) {
    int rc = ::pthread_mutex_lock(&m_header.lock);
    if (rc == EOWNERDEAD) {
      Repair();
      ::pthread_mutex_consistent(&m_header.lock);
      m_changed = true;
      rc = 0;
    } else if (rc == ENOTRECOVERABLE) {
      // Cannot happen while every taker repairs; if it does, retire the table so that new opens
      // start afresh instead of failing forever.
      m_header.retired.store(1);
      ::shm_unlink(m_table.m_name.c_str());
    }
    m_locked = rc == 0;
    if (m_locked && !Retired()) Sweep();
  }

  ~Lock() {
    if (!m_locked) return;
    if (m_changed) m_header.generation.fetch_add(1);
    if (!Retired() && IsEmpty()) {
      m_header.retired.store(1);
      ::shm_unlink(m_table.m_name.c_str());
      m_changed = true;
    }
    ::pthread_mutex_unlock(&m_header.lock);
    if (m_changed) WakeWordWaiters(m_header.generation, true);
  }

  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  // Whether the table may be used: locked and not retired.
  bool Usable() const { return m_locked && !Retired(); }
  bool Retired() const { return m_header.retired.load() != 0; }
  void Changed() { m_changed = true; }
  // The change counter as waiters will see it once this lock is let go.
  std::uint32_t Generation() const { return m_header.generation.load() + (m_changed ? 1 : 0); }
  TableHeader& Header() { return m_header; }

 private:
  // A holder died part-way through a change: clear whatever a slot cannot hold; the sweep then
  // frees slots that were left without openers.
  void Repair() {
    for (Slot& slot : m_header.slots) {
      auto kind = static_cast<std::uint32_t>(slot.state.kind);
      if (kind > static_cast<std::uint32_t>(SyncKind::kEvent) || slot.nameLength > kMaxNameLength) {
        FreeSlot(slot);
      }
    }
  }

  void Sweep() {
    ProbeCache cache;
    for (ProgramSlot& slot : m_header.programs) {
      if (slot.serial == 0) continue;
      const DeviceProgramState& program = slot.state;
      bool ended = program.program.pid != 0 ? !cache.IsAlive(program.program)
                                            : !cache.IsAlive(program.starter);
      if (!ended && program.followsStarter != 0) ended = !cache.IsAlive(program.starter);
      if (ended) {
        slot = ProgramSlot{};
        m_changed = true;
      }
    }
    for (Slot& slot : m_header.slots) {
      if (slot.state.kind == SyncKind::kFree) continue;
      bool anyOpener = false;
      for (Opener& opener : slot.openers) {
        if (opener.handles == 0) continue;
        if (cache.IsAlive({opener.pid, opener.startTime})) {
          anyOpener = true;
        } else {
          opener = Opener{};
          m_changed = true;
        }
      }
      if (!anyOpener) {
        FreeSlot(slot);
        m_changed = true;
        continue;
      }
      SyncState& state = slot.state;
      if (state.kind == SyncKind::kMutex && state.ownerPid != 0 && !OwnerAlive(state, cache)) {
        MarkAbandoned(state);
        m_changed = true;
      }
    }
  }

  bool IsEmpty() const {
    for (const Slot& slot : m_header.slots) {
      if (slot.state.kind != SyncKind::kFree) return false;
    }
    for (const ProgramSlot& slot : m_header.programs) {
      if (slot.serial != 0) return false;
    }
    return true;
  }

  SharedObjectTable& m_table;
  TableHeader& m_header;
  bool m_locked = false;
  bool m_changed = false;
};

SharedObjectTable::SharedObjectTable(std::string name, TableHeader* header)
    : m_name(std::move(name)), m_header(header) {}

SharedObjectTable::~SharedObjectTable() { ::munmap(m_header, sizeof(TableHeader)); }

std::string SharedObjectTable::NameForRoot(const std::filesystem::path& root) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : root.string()) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char name[40];
  std::snprintf(name, sizeof name, "/quorvane-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

std::shared_ptr<SharedObjectTable> SharedObjectTable::MapTable(const std::string& name, bool create) {
  int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0);
  FileDescriptor fd(::shm_open(name.c_str(), flags, 0600));
  if (fd.Get() < 0) {
    SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_GEN_FAILURE);
    return nullptr;
  }
  // Whoever finds the object short extends it; the new bytes read as zero, and extending to the
  // same size twice changes nothing.
  struct stat info{};
  if (::fstat(fd.Get(), &info) != 0 ||
      (info.st_size < static_cast<off_t>(sizeof(TableHeader)) &&
       ::ftruncate(fd.Get(), sizeof(TableHeader)) != 0) ||
      ::fstat(fd.Get(), &info) != 0 || info.st_size != static_cast<off_t>(sizeof(TableHeader))) {
    SetLastError(ERROR_GEN_FAILURE);
    return nullptr;
  }
  void* memory = ::mmap(nullptr, sizeof(TableHeader), PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
  if (memory == MAP_FAILED) {
    SetLastError(ERROR_GEN_FAILURE);
    return nullptr;
  }
  auto* header = static_cast<TableHeader*>(memory);
  std::shared_ptr<SharedObjectTable> table(new SharedObjectTable(name, header));

  // The first process to claim the initialiser word sets the table up; a claim left by a process
  // that died before finishing is taken over.
  auto deadline = std::chrono::steady_clock::now() + kInitialiseTimeout;
  std::int32_t self = ::getpid();
  for (;;) {
    std::uint32_t ready = header->ready.load(std::memory_order_acquire);
    if (ready == kTableMagic) return table;
    if (ready != 0) break;  // a table of another layout
    std::int32_t claimant = 0;
    bool claimed = header->initialiser.compare_exchange_strong(claimant, self);
    if (!claimed && claimant != self && !IsProcessAlive({claimant, 0})) {
      claimed = header->initialiser.compare_exchange_strong(claimant, self);
    }
    if (claimed) {
      for (Slot& slot : header->slots) FreeSlot(slot);
      for (ProgramSlot& slot : header->programs) slot = ProgramSlot{};
      header->generation.store(0);
      header->retired.store(0);
      header->nextSerial = 0;
      pthread_mutexattr_t attributes;
      ::pthread_mutexattr_init(&attributes);
      ::pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
      ::pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
      int rc = ::pthread_mutex_init(&header->lock, &attributes);
      ::pthread_mutexattr_destroy(&attributes);
      if (rc != 0) break;
      header->ready.store(kTableMagic, std::memory_order_release);
      return table;
    }
    if (std::chrono::steady_clock::now() > deadline) break;
    timespec pause{0, 1000000};
    ::nanosleep(&pause, nullptr);
  }
  SetLastError(ERROR_GEN_FAILURE);
  return nullptr;
}

std::shared_ptr<SharedObjectTable> SharedObjectTable::ForRoot(const std::filesystem::path& root,
                                                              bool create) {
  std::string name = NameForRoot(root);
  std::lock_guard guard(g_cacheLock);
  if (g_cached && g_cached->m_name == name && g_cached->m_header->retired.load() == 0) return g_cached;
  auto table = MapTable(name, create);
  if (table) g_cached = table;
  return table;
}

template <typename Use>
auto SharedObjectTable::WithUsableTable(const std::filesystem::path& root, bool create, Use&& use) {
  using Result = decltype(use(std::declval<std::shared_ptr<SharedObjectTable>&>(), std::declval<Lock&>()));
  for (int attempt = 0; attempt < 4; ++attempt) {
    auto table = ForRoot(root, create);
    if (!table) return Result{};
    Lock lock(*table);
    if (lock.Usable()) return use(table, lock);
    if (!lock.Retired()) break;
  }
  SetLastError(ERROR_GEN_FAILURE);
  return Result{};
}

std::optional<SharedObjectTable::Opened> SharedObjectTable::OpenNamed(const std::filesystem::path& root,
                                                                      std::u16string_view name,
                                                                      const SyncState& initial) {
  auto open = [&](std::shared_ptr<SharedObjectTable>& table, Lock& lock) -> std::optional<Opened> {
    TableHeader& header = lock.Header();
    ProcessIdentity self = SelfIdentity();
    Slot* found = nullptr;
    Slot* freeSlot = nullptr;
    std::uint32_t index = 0;
    for (std::uint32_t i = 0; i < kSlotCount; ++i) {
      Slot& slot = header.slots[i];
      if (slot.state.kind == SyncKind::kFree) {
        if (freeSlot == nullptr) {
          freeSlot = &slot;
          index = i;
        }
      } else if (NameMatches(slot, name)) {
        found = &slot;
        index = i;
        break;
      }
    }
    if (found != nullptr) {
      if (found->state.kind != initial.kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return std::nullopt;
      }
      Opener* entry = nullptr;
      for (Opener& opener : found->openers) {
        if (opener.handles != 0 && opener.pid == self.pid && opener.startTime == self.startTime) {
          entry = &opener;
          break;
        }
        if (opener.handles == 0 && entry == nullptr) entry = &opener;
      }
      if (entry == nullptr || entry->handles == UINT32_MAX) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return std::nullopt;
      }
      if (entry->handles == 0) *entry = Opener{self.pid, 0, self.startTime};
      ++entry->handles;
      return Opened{table, {index, found->serial}, false};
    }
    if (freeSlot == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return std::nullopt;
    }
    if (++header.nextSerial == 0) header.nextSerial = 1;
    freeSlot->serial = header.nextSerial;
    freeSlot->openers[0] = Opener{self.pid, 1, self.startTime};
    std::memcpy(freeSlot->name, name.data(), name.size() * sizeof(char16_t));
    freeSlot->nameLength = static_cast<std::uint32_t>(name.size());
    freeSlot->state = initial;
    lock.Changed();
    return Opened{table, {index, freeSlot->serial}, true};
  };
  return WithUsableTable(root, true, open);
}

std::optional<SyncState> SharedObjectTable::Inspect(const std::filesystem::path& root, SyncKind kind,
                                                    std::u16string_view name) {
  return WithUsableTable(root, false, [&](std::shared_ptr<SharedObjectTable>&, Lock& lock) -> std::optional<SyncState> {
    for (const Slot& slot : lock.Header().slots) {
      if (slot.state.kind == kind && NameMatches(slot, name)) return slot.state;
    }
    return std::nullopt;
  });
}

void SharedObjectTable::Close(SlotRef ref) {
  Lock lock(*this);
  if (!lock.Usable() || ref.index >= kSlotCount) return;
  Slot& slot = lock.Header().slots[ref.index];
  if (slot.state.kind == SyncKind::kFree || slot.serial != ref.serial) return;
  ProcessIdentity self = SelfIdentity();
  bool anyOpener = false;
  for (Opener& opener : slot.openers) {
    if (opener.handles != 0 && opener.pid == self.pid && opener.startTime == self.startTime) {
      if (--opener.handles == 0) opener = Opener{};
    }
    if (opener.handles != 0) anyOpener = true;
  }
  if (!anyOpener) FreeSlot(slot);
  lock.Changed();
}

bool SharedObjectTable::Update(SlotRef ref, const std::function<bool(SyncState&)>& fn,
                               std::uint32_t* generation) {
  Lock lock(*this);
  if (!lock.Usable() || ref.index >= kSlotCount) return false;
  Slot& slot = lock.Header().slots[ref.index];
  if (slot.state.kind == SyncKind::kFree || slot.serial != ref.serial) return false;
  if (fn(slot.state)) {
    lock.Changed();
    // A program waiting on this object runs again from now on: it looks at the object before
    // anyone may move time past it.
    for (ProgramSlot& program : lock.Header().programs) {
      if (program.serial != 0 && program.state.waiting != 0 && program.state.waitSlot == ref.index + 1) {
        program.state.waiting = 0;
        program.state.waitSlot = 0;
      }
    }
  }
  if (generation != nullptr) *generation = lock.Generation();
  return true;
}

std::optional<std::pair<std::shared_ptr<SharedObjectTable>, SlotRef>> SharedObjectTable::AddProgram(
    const std::filesystem::path& root, const DeviceProgramState& state) {
  using Added = std::optional<std::pair<std::shared_ptr<SharedObjectTable>, SlotRef>>;
  return WithUsableTable(root, true, [&](std::shared_ptr<SharedObjectTable>& table, Lock& lock) -> Added {
    TableHeader& header = lock.Header();
    for (std::uint32_t i = 0; i < kProgramCount; ++i) {
      ProgramSlot& slot = header.programs[i];
      if (slot.serial != 0) continue;
      if (++header.nextSerial == 0) header.nextSerial = 1;
      slot.serial = header.nextSerial;
      slot.state = state;
      lock.Changed();
      return std::make_pair(table, SlotRef{i, slot.serial});
    }
    return std::nullopt;
  });
}

bool SharedObjectTable::UpdateProgram(SlotRef ref, const std::function<bool(DeviceProgramState&, std::uint32_t)>& fn,
                                      std::uint32_t* generation) {
  Lock lock(*this);
  if (!lock.Usable() || ref.index >= kProgramCount) return false;
  ProgramSlot& slot = lock.Header().programs[ref.index];
  if (slot.serial == 0 || slot.serial != ref.serial) return false;
  if (fn(slot.state, lock.Header().generation.load())) lock.Changed();
  if (generation != nullptr) *generation = lock.Generation();
  return true;
}

void SharedObjectTable::UpdatePrograms(const std::function<bool(std::vector<DeviceProgramState*>&)>& fn,
                                       std::uint32_t* generation) {
  Lock lock(*this);
  if (!lock.Usable()) return;
  std::vector<DeviceProgramState*> programs;
  for (ProgramSlot& slot : lock.Header().programs) {
    if (slot.serial != 0) programs.push_back(&slot.state);
  }
  if (fn(programs)) lock.Changed();
  if (generation != nullptr) *generation = lock.Generation();
}

void SharedObjectTable::RemoveProgram(SlotRef ref) {
  Lock lock(*this);
  if (!lock.Usable() || ref.index >= kProgramCount) return;
  ProgramSlot& slot = lock.Header().programs[ref.index];
  if (slot.serial != ref.serial) return;
  slot = ProgramSlot{};
  lock.Changed();
}

void SharedObjectTable::WaitForChange(std::uint32_t generation, DWORD ms) {
  WaitForWordChange(m_header->generation, generation, ms, true);
}

void SharedObjectTable::LockAndForgetForTest() {
  if (::pthread_mutex_lock(&m_header->lock) == EOWNERDEAD) ::pthread_mutex_consistent(&m_header->lock);
}

}  // namespace kernel
