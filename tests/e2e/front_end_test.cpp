// The utility's front end as a user meets it: --help, device command lines it does not know,
// the script limit, and signals.
#include <gtest/gtest.h>
#include <signal.h>

#include "tests/support/running_utility.h"

namespace {

using testing_support::Devicectl;
using testing_support::ScratchRoot;

// Each command line's status and its whole error output; the usage is printed on standard output.
// A device command line the program does not know (after "--" or not) ends it at once; a script
// line past the runner's limit stops the run (the runner's other limits are its own tests).
TEST(UtilityFrontEnd, HelpUnknownDeviceCommandLinesAndTheScriptLimit) {
  ScratchRoot root;
  const auto unknown = [](const std::string& line) {
    return "utility: the device command line '" + line + "' is not one the program knows; it ends at once\n";
  };
  struct Row {
    std::vector<std::string> words;
    int status;
    std::string err;
  } rows[] = {
      {{"--help"}, 0, ""},
      {{"--headless", "--", "-Foo"}, 0, unknown("-Foo")},
      {{"--headless", "-selLang"}, 0, unknown("-selLang")},
      {{"--headless", "--script", "/dev/zero"}, 2, "utility: script line 1: longer than 65536 bytes\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.words.back());
    auto result = testing_support::Utility(root, row.words);
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(result.err, row.err);
    EXPECT_EQ(result.out.starts_with("usage: utility "), row.words[0] == "--help") << result.out;
  }
}

// Runs the utility headless on a device command line, sends it SIGTERM once it is up (its screen
// dumped, its signal handling in place), and feeds it waits: the close key is taken between script
// lines. A program that missed the signal runs out of script and ends with status 3.
int StatusAfterSigterm(const ScratchRoot& root, const std::string& deviceLine) {
  std::vector<std::string> words = {"--script", "-"};
  if (!deviceLine.empty()) words.push_back(deviceLine);
  testing_support::RunningUtility utility(root, words);
  utility.Script("dump\n");
  if (utility.ReadLine().empty()) return -1;
  kill(utility.Pid(), SIGTERM);
  for (int i = 0; i < 10000 && utility.Script("wait 10\n"); ++i) {
  }
  utility.EndScript();
  return utility.Wait();
}

// On the menu and on a page the close key ends the program and the menu passes the key on, as for
// the key itself; a message shown on its own ignores the key and is ended all the same.
TEST(UtilityFrontEnd, SigtermPressesTheDeviceCloseKeyAndEndsEveryMode) {
  for (const auto& [deviceLine, keysPassedOn] :
       {std::pair{"", "down 0xC5 flags 4\nup 0xC5 flags 6\n"}, std::pair{"-LowPowerMsg", ""}}) {
    testing_support::ImagedRoot root;
    EXPECT_EQ(StatusAfterSigterm(root, deviceLine), 0) << deviceLine;
    EXPECT_EQ(Devicectl(root, {"keys"}).out, keysPassedOn) << deviceLine;
  }
}

}  // namespace
