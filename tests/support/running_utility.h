// A utility left running while a test drives it with devicectl, and a wait for files to appear,
// without sleeps.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/kernel/control_socket.h"
#include "tests/support/programs.h"

namespace testing_support {

// Watches a folder for files written or sockets made in it.
class FolderWatch {
 public:
  explicit FolderWatch(const std::filesystem::path& folder) {
    mkdir(folder.c_str(), 0700);
    inotify_add_watch(m_fd, folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE);
  }
  ~FolderWatch() { close(m_fd); }
  // Waits until ready() holds, looking again at each event in the folder (and each second, should
  // the folder not be watchable). After a minute the test fails instead of hanging: false.
  template <typename Ready>
  bool Await(Ready ready) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!ready()) {
      if (std::chrono::steady_clock::now() >= deadline) {
        ADD_FAILURE() << "what the test waits for did not come within a minute";
        return false;
      }
      pollfd events{m_fd, POLLIN, 0};
      if (poll(&events, 1, 1000) > 0) {
        char drained[4096];
        (void)!read(m_fd, drained, sizeof(drained));
      }
    }
    return true;
  }

 private:
  int m_fd = inotify_init1(IN_CLOEXEC);
};

// The utility started (headless unless told otherwise), its standard input a socket the test writes
// script lines to.
class RunningUtility {
 public:
  RunningUtility(const ScratchRoot& root, std::vector<std::string> words, bool window = false)
      : m_root(root.Path()), m_runWatch(kernel::RunFolder(root.Path())) {
    int in[2], out[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    std::vector<std::string> argv = {QUORVANE_UTILITY_BIN, "--device", root.String()};
    if (!window) argv.push_back("--headless");
    argv.insert(argv.end(), words.begin(), words.end());
    // A window on SDL's dummy driver: no display needed, and audio stays silent.
    m_pid = StartProgram(argv, in[1], out[1], 2, {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
    close(in[1]);
    close(out[1]);
    m_in = in[0];
    m_out = out[0];
  }
  ~RunningUtility() {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    close(m_in);
    close(m_out);
  }
  int Pid() const { return m_pid; }
  // Waits until the program is up and listed among the device's running programs.
  void AwaitListed() {
    m_runWatch.Await([&] { return !kernel::ListRunningInstances(m_root).empty(); });
  }
  // The next line the program prints, without its end; empty once the program has closed its output.
  std::string ReadLine() {
    std::string line;
    for (char byte = 0; read(m_out, &byte, 1) == 1 && byte != '\n';) line += byte;
    return line;
  }
  // False once the program no longer reads its script.
  bool Script(const std::string& lines) {
    return send(m_in, lines.data(), lines.size(), MSG_NOSIGNAL) == ssize_t(lines.size());
  }
  void EndScript() { shutdown(m_in, SHUT_WR); }
  int Wait() {
    const int status = AwaitExit(m_pid);
    m_pid = -1;
    return status;
  }

 private:
  std::filesystem::path m_root;
  FolderWatch m_runWatch;
  pid_t m_pid = -1;
  int m_in = -1;
  int m_out = -1;
};

}  // namespace testing_support
