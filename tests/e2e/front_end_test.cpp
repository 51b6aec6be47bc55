// The utility's front end as a user meets it: --help, device command lines it does not know,
// the script limit, and signals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "tests/support/programs.h"

extern char** environ;

namespace {

using testing_support::Devicectl;
using testing_support::ScratchRoot;
using testing_support::Utility;

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(UtilityFrontEnd, HelpPrintsTheUsage) {
  auto result = testing_support::RunProgram({QUORVANE_UTILITY_BIN, "--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind("usage: utility ", 0), 0u) << result.out;
  EXPECT_EQ(result.err, "");
}

TEST(UtilityFrontEnd, AnUnknownDeviceCommandLineEndsAtOnceAndSaysSoInOneLine) {
  ScratchRoot root;
  for (const char* line : {"-Foo", "-selLang"}) {
    auto result = Utility(root, {"--headless", line});
    EXPECT_EQ(result.status, 0) << line;
    EXPECT_EQ(Lines(result.err), 1) << result.err;
    EXPECT_NE(result.err.find(std::string("'") + line + "' is not one the program knows"), std::string::npos)
        << result.err;
  }
}

// A script line past the limit stops the run with status two (the runner's other limits are its own
// tests).
TEST(UtilityFrontEnd, AScriptLimitStopsTheRunWithStatusTwo) {
  ScratchRoot root;
  auto result = Utility(root, {"--headless", "--script", "/dev/zero"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "utility: script line 1: longer than 65536 bytes\n");
}

// Runs the utility headless on a device command line, sends it SIGTERM once it is up, and feeds
// it waits: the close key is taken between script lines. A program that missed the signal runs out
// of script and ends with status 3.
int StatusAfterSigterm(const ScratchRoot& root, const std::string& deviceLine) {
  int in[2], out[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0 || pipe2(out, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[1], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<std::string> argv = {QUORVANE_UTILITY_BIN, "--device", root.String(), "--headless", "--script", "-"};
  if (!deviceLine.empty()) argv.push_back(deviceLine);
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[1]);
  close(out[1]);
  if (spawned != 0) return -1;
  // Once the screen has been dumped, the program is up with its signal handling in place.
  char byte = 0;
  if (send(in[0], "dump\n", 5, MSG_NOSIGNAL) == 5) {
    while (read(out[0], &byte, 1) == 1 && byte != '\n') {
    }
  }
  if (byte == '\n') kill(pid, SIGTERM);
  for (int i = 0; i < 10000 && send(in[0], "wait 10\n", 8, MSG_NOSIGNAL) == 8; ++i) {
  }
  close(in[0]);
  close(out[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// On the menu and on a page the close key ends the program and the menu passes the key on, as for
// the key itself; a message shown on its own ignores the key and is ended all the same.
TEST(UtilityFrontEnd, SigtermPressesTheDeviceCloseKeyAndEndsEveryMode) {
  struct Case {
    const char* deviceLine;
    const char* keysPassedOn;
  };
  for (const Case& c : {Case{"", "down 0xC5 flags 4\nup 0xC5 flags 6\n"}, Case{"-LowPowerMsg", ""}}) {
    ScratchRoot root;
    ASSERT_EQ(Devicectl(root, {"init"}).status, 0);
    EXPECT_EQ(StatusAfterSigterm(root, c.deviceLine), 0) << c.deviceLine;
    EXPECT_EQ(Devicectl(root, {"keys"}).out, c.keysPassedOn) << c.deviceLine;
  }
}

}  // namespace
