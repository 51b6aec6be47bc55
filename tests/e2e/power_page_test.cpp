// The power page as a user works it: the utility driven line by line through a pipe, the battery
// changed with devicectl while the page runs, the choice stepped and confirmed, and the effects
// read back with devicectl.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/sync_objects.h"
#include "screens/power_dlg.h"
#include "tests/support/child_process.h"
#include "tests/support/programs.h"

extern char** environ;

namespace {

using testing_support::ChildProcess;
using testing_support::Devicectl;
using testing_support::ScratchRoot;

// The utility headless with its script read from a socket that the test writes line by line; its
// output is read back as it comes.
class ScriptedUtility {
 public:
  explicit ScriptedUtility(const ScratchRoot& root) {
    int in[2], out[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[1], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> argv = {QUORVANE_UTILITY_BIN, "--device", root.String(), "--headless", "--script", "-"};
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    int spawned = posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[1]);
    close(out[1]);
    m_in = in[0];
    m_out = fdopen(out[0], "r");
    if (spawned != 0) m_pid = -1;
  }
  ~ScriptedUtility() {
    if (m_in >= 0) close(m_in);
    if (m_out != nullptr) fclose(m_out);
    if (m_pid > 0) Wait();
  }

  void Send(const std::string& lines) { (void)!send(m_in, lines.data(), lines.size(), MSG_NOSIGNAL); }
  // The next output line that holds `needle`; empty when the output ended first. A dump line read
  // means every script line before that dump has run.
  std::string LineWith(const std::string& needle) {
    char* line = nullptr;
    std::size_t capacity = 0;
    std::string found;
    while (getline(&line, &capacity, m_out) > 0) {
      if (std::string(line).find(needle) != std::string::npos) {
        found = line;
        break;
      }
    }
    free(line);
    return found;
  }
  // Ends the script and returns the exit status.
  int Wait() {
    if (m_in >= 0) close(m_in);
    m_in = -1;
    int status = 0;
    pid_t pid = std::exchange(m_pid, -1);
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t m_pid = -1;
  int m_in = -1;
  FILE* m_out = nullptr;
};

TEST(PowerPage, ABatteryChangeShowsAtTheNextRefreshAndOkStoresTheChoice) {
  ScratchRoot root;
  ASSERT_EQ(Devicectl(root, {"init"}).status, 0);
  // Holds the reload event as the power manager does, so that its set stays to be seen.
  ChildProcess manager(root.Path(), [](ChildProcess& test) {
    HANDLE reload = CreateEventW(nullptr, FALSE, FALSE, kReloadActivityTimeoutsEvent);
    test.Signal();
    test.Await();
    CloseHandle(reload);
    return reload != nullptr ? 0 : 1;
  });
  ASSERT_TRUE(manager.Await(5000));

  ScriptedUtility utility(root);
  // The power button of the menu.
  utility.Send("tap 274 106\nwait 500\ndump\n");
  EXPECT_NE(utility.LineWith("\"id\":1001,").find("\"text\":\"Battery Power Remaining: 100%\""), std::string::npos);
  ASSERT_EQ(Devicectl(root, {"battery", "--ac", "off", "--percent", "85"}).status, 0);
  utility.Send("wait 500\ndump\n");
  EXPECT_NE(utility.LineWith("\"id\":1001,").find("\"text\":\"Battery Power Remaining: 85%\""), std::string::npos);
  EXPECT_NE(utility.LineWith("\"id\":1011,").find("\"pos\":85,"), std::string::npos);
  // From "10 Minutes" one step longer, then OK, then the menu's Escape.
  utility.Send("key RIGHT\ntap 114 206\nkey ESCAPE\n");
  EXPECT_EQ(utility.Wait(), 0);

  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\System\\CurrentControlSet\\Control\\Power\\Timeouts", "BattSuspend"}).out,
            "1200\n");
  // The device's power manager took the event and reloaded the new time-out.
  EXPECT_EQ(Devicectl(root, {"power"}).out, "state on timeout 1200 reloads 1\n");
  std::ifstream file(root.Path() / "My Flash Disk" / "Setting.dat", std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0, 5, 0, 0, 0, 0xB0, 0x04, 0, 0}));
  manager.Signal();
  EXPECT_EQ(manager.Join(), 0);
}

}  // namespace
