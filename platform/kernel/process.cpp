#include "platform/kernel/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_programs.h"
#include "platform/kernel/resources.h"
#include "platform/kernel/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/host_file.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"

extern char** environ;

namespace kernel {
namespace {

// Children whose handles were closed while they still ran. Nobody waits for them any more, so
// they are reaped here, without blocking, whenever a process starts or a process handle closes.
std::mutex g_orphanLock;
std::vector<pid_t> g_orphans;

void ReapOrphans() {
  std::lock_guard guard(g_orphanLock);
  std::erase_if(g_orphans, [](pid_t pid) {
    int status = 0;
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    return done == pid || (done < 0 && errno == ECHILD);
  });
}

void AdoptOrphan(pid_t pid) {
  std::lock_guard guard(g_orphanLock);
  g_orphans.push_back(pid);
}

// A started program. Its exit is noticed by polling waitpid, so no signal handler is needed and
// nothing else in the process can steal the child's status.
class ProcessObject final : public WaitableObject {
 public:
  explicit ProcessObject(pid_t pid) : m_pid(pid) {}
  ~ProcessObject() override {
    if (!Poll()) AdoptOrphan(m_pid);
    ReapOrphans();
  }

  DWORD Wait(DWORD timeoutMs) override {
    if (Poll()) return WAIT_OBJECT_0;
    if (timeoutMs == 0) return WAIT_TIMEOUT;
    auto& clock = Clock();
    if (timeoutMs == INFINITE) {
      // Only the child can end this wait, so it is waited for in real time on either clock.
      while (!Poll()) std::this_thread::sleep_for(std::chrono::milliseconds(kPollStepMs));
      return WAIT_OBJECT_0;
    }
    if (clock.IsVirtual()) {
      VirtualWait wait;
      wait.dueMs = clock.MonotonicMs() + timeoutMs;
      wait.done = [this] { return Poll(); };
      return clock.PassTime(wait) || Poll() ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
    std::uint64_t deadline = clock.MonotonicMs() + timeoutMs;
    for (;;) {
      std::uint64_t now = clock.MonotonicMs();
      if (now >= deadline) return WAIT_TIMEOUT;
      clock.Sleep(static_cast<DWORD>(std::min<std::uint64_t>(deadline - now, kPollStepMs)));
      if (Poll()) return WAIT_OBJECT_0;
    }
  }

  DWORD ExitCode() { return Poll() ? m_exitCode : STILL_ACTIVE; }
  pid_t Pid() const { return m_pid; }

 private:
  static constexpr DWORD kPollStepMs = 5;

  // True once the child has ended; its status is collected at most once.
  bool Poll() {
    std::lock_guard guard(m_lock);
    if (m_ended) return true;
    int status = 0;
    pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid) {
      m_ended = true;
      // A program killed by a signal reports 128 + the signal, as a shell would.
      m_exitCode =
          WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 128u + static_cast<DWORD>(WTERMSIG(status));
    } else if (done < 0 && errno == ECHILD) {
      m_ended = true;  // collected elsewhere; its code is unknown
    }
    return m_ended;
  }

  std::mutex m_lock;
  pid_t m_pid;
  bool m_ended = false;
  DWORD m_exitCode = 0;
};

// A loaded resource-only module: the whole file in memory, and the device path it came from.
class ModuleObject final : public KernelObject {
 public:
  ModuleObject(std::vector<std::uint8_t> bytes, std::u16string path)
      : m_bytes(std::move(bytes)), m_path(std::move(path)) {}
  std::span<const std::uint8_t> Bytes() const { return m_bytes; }
  const std::u16string& Path() const { return m_path; }

 private:
  std::vector<std::uint8_t> m_bytes;
  std::u16string m_path;
};

// A compiled resource file opens with an empty entry: data size 0, header size 32, type and name
// both the ordinal 0, and zero version, flags, language and characteristics.
constexpr std::uint8_t kResourceFileHeader[32] = {0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00,
                                                  0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};
// Language modules are a few kilobytes; anything past this is not one.
constexpr DWORD kMaxModuleBytes = 64u << 20;

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&m_actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&m_actions); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* Get() { return &m_actions; }

 private:
  posix_spawn_file_actions_t m_actions;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { posix_spawnattr_init(&m_attributes); }
  ~SpawnAttributes() { posix_spawnattr_destroy(&m_attributes); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t* Get() { return &m_attributes; }

 private:
  posix_spawnattr_t m_attributes;
};

// The parent's environment with QUORVANE_DEVICE replaced by the device root and the program's own
// entries (its device path, its record) replaced by the new program's.
std::vector<std::string> ChildEnvironment(const std::filesystem::path& root, std::vector<std::string> own) {
  constexpr std::string_view kDeviceVariable = "QUORVANE_DEVICE=";
  constexpr std::string_view kProgramPrefix = "QUORVANE_PROGRAM";
  std::vector<std::string> variables;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view variable(*entry);
    if (variable.starts_with(kDeviceVariable) || variable.starts_with(kProgramPrefix)) continue;
    variables.emplace_back(variable);
  }
  variables.push_back(std::string(kDeviceVariable) + root.string());
  for (auto& entry : own) variables.push_back(std::move(entry));
  return variables;
}

std::mutex g_modulePathLock;
std::u16string g_ownModulePath = kProgramPath;

}  // namespace

void SetOwnModulePath(std::u16string path) {
  std::lock_guard guard(g_modulePathLock);
  g_ownModulePath = std::move(path);
}

