// Device roots side by side, as a test farm runs them: nothing of one leaks into another.
#include <gtest/gtest.h>

#include <future>

#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;
using testing_support::Utility;

// Two runs at once, each on its own root: the one that leaves by the close key has it in its key log
// (the menu passes it on), the one that leaves by Escape has none, and each root's socket is gone.
TEST(DeviceRoots, TwoRootsRunInParallelAndEachKeepsItsOwnLogs) {
  testing_support::ImagedRoot closed, escaped;
  const std::string tour = "key ENTER\nkey RIGHT\nkey ESCAPE\nkey RIGHT\nkey ENTER\nkey ESCAPE\n";
  auto a = std::async(std::launch::async, [&] { return Utility(closed, {"--headless", "--script", "-"}, tour + "key CLOSE\n"); });
  auto b = std::async(std::launch::async, [&] { return Utility(escaped, {"--headless", "--script", "-"}, tour + "key ESCAPE\n"); });
  EXPECT_EQ(a.get().status, 0);
  EXPECT_EQ(b.get().status, 0);
  EXPECT_EQ(Devicectl(closed, {"keys"}).out, "down 0xC5 flags 4\nup 0xC5 flags 6\n");
  EXPECT_EQ(Devicectl(escaped, {"keys"}).out, "");
  EXPECT_EQ(Devicectl(closed, {"ps"}).out, "");
  EXPECT_EQ(Devicectl(escaped, {"ps"}).out, "");
}

}  // namespace
