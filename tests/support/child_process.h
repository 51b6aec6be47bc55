// A forked child for behaviour shared between processes. The child opens its own Device on the
// test's root (shared state is keyed by the root), runs its body and exits with the body's result;
// it ends itself after 10 s, and one still running when the object goes is killed. The two sides
// take turns over a socket pair: Signal sends a byte, Await waits for one.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/kernel/device_root.h"
#include "tests/support/test_device.h"

namespace testing_support {

class ChildProcess {
 public:
  // body runs in the child and gets the child's side of the turn-taking.
  ChildProcess(const std::filesystem::path& root, const std::function<int(ChildProcess& parent)>& body) {
    int ends[2] = {-1, -1};
    (void)::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends);
    m_pid = ::fork();
    m_socket = ends[m_pid == 0 ? 1 : 0];
    ::close(ends[m_pid == 0 ? 0 : 1]);
    if (m_pid == 0) {
      ::alarm(10);
      kernel::SetCurrentDevice(std::make_shared<kernel::Device>(root));
      ::_exit(body(*this));
    }
  }
  ~ChildProcess() {
    ::close(m_socket);
    if (m_pid > 0 && !m_reaped) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal() { (void)!::send(m_socket, "x", 1, MSG_NOSIGNAL); }
  // False once the other side has ended, or when no byte came within timeoutMs (-1: no limit).
  bool Await(int timeoutMs = -1) {
    pollfd ready{m_socket, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, timeoutMs) == 1 && ::recv(m_socket, &byte, 1, 0) == 1;
  }
  // The child's exit status, or 128 + the signal that ended it.
  int Join() {
    const int status = AwaitExit(m_pid);
    m_reaped = status != -1;
    return status;
  }
  // Waits until the child has ended but leaves it unreaped, a zombie.
  void AwaitExitKeepZombie() {
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOWAIT);
  }

 private:
  pid_t m_pid = -1;
  int m_socket = -1;
  bool m_reaped = false;
};

}  // namespace testing_support

// In a child's body: report the failed check and end the child with status 1.
#define CHILD_CHECK(condition)                                                              \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "child check failed at line %d: %s\n", __LINE__, #condition); \
      return 1;                                                                             \
    }                                                                                       \
  } while (0)
