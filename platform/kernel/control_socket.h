// The control sockets of running programs: each running utility listens on a Unix socket
// "run/utility-PID.sock" in its device root, so devicectl can reach it. The folder is the owner's
// alone (0700) and each socket too (0600). One request a connection: a line of text, answered by
// "ok LENGTH\n" and LENGTH bytes, or by "error REASON\n".
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kernel {

// The longest request line; a longer one is refused unread.
constexpr std::size_t kLongestControlRequest = 1024;

std::filesystem::path RunFolder(const std::filesystem::path& deviceRoot);

struct RunningInstance {
  int pid = 0;
  std::filesystem::path socket;
};

// The instances whose sockets answer, oldest first (by the sockets' times). A socket that no
// program listens on any more (its program died) is removed on the way.
std::vector<RunningInstance> ListRunningInstances(const std::filesystem::path& deviceRoot);

// A listening socket for this process, owned and removed by the object. A stale socket of the same
// name (a dead program with the same id) is replaced.
class ControlListener {
 public:
  // Throws std::runtime_error with a one-line reason (e.g. a device root whose path is too long
  // for a socket address).
  explicit ControlListener(const std::filesystem::path& deviceRoot);
  ~ControlListener();
  ControlListener(const ControlListener&) = delete;
  ControlListener& operator=(const ControlListener&) = delete;

  int Fd() const { return m_fd; }
  const std::filesystem::path& Path() const { return m_path; }

  // Takes the next connection (-1 when none is waiting) from a process of the same user only;
  // others are closed at once.
  int Accept();

 private:
  int m_fd = -1;
  std::filesystem::path m_path;
};

// How far a request line has come in on a connection.
enum class RequestProgress { kMore, kComplete, kFailed };

// Takes what a (non-blocking) connection has sent so far into `line`, without waiting. kComplete
// leaves the request line there, without its newline; kFailed gives the reason (the connection
// ended before a newline, or more than kLongestControlRequest bytes came before it).
RequestProgress ContinueControlRequest(int fd, std::string& line, std::string* error);
// Writes the reply and closes the connection.
void SendControlReply(int fd, bool ok, std::string_view payloadOrReason);

struct ControlReply {
  bool ok = false;
  std::string payload;  // the reason when not ok
};

// Sends one request to a running instance and waits for its reply (at most timeoutMs). nullopt
// with a reason when the instance cannot be reached or answers out of form.
std::optional<ControlReply> SendControlRequest(const std::filesystem::path& socket, std::string_view request,
                                               int timeoutMs, std::string* error);

}  // namespace kernel
