#include "platform/gwes/timers.h"

#include <gtest/gtest.h>

#include "platform/kernel/clock.h"
#include "tests/platform/gwes/message_log.h"
#include "tests/support/test_device.h"

using gwes_test::MessageLog;
using gwes_test::Pump;
using Log = std::vector<std::string>;

namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gwes_test::DestroyAllWindows();
    hwnd = gwes_test::MakeWindow("w", 0);
    log.React(hwnd, WM_TIMER, [this](WPARAM id, LPARAM) -> LRESULT {
      fired.push_back(std::to_string(id) + "@" + std::to_string(GetTickCount()));
      return 0;
    });
    log.Clear();
  }
  void TearDown() override { gwes_test::DestroyAllWindows(); }
  void Advance(DWORD ms) {
    gwes::AdvanceTime(ms);
    Pump();
  }
  testing_support::TestDevice device;  // a virtual clock starting at 0
  MessageLog& log = MessageLog::Get();
  HWND hwnd = nullptr;
  Log fired;
};

TEST_F(TimerTest, FiresExactlyWhenDueRestartsWhenSetAgainAndStopsWhenKilled) {
  EXPECT_EQ(SetTimer(hwnd, 7, 100, nullptr), 7u);
  Advance(99);  // each firing notes the time it came at: not before 100
  Advance(51);
  SetTimer(hwnd, 7, 100, nullptr);  // restarts from now: next at 250, not 200
  Advance(250);
  EXPECT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7));
  Advance(1000);
  EXPECT_EQ(fired, (Log{"7@100", "7@250", "7@350"}));
}

TEST_F(TimerTest, AnOverdueTimerGivesOneMessageAfterPostedOnesAndIsRescheduledFromThen) {
  SetTimer(hwnd, 1, 100, nullptr);
  Sleep(350);  // virtual time moves without the queue looking
  PostMessageW(hwnd, WM_USER, 0, 0);
  Pump();
  EXPECT_EQ(log.Take(), (Log{"w:WM_USER:0:0", "w:WM_TIMER:1:0"}));
  Advance(99);
  EXPECT_EQ(fired, Log{"1@350"});
  Advance(1);
  EXPECT_EQ(fired, (Log{"1@350", "1@450"}));
}

TEST_F(TimerTest, TimerProceduresRunOnDispatchAndDestroyedWindowsLoseTheirTimers) {
  static int calls = 0;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 50, [](HWND, UINT msg, UINT_PTR, DWORD) { calls += msg == WM_TIMER; });
  EXPECT_NE(id, 0u);
  EXPECT_NE(SetTimer(nullptr, 0, 50, nullptr), id);  // a new id for each window-less timer
  KillTimer(nullptr, id + 1);
  Advance(100);
  EXPECT_EQ(calls, 2);
  KillTimer(nullptr, id);

  SetTimer(hwnd, 3, 10, nullptr);
  DestroyWindow(hwnd);
  log.Clear();
  Advance(100);
  EXPECT_EQ(log.Take(), Log{});
  EXPECT_EQ(SetTimer(hwnd, 3, 10, nullptr), 0u);
}

}  // namespace