std::span<const std::uint8_t> ModuleBytes(HMODULE module) {
  auto object = LookupHandle<ModuleObject>(reinterpret_cast<HANDLE>(module));
  return object ? object->Bytes() : std::span<const std::uint8_t>{};
}

}  // namespace kernel

BOOL CreateProcessW(LPCWSTR application, LPWSTR /*commandLine*/, SECURITY_ATTRIBUTES* /*processSecurity*/,
                    SECURITY_ATTRIBUTES* /*threadSecurity*/, BOOL /*inheritHandles*/, DWORD /*creationFlags*/,
                    LPVOID /*environment*/, LPCWSTR /*currentDirectory*/, STARTUPINFOW* /*startup*/,
                    PROCESS_INFORMATION* info) {
  kernel::ReapOrphans();
  if (info) *info = PROCESS_INFORMATION{};
  // The program is always named by its own argument; a program taken from the command line is
  // not supported.
  auto resolved = kernel::ResolveForCall(application);
  if (!resolved) return FALSE;
  struct stat st{};
  if (!resolved->exists || ::stat(resolved->host.c_str(), &st) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return FALSE;
  }

  const auto& root = kernel::CurrentDevice().Root();
  std::string program = resolved->host.string();
  // The program is recorded before it starts, so that one following this process's virtual time is
  // counted as running from its first instruction on.
  kernel::StartingProgram starting = kernel::RecordStartingProgram();
  std::vector<std::string> environment =
      kernel::ChildEnvironment(root, kernel::StartingProgramVariables(starting, kernel::WideView(application)));
  std::vector<char*> argv = {program.data(), nullptr};
  std::vector<char*> envp;
  for (auto& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  kernel::SpawnActions actions;
  posix_spawn_file_actions_addchdir_np(actions.Get(), root.c_str());
  // No handle is inherited. Close-on-exec alone is not enough: exec lets the parent run on before
  // it closes those descriptors, and for that moment the child would still hold the locks of the
  // parent's open files. Closing them here happens before exec, while the parent still waits.
  posix_spawn_file_actions_addclosefrom_np(actions.Get(), 3);
  // The child starts with no blocked signals and a default SIGPIPE, whatever the front end set.
  kernel::SpawnAttributes attributes;
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(attributes.Get(), &none);
  posix_spawnattr_setsigdefault(attributes.Get(), &defaults);
  posix_spawnattr_setflags(attributes.Get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  // posix_spawn reports a failed exec itself and collects that child, so nothing is left running.
  pid_t pid = 0;
  int error = posix_spawn(&pid, program.c_str(), actions.Get(), attributes.Get(), argv.data(), envp.data());
  if (error != 0) {
    kernel::ProgramNotStarted(starting);
    SetLastError(error == ENOMEM || error == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ERROR_BAD_EXE_FORMAT);
    return FALSE;
  }
  kernel::ProgramStarted(starting, pid);
  auto process = std::make_shared<kernel::ProcessObject>(pid);
  if (info) {
    // The thread handle is a second handle on the same process; either may be closed first.
    info->hProcess = kernel::InsertHandle(process);
    info->hThread = kernel::InsertHandle(process);
    info->dwProcessId = static_cast<DWORD>(pid);
    info->dwThreadId = static_cast<DWORD>(pid);
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  auto object = kernel::LookupHandle<kernel::ProcessObject>(process);
  if (!object || exitCode == nullptr) {
    SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = object->ExitCode();
  return TRUE;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  std::u16string own;
  {
    std::lock_guard guard(kernel::g_modulePathLock);
    own = kernel::g_ownModulePath;
  }
  std::u16string_view path = own;
  std::shared_ptr<kernel::ModuleObject> loaded;
  if (module != nullptr && !kernel::IsProgramModule(module)) {
    loaded = kernel::LookupHandle<kernel::ModuleObject>(reinterpret_cast<HANDLE>(module));
    if (!loaded) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = loaded->Path();
  }
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (path.size() < size) {
    std::copy(path.begin(), path.end(), buffer);
    buffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
  }
  // Too small: as much as fits, always terminated, and the full size as the result.
  std::copy_n(path.begin(), size - 1, buffer);
  buffer[size - 1] = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

HMODULE LoadLibraryW(LPCWSTR path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    SetLastError(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_MOD_NOT_FOUND : error);
    return nullptr;
  }
  std::vector<std::uint8_t> bytes;
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  bool read = high == 0 && size <= kernel::kMaxModuleBytes;
  if (read) {
    bytes.resize(size);
    DWORD got = 0;
    read = ReadFile(file, bytes.data(), size, &got, nullptr) && got == size;
  }
  CloseHandle(file);
  if (!read || bytes.size() < sizeof kernel::kResourceFileHeader ||
      std::memcmp(bytes.data(), kernel::kResourceFileHeader, sizeof kernel::kResourceFileHeader) != 0) {
    SetLastError(ERROR_BAD_FORMAT);
    return nullptr;
  }
  auto module = std::make_shared<kernel::ModuleObject>(std::move(bytes), std::u16string(kernel::WideView(path)));
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<HMODULE>(kernel::InsertHandle(std::move(module)));
}

BOOL FreeLibrary(HMODULE module) {
  auto handle = reinterpret_cast<HANDLE>(module);
  if (!kernel::LookupHandle<kernel::ModuleObject>(handle) || !kernel::RemoveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
