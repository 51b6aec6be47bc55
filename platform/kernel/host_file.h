// Host-side pieces that the file, search and module services share: an owned file descriptor,
// device-path resolution that reports through the last error, and the mapping of host file facts
// (mode bits, times, errno values) onto their Win32 forms. Internal to platform/kernel.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <utility>

#include "platform/kernel/device_root.h"
#include "platform/kernel/files.h"

namespace kernel {

// Owns one host file descriptor and closes it when it goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : m_fd(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return m_fd; }
  explicit operator bool() const { return m_fd >= 0; }
  void Reset();

 private:
  int m_fd = -1;
};

// Resolves a device path on the current device; on failure sets the last error (a null path is
// ERROR_INVALID_PARAMETER, an empty one ERROR_PATH_NOT_FOUND) and returns nothing.
std::optional<ResolvedPath> ResolveForCall(LPCWSTR path);

// The Win32 error closest to a host errno value.
DWORD ErrorFromErrno(int error);

// READONLY when the owner write bit is clear, DIRECTORY for folders, NORMAL when neither applies.
DWORD AttributesOfHostFile(const struct stat& st);
inline bool IsReadOnlyMode(mode_t mode) { return (mode & S_IWUSR) == 0; }

// A host time as 100-nanosecond intervals since 1601-01-01 (0 for anything earlier).
FILETIME FileTimeFromHost(const struct timespec& time);

}  // namespace kernel
