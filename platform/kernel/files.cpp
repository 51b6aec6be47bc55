#include "platform/kernel/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/host_file.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"

namespace kernel {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Reset();
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

void UniqueFd::Reset() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

std::optional<ResolvedPath> ResolveForCall(LPCWSTR path) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  if (path[0] == 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return std::nullopt;
  }
  DWORD error = ERROR_PATH_NOT_FOUND;
  auto resolved = ResolveDevicePath(CurrentDevice(), WideView(path), &error);
  if (!resolved) SetLastError(error);
  return resolved;
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case EWOULDBLOCK:
      return ERROR_SHARING_VIOLATION;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return ERROR_WRITE_FAULT;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
    case ELOOP:
      return ERROR_INVALID_NAME;
    default:
      return ERROR_GEN_FAILURE;
  }
}

DWORD AttributesOfHostFile(const struct stat& st) {
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (IsReadOnlyMode(st.st_mode)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

FILETIME FileTimeFromHost(const struct timespec& time) {
  constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
  std::int64_t seconds = static_cast<std::int64_t>(time.tv_sec) + kSecondsFrom1601To1970;
  std::uint64_t ticks =
      seconds < 0 ? 0
                  : static_cast<std::uint64_t>(seconds) * 10000000u + static_cast<std::uint64_t>(time.tv_nsec / 100);
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

namespace {

// An open device file. The descriptor holds an exclusive flock for its whole life, which is what
// makes every open unshared, also against other processes; closing the handle releases it.
class FileObject final : public KernelObject {
 public:
  FileObject(UniqueFd fd, DWORD access) : m_fd(std::move(fd)), m_access(access) {}
  int Fd() const { return m_fd.Get(); }
  bool CanRead() const { return (m_access & GENERIC_READ) != 0; }
  bool CanWrite() const { return (m_access & GENERIC_WRITE) != 0; }

 private:
  UniqueFd m_fd;
  DWORD m_access;
};

std::shared_ptr<FileObject> LookupFile(HANDLE handle) {
  auto file = LookupHandle<FileObject>(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

// Opens an existing file only to hold its lock (for delete and copy); O_NONBLOCK keeps a FIFO
// planted in the root from blocking the open.
int OpenForLock(const std::filesystem::path& host) {
  return ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

bool TakeLock(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

// True when the path still names the file open on fd: a file replaced by a rename after it was
// opened must not be deleted or overwritten under another's lock.
bool StillNames(int fd, const std::filesystem::path& host) {
  struct stat open{};
  struct stat named{};
  return ::fstat(fd, &open) == 0 && ::stat(host.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, std::size_t* done) {
  *done = 0;
  while (*done < size) {
    ssize_t n = ::write(fd, data + *done, size - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    *done += static_cast<std::size_t>(n);
  }
  return true;
}

// The temporary file a copy writes into; removed again unless the copy committed it.
class CopyTemporary {
 public:
  explicit CopyTemporary(const std::filesystem::path& folder) : m_path((folder / ".copy-XXXXXX").string()) {
    m_fd = UniqueFd(::mkostemp(m_path.data(), O_CLOEXEC));
    m_created = static_cast<bool>(m_fd);
  }
  ~CopyTemporary() {
    m_fd.Reset();
    if (m_created && !m_committed) ::unlink(m_path.c_str());
  }
  CopyTemporary(const CopyTemporary&) = delete;
  CopyTemporary& operator=(const CopyTemporary&) = delete;

  int Fd() const { return m_fd.Get(); }
  const std::string& Path() const { return m_path; }
  void Commit() { m_committed = true; }

 private:
  std::string m_path;
  UniqueFd m_fd;
  bool m_created = false;
  bool m_committed = false;
};

}  // namespace
}  // namespace kernel

using kernel::UniqueFd;

DWORD GetFileAttributesW(LPCWSTR path) {
  auto resolved = kernel::ResolveForCall(path);
  if (!resolved) return INVALID_FILE_ATTRIBUTES;
  struct stat st{};
  if (!resolved->exists || ::stat(resolved->host.c_str(), &st) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  return kernel::AttributesOfHostFile(st);
}

BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
  auto resolved = kernel::ResolveForCall(path);
  if (!resolved) return FALSE;
  struct stat st{};
  if (!resolved->exists || ::stat(resolved->host.c_str(), &st) != 0) return kernel::Fail(ERROR_FILE_NOT_FOUND);
  // Read-only folders are not modelled: on the host a folder without its write bit would refuse
  // new files to other users but not to root, unlike the device.
  if (S_ISDIR(st.st_mode)) return TRUE;
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
  if (::chmod(resolved->host.c_str(), mode) != 0) return kernel::Fail(kernel::ErrorFromErrno(errno));
  return TRUE;
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD /*shareMode*/, SECURITY_ATTRIBUTES* /*security*/, DWORD creation,
                   DWORD flags, HANDLE /*templateFile*/) {
  if (creation < CREATE_NEW || creation > TRUNCATE_EXISTING) return kernel::FailHandle(ERROR_INVALID_PARAMETER);
  bool writes = (access & GENERIC_WRITE) != 0;
  if (creation == TRUNCATE_EXISTING && !writes) return kernel::FailHandle(ERROR_INVALID_PARAMETER);
  auto resolved = kernel::ResolveForCall(path);
  if (!resolved) return INVALID_HANDLE_VALUE;
  const char* host = resolved->host.c_str();

  // CREATE_ALWAYS cuts an existing file whatever access was asked for, so the host descriptor can
  // write; what the handle may do is still checked against the access given.
  bool hostWrites = writes || creation == CREATE_ALWAYS;
  int hostAccess = hostWrites ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  int base = hostAccess | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  bool creates = creation == CREATE_NEW || creation == CREATE_ALWAYS || creation == OPEN_ALWAYS;
  // Never O_TRUNC: a file is cut only after its lock is held, so a refused open leaves it intact.
  // Creation is tried exclusively first so that "did it exist" is exact even with other processes.
  UniqueFd fd;
  bool existed = false;
  for (int attempt = 0; attempt < 4 && !fd; ++attempt) {
    if (creates) {
      fd = UniqueFd(::open(host, base | O_CREAT | O_EXCL, 0666));
      if (fd) break;
      if (errno != EEXIST) return kernel::FailHandle(kernel::ErrorFromErrno(errno));
      if (creation == CREATE_NEW) return kernel::FailHandle(ERROR_FILE_EXISTS);
    }
    fd = UniqueFd(::open(host, base));
    if (fd) {
      existed = true;
    } else if (errno != ENOENT || !creates) {
      return kernel::FailHandle(kernel::ErrorFromErrno(errno));
    }
  }
  if (!fd) return kernel::FailHandle(ERROR_FILE_NOT_FOUND);

  struct stat st{};
  if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return kernel::FailHandle(ERROR_ACCESS_DENIED);
  bool truncates = existed && (creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING);
  if (existed && kernel::IsReadOnlyMode(st.st_mode) && (writes || truncates)) {
    return kernel::FailHandle(ERROR_ACCESS_DENIED);
  }
  if (!kernel::TakeLock(fd.Get())) return kernel::FailHandle(ERROR_SHARING_VIOLATION);
  if (truncates && ::ftruncate(fd.Get(), 0) != 0) return kernel::FailHandle(kernel::ErrorFromErrno(errno));
  // A file created read-only stays writable through this handle, as on the device.
  if (!existed && (flags & FILE_ATTRIBUTE_READONLY)) ::fchmod(fd.Get(), (st.st_mode & 07777) & ~mode_t{0222});

  HANDLE handle = kernel::InsertHandle(std::make_shared<kernel::FileObject>(std::move(fd), access));
  SetLastError(existed && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                 : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, void* /*overlapped*/) {
  if (read) *read = 0;
  auto object = kernel::LookupFile(file);
  if (!object) return FALSE;
  if (!object->CanRead()) return kernel::Fail(ERROR_ACCESS_DENIED);
  if (buffer == nullptr && toRead != 0) return kernel::Fail(ERROR_INVALID_PARAMETER);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  DWORD done = 0;
  while (done < toRead) {
    ssize_t n = ::read(object->Fd(), bytes + done, toRead - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (read) *read = done;
      return kernel::Fail(ERROR_READ_FAULT);
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (read) *read = done;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, DWORD* written, void* /*overlapped*/) {
  if (written) *written = 0;
  auto object = kernel::LookupFile(file);
  if (!object) return FALSE;
  if (!object->CanWrite()) return kernel::Fail(ERROR_ACCESS_DENIED);
  if (buffer == nullptr && toWrite != 0) return kernel::Fail(ERROR_INVALID_PARAMETER);
  std::size_t done = 0;
  bool ok = kernel::WriteAll(object->Fd(), static_cast<const std::uint8_t*>(buffer), toWrite, &done);
  if (written) *written = static_cast<DWORD>(done);
  return ok ? TRUE : kernel::Fail(ERROR_WRITE_FAULT);
}

BOOL FlushFileBuffers(HANDLE file) {
  auto object = kernel::LookupFile(file);
  if (!object) return FALSE;
  if (!object->CanWrite()) return kernel::Fail(ERROR_ACCESS_DENIED);
  if (::fsync(object->Fd()) != 0) return kernel::Fail(ERROR_WRITE_FAULT);
  return TRUE;
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) {
  constexpr DWORD kInvalidFileSize = 0xFFFFFFFF;
  auto object = kernel::LookupFile(file);
  if (!object) return kInvalidFileSize;
  struct stat st{};
  if (::fstat(object->Fd(), &st) != 0) {
    SetLastError(ERROR_GEN_FAILURE);
    return kInvalidFileSize;
  }
  auto size = static_cast<std::uint64_t>(st.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  // A size whose low half is 0xFFFFFFFF is told apart from failure by the cleared last error.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  auto object = kernel::LookupFile(file);
  if (!object) return INVALID_SET_FILE_POINTER;
  // With a high part the distance is 64-bit; without one it is the signed 32-bit value alone.
  std::int64_t move = distance;
  if (distanceHigh) {
    auto bits = (std::uint64_t{static_cast<std::uint32_t>(*distanceHigh)} << 32) | static_cast<std::uint32_t>(distance);
    move = static_cast<std::int64_t>(bits);
  }
  std::int64_t base = 0;
  if (method == FILE_CURRENT) {
    base = ::lseek(object->Fd(), 0, SEEK_CUR);
  } else if (method == FILE_END) {
    struct stat st{};
    base = ::fstat(object->Fd(), &st) == 0 ? st.st_size : -1;
  } else if (method != FILE_BEGIN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  // Checked before moving: a position before the start, or one that the 32-bit form cannot
  // report, fails and leaves the pointer where it was.
  std::int64_t target = base + move;
  if (base < 0 || target < 0 || (!distanceHigh && target > 0xFFFFFFFE) || ::lseek(object->Fd(), target, SEEK_SET) < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(target);
}

BOOL CopyFileW(LPCWSTR source, LPCWSTR destination, BOOL failIfExists) {
  auto from = kernel::ResolveForCall(source);
  if (!from) return FALSE;
  if (!from->exists) return kernel::Fail(ERROR_FILE_NOT_FOUND);
  auto to = kernel::ResolveForCall(destination);
  if (!to) return FALSE;

  // The source is locked for the whole copy, so nobody writes it meanwhile.
  UniqueFd in(kernel::OpenForLock(from->host));
  if (!in) return kernel::Fail(kernel::ErrorFromErrno(errno));
  struct stat sourceStat{};
  if (::fstat(in.Get(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) return kernel::Fail(ERROR_ACCESS_DENIED);
  if (!kernel::TakeLock(in.Get())) return kernel::Fail(ERROR_SHARING_VIOLATION);

  // An existing destination is locked too (which also refuses a copy onto the source itself) and
  // stays locked until the new file has replaced it.
  UniqueFd old;
  struct stat destinationStat{};
  if (::stat(to->host.c_str(), &destinationStat) == 0) {
    if (failIfExists) return kernel::Fail(ERROR_FILE_EXISTS);
    if (!S_ISREG(destinationStat.st_mode) || kernel::IsReadOnlyMode(destinationStat.st_mode)) {
      return kernel::Fail(ERROR_ACCESS_DENIED);
    }
    old = UniqueFd(kernel::OpenForLock(to->host));
    if (!old) return kernel::Fail(kernel::ErrorFromErrno(errno));
    if (!kernel::TakeLock(old.Get()) || !kernel::StillNames(old.Get(), to->host)) {
      return kernel::Fail(ERROR_SHARING_VIOLATION);
    }
  }

  // Written beside the destination and renamed over it: a failed copy never leaves a partial file.
  kernel::CopyTemporary temporary(to->host.parent_path());
  if (temporary.Fd() < 0) return kernel::Fail(kernel::ErrorFromErrno(errno));
  std::vector<std::uint8_t> chunk(64 * 1024);
  for (;;) {
    ssize_t n = ::read(in.Get(), chunk.data(), chunk.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return kernel::Fail(ERROR_READ_FAULT);
    }
    if (n == 0) break;
    std::size_t done = 0;
    if (!kernel::WriteAll(temporary.Fd(), chunk.data(), static_cast<std::size_t>(n), &done)) {
      return kernel::Fail(ERROR_WRITE_FAULT);
    }
  }
  // The copy keeps the source's mode (read-only and runnable alike) and its times.
  struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
  if (::fchmod(temporary.Fd(), sourceStat.st_mode & 0777) != 0 || ::futimens(temporary.Fd(), times) != 0 ||
      ::fsync(temporary.Fd()) != 0) {
    return kernel::Fail(ERROR_WRITE_FAULT);
  }
  if (failIfExists) {
    // link() never replaces, so a destination that appeared meanwhile is not overwritten.
    if (::link(temporary.Path().c_str(), to->host.c_str()) != 0) return kernel::Fail(kernel::ErrorFromErrno(errno));
  } else {
    if (::rename(temporary.Path().c_str(), to->host.c_str()) != 0) return kernel::Fail(kernel::ErrorFromErrno(errno));
    temporary.Commit();
  }
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
  auto resolved = kernel::ResolveForCall(path);
  if (!resolved) return FALSE;
  struct stat st{};
  if (!resolved->exists || ::stat(resolved->host.c_str(), &st) != 0) return kernel::Fail(ERROR_FILE_NOT_FOUND);
  if (!S_ISREG(st.st_mode) || kernel::IsReadOnlyMode(st.st_mode)) return kernel::Fail(ERROR_ACCESS_DENIED);
  // The lock is held across the unlink, so an open elsewhere refuses the delete and no open can
  // slip in between the check and the removal.
  UniqueFd fd(kernel::OpenForLock(resolved->host));
  if (!fd) return kernel::Fail(kernel::ErrorFromErrno(errno));
  if (!kernel::TakeLock(fd.Get()) || !kernel::StillNames(fd.Get(), resolved->host)) {
    return kernel::Fail(ERROR_SHARING_VIOLATION);
  }
  if (::unlink(resolved->host.c_str()) != 0) return kernel::Fail(kernel::ErrorFromErrno(errno));
  return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR path, SECURITY_ATTRIBUTES* /*security*/) {
  auto resolved = kernel::ResolveForCall(path);
  if (!resolved) return FALSE;
  if (resolved->exists) return kernel::Fail(ERROR_ALREADY_EXISTS);
  if (::mkdir(resolved->host.c_str(), 0777) != 0) {
    return kernel::Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : kernel::ErrorFromErrno(errno));
  }
  return TRUE;
}
