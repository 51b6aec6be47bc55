#include "platform/gwes/timers.h"

#include <gtest/gtest.h>

#include "platform/kernel/clock.h"
#include "tests/platform/gwes/message_log.h"
#include "tests/support/test_device.h"

using gwes_test::MakeWindow;
using gwes_test::MessageLog;
using gwes_test::Pump;
using Log = std::vector<std::string>;

namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gwes_test::DestroyAllWindows();
    hwnd = MakeWindow("w", 0);
    log.Ignore({});
    log.Clear();
  }
  void TearDown() override { gwes_test::DestroyAllWindows(); }
  // WM_TIMER entries as "tick:id".
  Log Fired() {
    Log fired;
    for (const auto& entry : log.Take()) fired.push_back(entry);
    return fired;
  }
  testing_support::TestDevice device;  // a virtual clock starting at 0
  MessageLog& log = MessageLog::Get();
  HWND hwnd = nullptr;
};

TEST_F(TimerTest, ATimerFiresExactlyWhenDueAndRestartsWhenItsIdIsSetAgain) {
  static std::vector<DWORD> ticks;
  ticks.clear();
  log.React(hwnd, WM_TIMER, [](WPARAM, LPARAM) -> LRESULT {
    ticks.push_back(GetTickCount());
    return 0;
  });
  EXPECT_EQ(SetTimer(hwnd, 7, 100, nullptr), 7u);
  gwes::AdvanceTime(99);
  Pump();
  EXPECT_TRUE(ticks.empty());
  gwes::AdvanceTime(1);
  Pump();
  EXPECT_EQ(ticks, (std::vector<DWORD>{100}));
  gwes::AdvanceTime(50);
  Pump();
  SetTimer(hwnd, 7, 100, nullptr);  // restarts from now: next at 250, not 200
  gwes::AdvanceTime(250);
  Pump();
  EXPECT_EQ(ticks, (std::vector<DWORD>{100, 250, 350}));
  EXPECT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7));
  gwes::AdvanceTime(1000);
  Pump();
  EXPECT_EQ(ticks.size(), 3u);
}

TEST_F(TimerTest, AnOverdueTimerGivesOneMessageAndTimersWaitForPostedMessages) {
  SetTimer(hwnd, 1, 100, nullptr);
  Sleep(350);  // time moves without the queue looking
  PostMessageW(hwnd, WM_USER, 0, 0);
  Pump();
  EXPECT_EQ(log.Take(), (Log{"w:WM_USER:0:0", "w:WM_TIMER:1:0"}));
  gwes::AdvanceTime(99);
  Pump();
  EXPECT_EQ(log.Take(), Log{});  // rescheduled from when it was delivered
  gwes::AdvanceTime(1);
  Pump();
  EXPECT_EQ(log.Take(), (Log{"w:WM_TIMER:1:0"}));
}

TEST_F(TimerTest, TimerProceduresRunOnDispatchAndDestroyedWindowsLoseTheirTimers) {
  static int calls = 0;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 50, [](HWND, UINT msg, UINT_PTR, DWORD) {
    EXPECT_EQ(msg, WM_TIMER);
    ++calls;
  });
  EXPECT_NE(id, 0u);
  EXPECT_NE(SetTimer(nullptr, 0, 50, nullptr), id);  // a new id for each window-less timer
  KillTimer(nullptr, id + 1);
  gwes::AdvanceTime(100);
  Pump();
  EXPECT_EQ(calls, 2);
  KillTimer(nullptr, id);

  SetTimer(hwnd, 3, 10, nullptr);
  DestroyWindow(hwnd);
  log.Clear();
  gwes::AdvanceTime(100);
  Pump();
  EXPECT_EQ(log.Take(), Log{});
  EXPECT_EQ(SetTimer(hwnd, 3, 10, nullptr), 0u);
}

}  // namespace
