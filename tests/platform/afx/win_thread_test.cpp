#include "platform/afx/win_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "platform/afx/winapp.h"
#include "platform/afx/wnd.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/sync_objects.h"

namespace {

struct Probe {
  std::atomic<int> runs{0};
  std::atomic<bool> sawOwnThreadObject{false};
  CWnd* mainWnd = nullptr;
};

UINT ProbeThread(LPVOID param) {
  auto* probe = static_cast<Probe*>(param);
  probe->runs++;
  probe->sawOwnThreadObject = AfxGetThread() != nullptr;
  probe->mainWnd = AfxGetMainWnd();
  return 17;
}

// Drawing from the thread and closing its handle with its object are the wait cursor's tests.
TEST(WinThreadTest, SuspendedThreadRunsOnlyAfterResumeAndItsObjectOutlivesItWithoutAutoDelete) {
  CWinApp app;
  CWnd mainWnd;
  app.m_pMainWnd = &mainWnd;
  Probe probe;
  CWinThread* thread = AfxBeginThread(ProbeThread, &probe, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(thread, nullptr);
  thread->m_bAutoDelete = FALSE;
  EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 0), WAIT_TIMEOUT);
  EXPECT_EQ(probe.runs, 0);
  EXPECT_EQ(thread->ResumeThread(), 1u);
  EXPECT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(thread->ResumeThread(), 0u);

  // It ran once and found its own thread object and the application's main window.
  EXPECT_EQ(probe.runs, 1);
  EXPECT_TRUE(probe.sawOwnThreadObject);
  EXPECT_EQ(probe.mainWnd, &mainWnd);
  EXPECT_EQ(thread->ExitCode(), 17u);
  EXPECT_EQ(AfxGetThread(), nullptr) << "the user-interface thread has no thread object";
  EXPECT_EQ(AfxGetMainWnd(), &mainWnd);
  delete thread;
}

TEST(WinThreadTest, AutoDeletedThreadCleansUpAfterItself) {
  size_t handles = kernel::OpenHandleCount();
  std::promise<void> done;
  auto body = [](LPVOID param) -> UINT {
    static_cast<std::promise<void>*>(param)->set_value();
    return 0;
  };
  CWinThread* thread = AfxBeginThread(body, &done);
  ASSERT_NE(thread, nullptr);
  done.get_future().wait();
  // The object and its handle go once the function has returned (the leak checker and the handle
  // count see it); poll the count without sleeping, bounded.
  for (int i = 0; i < 1000000 && kernel::OpenHandleCount() != handles; ++i) std::this_thread::yield();
  EXPECT_EQ(kernel::OpenHandleCount(), handles);
  EXPECT_EQ(AfxBeginThread(nullptr, nullptr), nullptr);
}

}  // namespace
