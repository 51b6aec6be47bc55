#include "platform/kernel/control_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace kernel {
namespace {

constexpr std::string_view kPrefix = "utility-";
constexpr std::string_view kSuffix = ".sock";
// A reply never holds more than this (a screenshot is a few tens of kilobytes).
constexpr std::size_t kLongestReply = 64 * 1024 * 1024;

std::optional<sockaddr_un> Address(const std::filesystem::path& path, std::string* error) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string& text = path.native();
  if (text.size() >= sizeof(address.sun_path)) {
    *error = "the socket path " + text + " is longer than a socket address can hold (" +
             std::to_string(sizeof(address.sun_path) - 1) + " bytes)";
    return std::nullopt;
  }
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return address;
}

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Milliseconds left before the deadline, at least 0.
int Left(std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<long long>(0, left.count()));
}

bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  pollfd p{fd, events, 0};
  for (;;) {
    int n = ::poll(&p, 1, Left(deadline));
    if (n > 0) return true;
    if (n == 0 || errno != EINTR) return false;
  }
}

bool WriteAll(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline) {
  while (!bytes.empty()) {
    ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

int Connect(const sockaddr_un& address) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

// The id in a socket's name "utility-PID.sock", or 0.
int PidOfName(std::string_view name) {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return 0;
  name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  int pid = 0;
  auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
  return ec == std::errc() && end == name.data() + name.size() && pid > 0 ? pid : 0;
}

}  // namespace

std::filesystem::path RunFolder(const std::filesystem::path& deviceRoot) { return deviceRoot / "run"; }

std::vector<RunningInstance> ListRunningInstances(const std::filesystem::path& deviceRoot) {
  std::vector<std::pair<std::filesystem::file_time_type, RunningInstance>> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(RunFolder(deviceRoot), ec)) {
    int pid = PidOfName(entry.path().filename().string());
    if (pid == 0 || !entry.is_socket(ec)) continue;
    std::string error;
    auto address = Address(entry.path(), &error);
    if (!address) continue;
    Fd probe{Connect(*address)};
    if (probe.fd < 0) {
      // Nobody listens: the program that made it has died.
      if (errno == ECONNREFUSED) std::filesystem::remove(entry.path(), ec);
      continue;
    }
    found.push_back({entry.last_write_time(ec), RunningInstance{pid, entry.path()}});
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.pid < b.second.pid;
  });
  std::vector<RunningInstance> instances;
  for (auto& [time, instance] : found) instances.push_back(instance);
  return instances;
}

ControlListener::ControlListener(const std::filesystem::path& deviceRoot) {
  auto folder = RunFolder(deviceRoot);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    throw std::runtime_error("cannot create " + folder.string() + ": " + std::strerror(errno));
  }
  struct stat info{};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
    throw std::runtime_error(folder.string() + " is not a folder of this user");
  }
  ::chmod(folder.c_str(), 0700);
  m_path = folder / (std::string(kPrefix) + std::to_string(::getpid()) + std::string(kSuffix));
  // The socket is made under a name nobody looks for and takes its own name only once it listens:
  // a socket that does not answer yet would be taken for a dead program's and removed.
  auto binding = folder / ("." + std::to_string(::getpid()) + ".binding");
  std::string error;
  auto address = Address(m_path, &error);
  auto bindAddress = address ? Address(binding, &error) : std::nullopt;
  if (!bindAddress) throw std::runtime_error(error);
  m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (m_fd < 0) throw std::runtime_error(std::string("cannot make a socket: ") + std::strerror(errno));
  // Our own id is on the names, so sockets already there belonged to a dead program.
  ::unlink(binding.c_str());
  if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&*bindAddress), sizeof(*bindAddress)) != 0 ||
      ::chmod(binding.c_str(), 0600) != 0 || ::listen(m_fd, 16) != 0 || ::rename(binding.c_str(), m_path.c_str()) != 0) {
    std::string reason = std::strerror(errno);
    ::close(m_fd);
    ::unlink(binding.c_str());
    throw std::runtime_error("cannot listen on " + m_path.string() + ": " + reason);
  }
}

