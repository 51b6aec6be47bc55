#include "sim/signal_watch.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <future>

namespace {

TEST(SignalWatch, TheFirstSignalCallsBackOffTheHandlerAndTheWatchPutsTheOldHandlerBack) {
  for (int watched : {SIGINT, SIGTERM}) {
    std::promise<int> called;
    {
      sim::SignalWatch watch([&](int signal) { called.set_value(signal); });
      raise(watched);
      EXPECT_EQ(called.get_future().get(), watched);
    }
    struct sigaction now {};
    sigaction(watched, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << watched;
  }
}

TEST(SignalWatch, TheSecondSignalEndsTheProcessAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int watched : {SIGINT, SIGTERM}) {
    EXPECT_EXIT(
        {
          sim::SignalWatch watch([](int) {});
          raise(watched);
          raise(watched);
          std::_Exit(0);
        },
        testing::ExitedWithCode(128 + watched), "");
  }
}

}  // namespace
