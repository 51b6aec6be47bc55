#include "platform/gwes/message_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/gwes/focus.h"
#include "platform/gwes/input.h"
#include "platform/gwes/timers.h"
#include "platform/kernel/clock.h"
#include "tests/platform/gwes/message_log.h"
#include "tests/support/test_device.h"

using gwes_test::MakeWindow;
using gwes_test::MessageLog;
using Log = std::vector<std::string>;

namespace {

class MessageQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { gwes_test::DestroyAllWindows(); }
  void TearDown() override { gwes_test::DestroyAllWindows(); }
  testing_support::TouchDevice device;  // a virtual clock
  MessageLog& log = MessageLog::Get();
};

TEST_F(MessageQueueTest, PostedMessagesComeFirstThenInputThenPaintThenTimers) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  gwes_test::Pump();
  log.Ignore({WM_ERASEBKGND, WM_MOUSEMOVE});
  SetTimer(top, 1, 10, nullptr);
  gwes::AdvanceTime(10);
  InvalidateRect(top, nullptr, FALSE);
  gwes::PostStylus(gwes::StylusAction::Down, 5, 6);
  PostMessageW(top, WM_USER, 1, 2);
  log.Clear();
  gwes_test::Pump();
  EXPECT_EQ(log.Take(), (Log{"top:WM_USER:1:2", "top:WM_LBUTTONDOWN:1:393221", "top:WM_PAINT:0:0", "top:WM_TIMER:1:0"}));

  // WM_QUIT comes once the messages posted before and after it are gone.
  PostMessageW(top, WM_USER, 0, 0);
  PostQuitMessage(3);
  PostMessageW(top, WM_USER + 1, 0, 0);
  MSG msg;
  std::vector<std::pair<BOOL, UINT>> got;  // what GetMessageW answered, and the message
  for (int i = 0; i < 3; ++i) got.push_back({GetMessageW(&msg, nullptr, 0, 0), msg.message});
  EXPECT_EQ(got, (std::vector<std::pair<BOOL, UINT>>{{TRUE, WM_USER}, {TRUE, WM_USER + 1}, {FALSE, WM_QUIT}}));
  EXPECT_EQ(msg.wParam, 3u);
  KillTimer(top, 1);
}

TEST_F(MessageQueueTest, PeekFiltersByWindowAndRangeAndCanLeaveTheMessage) {
  HWND top = MakeWindow("top", 0);
  HWND child = MakeWindow("child", WS_CHILD, top, {0, 0, 5, 5}, 1);
  HWND other = MakeWindow("other", 0);
  PostMessageW(other, WM_USER, 0, 0);
  PostMessageW(child, WM_USER + 1, 0, 0);
  PostMessageW(nullptr, WM_USER + 2, 0, 0);
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, top, 0, 0, PM_NOREMOVE));  // the window or its children
  EXPECT_EQ(msg.hwnd, child);
  EXPECT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));  // thread messages only
  EXPECT_EQ(msg.message, WM_USER + 2u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 5, PM_REMOVE));
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, child);
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, other);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  HWND dead = reinterpret_cast<HWND>(0x7777);
  EXPECT_EQ(GetMessageW(&msg, dead, 0, 0), -1);
}

TEST_F(MessageQueueTest, TranslateMessageTypesCharactersForCharacterKeysOnly) {
  MakeWindow("top", WS_VISIBLE);
  gwes_test::Pump();
  log.Clear();
  for (auto [vk, down] : std::initializer_list<std::pair<BYTE, bool>>{
           {'A', true}, {'A', false}, {VK_SHIFT, true}, {'B', true}, {VK_SHIFT, false}, {VK_LEFT, true},
           {VK_RETURN, true}, {VK_LEFT, false}, {'B', false}, {VK_RETURN, false}})
    gwes::PostKey(vk, down);
  gwes_test::Pump();
  Log chars = log.Take();
  std::erase_if(chars, [](const std::string& entry) { return entry.find("WM_CHAR") == std::string::npos; });
  EXPECT_EQ(chars, (Log{"top:WM_CHAR:97:1", "top:WM_CHAR:66:1", "top:WM_CHAR:13:1"}));
}

// A window class of the test's own whose procedure is `proc`.
HWND MakeWindowWith(const char16_t* name, WNDPROC proc, DWORD style = 0) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  RegisterClassW(&wc);
  return CreateWindowExW(0, name, u"", style, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(MessageQueueTest, SendingToAnotherThreadsWindowRunsItThereAndWaitsForTheResult) {
  static std::thread::id ranOn;
  HWND hwnd = MakeWindowWith(u"Doubling", [](HWND self, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_USER) ranOn = std::this_thread::get_id();
    if (msg == WM_USER + 1) PostQuitMessage(0);
    return msg == WM_USER ? static_cast<LRESULT>(wParam * 2) : DefWindowProcW(self, msg, wParam, lParam);
  });
  LRESULT result = 0;
  std::thread sender([&] {
    result = SendMessageW(hwnd, WM_USER, 21, 0);
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
  });
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  sender.join();
  EXPECT_EQ(result, 42);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  DestroyWindow(hwnd);
}

// A user-interface thread of its own, driven as the headless runner drives the program's thread.
TEST_F(MessageQueueTest, AnIdleUiThreadSeesEachDueTimerInOrderAsTimeAdvances) {
  static std::mutex lock;
  static Log seen;
  seen.clear();
  auto taken = [] {
    std::lock_guard guard(lock);
    return std::exchange(seen, {});
  };
  std::atomic<HWND> window{nullptr};
  std::thread ui([&] {
    HWND hwnd = MakeWindowWith(u"Ticking", [](HWND self, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == WM_TIMER || msg == WM_LBUTTONDOWN) {
        std::lock_guard guard(lock);
        seen.push_back(msg == WM_LBUTTONDOWN ? "tap" : std::to_string(GetTickCount()) + ":" + std::to_string(wParam));
      }
      if (msg == WM_DESTROY) PostQuitMessage(0);
      return DefWindowProcW(self, msg, wParam, lParam);
    }, WS_VISIBLE);
    SetTimer(hwnd, 1, 100, nullptr);
    SetTimer(hwnd, 2, 250, nullptr);
    window = hwnd;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  });
  ASSERT_TRUE(gwes::WaitForIdle(5000));
  ASSERT_TRUE(window.load());
  gwes::AdvanceTime(500);
  ASSERT_TRUE(gwes::WaitForIdle(5000));
  EXPECT_EQ(GetTickCount(), 500u);
  EXPECT_EQ(taken(), (Log{"100:1", "200:1", "250:2", "300:1", "400:1", "500:2", "500:1"}));
  gwes::PostStylus(gwes::StylusAction::Down, 1, 1);
  ASSERT_TRUE(gwes::WaitForIdle(5000));
  EXPECT_EQ(taken(), (Log{"tap"}));
  gwes::PostStylus(gwes::StylusAction::Up, 1, 1);
  PostMessageW(window, WM_CLOSE, 0, 0);
  ui.join();
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(MessageQueueTest, TheWindowsOfAThreadThatEndsGoWithIt) {
  HWND top = nullptr;
  HWND child = nullptr;
  std::thread ui([&] {
    top = MakeWindow("top", WS_VISIBLE);
    child = MakeWindow("child", WS_CHILD | WS_VISIBLE, top, {0, 0, 10, 10}, 1);
    SetFocus(child);
  });
  ui.join();
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_TRUE(gwes::TopLevelWindowList().empty());
}

}  // namespace