ControlListener::~ControlListener() {
  ::close(m_fd);
  ::unlink(m_path.c_str());
}

int ControlListener::Accept() {
  for (;;) {
    int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return errno == EINTR ? Accept() : -1;
    ucred peer{};
    socklen_t size = sizeof(peer);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid()) return fd;
    ::close(fd);
  }
}

RequestProgress ContinueControlRequest(int fd, std::string& line, std::string* error) {
  char buffer[256];
  for (;;) {
    ssize_t n = ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return RequestProgress::kMore;
    if (n <= 0) {
      *error = "the request ended before its newline";
      return RequestProgress::kFailed;
    }
    line.append(buffer, static_cast<std::size_t>(n));
    if (auto newline = line.find('\n'); newline != std::string::npos && newline <= kLongestControlRequest) {
      line.resize(newline);
      return RequestProgress::kComplete;
    }
    if (line.size() > kLongestControlRequest) {
      *error = "the request is longer than " + std::to_string(kLongestControlRequest) + " bytes";
      return RequestProgress::kFailed;
    }
  }
}

void SendControlReply(int fd, bool ok, std::string_view payloadOrReason) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::string head = ok ? "ok " + std::to_string(payloadOrReason.size()) + "\n"
                        : "error " + std::string(payloadOrReason) + "\n";
  if (WriteAll(fd, head, deadline) && ok) WriteAll(fd, payloadOrReason, deadline);
  // Whatever is left of an over-long request is read away first: closing on unread bytes would
  // reset the connection and lose the answer on its way.
  ::shutdown(fd, SHUT_WR);
  char rest[4096];
  while (::recv(fd, rest, sizeof(rest), MSG_DONTWAIT) > 0) {
  }
  ::close(fd);
}

std::optional<ControlReply> SendControlRequest(const std::filesystem::path& socket, std::string_view request,
                                               int timeoutMs, std::string* error) {
  auto address = Address(socket, error);
  if (!address) return std::nullopt;
  Fd connection{Connect(*address)};
  if (connection.fd < 0) {
    *error = "cannot reach the program at " + socket.string() + ": " + std::strerror(errno);
    return std::nullopt;
  }
  ::fcntl(connection.fd, F_SETFL, O_NONBLOCK);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  if (!WriteAll(connection.fd, std::string(request) + "\n", deadline)) {
    *error = "cannot send the request to " + socket.string();
    return std::nullopt;
  }
  std::string reply;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::recv(connection.fd, buffer, sizeof(buffer), 0);
    if (n > 0) {
      reply.append(buffer, static_cast<std::size_t>(n));
      if (reply.size() > kLongestReply) break;
      continue;
    }
    if (n == 0) break;
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(connection.fd, POLLIN, deadline)) continue;
    *error = errno == EAGAIN || errno == EWOULDBLOCK ? "no answer within " + std::to_string(timeoutMs) + " ms"
                                                     : std::string("the answer broke off: ") + std::strerror(errno);
    return std::nullopt;
  }
  auto newline = reply.find('\n');
  std::string_view head = std::string_view(reply).substr(0, newline);
  if (newline != std::string::npos && head.starts_with("error ")) {
    return ControlReply{false, std::string(head.substr(6))};
  }
  std::size_t length = 0;
  if (newline != std::string::npos && head.starts_with("ok ")) {
    auto [end, ec] = std::from_chars(head.data() + 3, head.data() + head.size(), length);
    if (ec == std::errc() && end == head.data() + head.size() && reply.size() - newline - 1 == length) {
      return ControlReply{true, reply.substr(newline + 1)};
    }
  }
  *error = newline == std::string::npos && reply.empty() ? "the program ended without an answer"
                                                         : "the program's answer is out of form";
  return std::nullopt;
}

}  // namespace kernel
