#include "platform/kernel/sync_objects.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/kernel/clock.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/shared_object_table.h"
#include "tests/support/child_process.h"
#include "tests/support/test_device.h"

namespace {

using Millis = std::chrono::milliseconds;
using testing_support::ChildProcess;

class SyncObjectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::alarm(30);  // a hung wait ends the run instead of wedging it
    m_handlesBefore = kernel::OpenHandleCount();
  }
  void TearDown() override {
    ::alarm(0);
    // Every test closes what it opened; the table then goes away with its last object.
    EXPECT_EQ(kernel::OpenHandleCount(), m_handlesBefore);
    EXPECT_FALSE(std::filesystem::exists("/dev/shm" + kernel::SharedObjectTable::NameForRoot(Root())));
  }
  const std::filesystem::path& Root() const { return m_device.Root(); }

  testing_support::TestDevice m_device;
  std::size_t m_handlesBefore = 0;
};

TEST_F(SyncObjectsTest, NamedEventKeepsKindStateAndDataWhileAnyHandleIsOpen) {
  const char16_t* name = u"EVENT_HOLD_BATT_WARNING";
  HANDLE first = CreateEventW(nullptr, TRUE, FALSE, name);
  SetLastError(ERROR_INVALID_DATA);
  EXPECT_EQ(GetEventData(first), 0u);
  EXPECT_EQ(GetLastError(), 0u) << "a zero data word is a success";

  // Opening again with other arguments changes neither the kind nor the state nor the data word.
  SetEventData(first, 0xDEADBEEF);
  HANDLE again = CreateEventW(nullptr, FALSE, TRUE, name);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  kernel::EventInfo info = kernel::InspectNamedEvent(name);
  EXPECT_TRUE(info.manualReset && !info.signalled);
  EXPECT_EQ(GetEventData(again), 0xDEADBEEFu);

  CloseHandle(first);
  EXPECT_EQ(kernel::InspectNamedEvent(name).data, 0xDEADBEEFu) << "the event lives on with its other handle";
  CloseHandle(again);
  EXPECT_FALSE(kernel::InspectNamedEvent(name).exists) << "the event goes with its last handle";
}

TEST_F(SyncObjectsTest, NamesAreCaseSensitiveAndLimited) {
  HANDLE upper = CreateEventW(nullptr, FALSE, FALSE, u"SetupFinishedEvent");
  HANDLE lower = CreateEventW(nullptr, FALSE, FALSE, u"setupfinishedevent");
  EXPECT_EQ(GetLastError(), 0u) << "a name differing only in case is another object";
  SetEvent(upper);
  EXPECT_EQ(WaitForSingleObject(lower, 0), WAIT_TIMEOUT);

  HANDLE empty = CreateEventW(nullptr, FALSE, FALSE, u"");
  HANDLE emptyAgain = CreateEventW(nullptr, FALSE, FALSE, u"");
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS) << "an empty name is a name";

  std::u16string longest(kernel::SharedObjectTable::kMaxNameLength, u'x');
  HANDLE fits = CreateMutexW(nullptr, FALSE, longest.c_str());
  EXPECT_NE(fits, nullptr);
  EXPECT_EQ(CreateMutexW(nullptr, FALSE, (longest + u"x").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateEventW(nullptr, FALSE, FALSE, u"Global\\Name"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);

  for (HANDLE handle : {upper, lower, empty, emptyAgain, fits}) CloseHandle(handle);
}

// A pulse releases a thread that is already waiting and leaves the event reset. The waiter cannot
// announce that it has started waiting, so the test pulses until it is released.
void ExpectPulseReleasesAWaitingThread(HANDLE event) {
  std::atomic<bool> released{false};
  DWORD result = WAIT_FAILED;
  std::thread waiter([&] {
    result = WaitForSingleObject(event, INFINITE);
    released = true;
  });
  while (!released) {
    PulseEvent(event);
    std::this_thread::yield();
  }
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST_F(SyncObjectsTest, AutoResetReleasesOneWaitManualResetStaysAPulseReleasesWaiters) {
  for (const char16_t* name : {static_cast<const char16_t*>(nullptr), u"Named"}) {
    SCOPED_TRACE(name ? "named" : "anonymous");
    HANDLE autoEvent = CreateEventW(nullptr, FALSE, TRUE, name);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT) << "the wait reset it";
    SetEvent(autoEvent);
    SetEvent(autoEvent);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT) << "setting twice is one signal";
    SetEvent(autoEvent);
    PulseEvent(autoEvent);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT) << "a pulse with no waiter resets";
    ExpectPulseReleasesAWaitingThread(autoEvent);

    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, name ? u"Manual" : nullptr);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    PulseEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    ExpectPulseReleasesAWaitingThread(manual);
    CloseHandle(manual);
    CloseHandle(autoEvent);
  }
}

TEST_F(SyncObjectsTest, MutexIsOwnedRecursivelyByOneThreadAndAbandonedWhenItEnds) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, u"QuorvaneUtility");
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the owner takes it again";

  // A second open ignores initialOwner: the other thread neither owns nor can take it; under
  // virtual time its timed wait returns at once with the clock moved on.
  std::thread([&] {
    HANDLE second = CreateMutexW(nullptr, TRUE, u"QuorvaneUtility");
    DWORD ticks = GetTickCount();
    EXPECT_EQ(WaitForSingleObject(second, 500), WAIT_TIMEOUT);
    EXPECT_EQ(GetTickCount() - ticks, 500u);
    EXPECT_FALSE(ReleaseMutex(second));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    CloseHandle(second);
  }).join();

  EXPECT_EQ((std::vector<BOOL>{ReleaseMutex(mutex), ReleaseMutex(mutex), ReleaseMutex(mutex)}),
            (std::vector<BOOL>{TRUE, TRUE, FALSE})) << "taken twice, released twice";

  // A thread that ends while owning the mutex abandons it; the next taker is told so once.
  HANDLE anonymous = CreateMutexW(nullptr, FALSE, nullptr);
  for (HANDLE each : {mutex, anonymous}) {
    std::thread([&] { EXPECT_EQ(WaitForSingleObject(each, 0), WAIT_OBJECT_0); }).join();
    EXPECT_EQ(WaitForSingleObject(each, 0), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(each));
    EXPECT_EQ(WaitForSingleObject(each, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(each));
    CloseHandle(each);
  }
}

TEST_F(SyncObjectsTest, AFollowerThreadWaitsUntilAnotherThreadMovesVirtualTimeOrTheObjectIsSet) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  auto awaitFollower = [] {
    while (kernel::FollowersWaiting() != 1) std::this_thread::yield();  // the alarm bounds a hang
  };
  DWORD ticks = GetTickCount();
  for (bool signal : {false, true}) {
    SCOPED_TRACE(signal ? "signal" : "time");
    std::atomic<DWORD> result{0};
    std::thread follower([&] {
      kernel::FollowVirtualTime();
      result = WaitForSingleObject(event, 2000);
    });
    awaitFollower();
    if (signal) {
      SetEvent(event);
    } else {
      kernel::AdvanceVirtualTime(1999);
      EXPECT_EQ(kernel::FollowersWaiting(), 1u) << "still waiting before the time-out";
      kernel::AdvanceVirtualTime(1);
    }
    follower.join();
    EXPECT_EQ(result.load(), signal ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
  }
  EXPECT_EQ(GetTickCount() - ticks, 2000u) << "only this thread moved time";

  std::thread sleeper([] {
    kernel::FollowVirtualTime();
    Sleep(300);
  });
  awaitFollower();
  kernel::AdvanceVirtualTime(300);
  sleeper.join();
  EXPECT_EQ(kernel::FollowersWaiting(), 0u);
  CloseHandle(event);
}

TEST_F(SyncObjectsTest, AnotherProcessSharesTheObjectsAndWakesAWaiter) {
  kernel::SetClockSource(kernel::MakeRealClock());  // the parent blocks in real time
  HANDLE event = CreateEventW(nullptr, TRUE, TRUE, u"Shared");
  SetEventData(event, 7);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, u"QuorvaneUtility");
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, u"Wake");

  ChildProcess child(Root(), [](ChildProcess& parent) {
    HANDLE opened = CreateEventW(nullptr, FALSE, FALSE, u"Shared");
    CHILD_CHECK(opened != nullptr && GetLastError() == ERROR_ALREADY_EXISTS && GetEventData(opened) == 7);
    CHILD_CHECK(WaitForSingleObject(opened, 0) == WAIT_OBJECT_0);
    CHILD_CHECK(WaitForSingleObject(opened, 0) == WAIT_OBJECT_0);  // still manual reset
    SetEventData(opened, 8);
    CHILD_CHECK(CreateMutexW(nullptr, FALSE, u"QuorvaneUtility") && GetLastError() == ERROR_ALREADY_EXISTS);
    // Mutexes and events share one namespace.
    CHILD_CHECK(!CreateMutexW(nullptr, FALSE, u"Shared") && GetLastError() == ERROR_INVALID_HANDLE);
    CHILD_CHECK(!CreateEventW(nullptr, FALSE, FALSE, u"QuorvaneUtility") && GetLastError() == ERROR_INVALID_HANDLE);
    // A pulse only releases a thread that already waits: pulse until the parent was released.
    HANDLE pulsed = CreateEventW(nullptr, FALSE, FALSE, u"Wake");
    while (!parent.Await(0)) PulseEvent(pulsed);
    return 0;  // the handles go with the process
  });
  EXPECT_EQ(WaitForSingleObject(wake, 5000), WAIT_OBJECT_0);
  child.Signal();
  EXPECT_EQ(child.Join(), 0);
  EXPECT_EQ(GetEventData(event), 8u);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the child never owned it";
  ReleaseMutex(mutex);

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(wake, 60), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, Millis(60)) << "real time blocks for the whole time-out";
  for (HANDLE handle : {wake, mutex, event}) CloseHandle(handle);
}

TEST_F(SyncObjectsTest, DeadProcessesLeaveNothingLockedOrAlive) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, u"Survivor");
  SetEventData(event, 5);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, u"Owned");

  // A child dies holding the table lock: the next user repairs and goes on.
  EXPECT_EQ(ChildProcess(Root(), [&](ChildProcess&) {
              kernel::SharedObjectTable::ForRoot(Root(), true)->LockAndForgetForTest();
              return 0;
            }).Join(),
            0);
  EXPECT_EQ(GetEventData(event), 5u);
  EXPECT_TRUE(SetEvent(event));

  // A child dies owning the mutex: a wait for it ends abandoned.
  {
    ChildProcess child(Root(), [](ChildProcess& parent) {
      CHILD_CHECK(WaitForSingleObject(CreateMutexW(nullptr, FALSE, u"Owned"), 0) == WAIT_OBJECT_0);
      parent.Signal();
      return 0;
    });
    ASSERT_TRUE(child.Await());
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_ABANDONED);
    EXPECT_EQ(child.Join(), 0);
  }
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));

  // A child holds the only handle of an object: the object ends with the child, even before the
  // child is reaped.
  {
    ChildProcess child(Root(), [](ChildProcess& parent) {
      HANDLE only = CreateEventW(nullptr, FALSE, TRUE, u"ChildOnly");
      CHILD_CHECK(GetLastError() == 0);
      SetEventData(only, 9);
      parent.Signal();
      parent.Await();
      return 0;
    });
    ASSERT_TRUE(child.Await());
    EXPECT_EQ(kernel::InspectNamedEvent(u"ChildOnly").data, 9u);
    child.Signal();
    child.AwaitExitKeepZombie();
    EXPECT_FALSE(kernel::InspectNamedEvent(u"ChildOnly").exists);
    EXPECT_EQ(child.Join(), 0);
  }
  HANDLE recreated = CreateEventW(nullptr, FALSE, FALSE, u"ChildOnly");
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(GetEventData(recreated), 0u);
  for (HANDLE handle : {recreated, mutex, event}) CloseHandle(handle);
}

TEST_F(SyncObjectsTest, HandlesOfAnotherKindOrClosedFail) {
  HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, u"Kind");
  HANDLE other = kernel::InsertHandle(std::make_shared<kernel::KernelObject>());
  auto invalid = [](bool failed) {
    bool ok = failed && GetLastError() == ERROR_INVALID_HANDLE;
    SetLastError(0);
    return ok;
  };
  EXPECT_TRUE(invalid(!SetEvent(mutex)));
  EXPECT_TRUE(invalid(!ResetEvent(mutex)));
  EXPECT_TRUE(invalid(!PulseEvent(other)));
  EXPECT_TRUE(invalid(!SetEventData(mutex, 1)));
  EXPECT_TRUE(invalid(GetEventData(mutex) == 0));
  EXPECT_TRUE(invalid(!ReleaseMutex(event)));
  EXPECT_TRUE(invalid(WaitForSingleObject(other, 0) == WAIT_FAILED)) << "an object that cannot wait";
  EXPECT_TRUE(invalid(WaitForSingleObject(nullptr, 0) == WAIT_FAILED));

  for (HANDLE handle : {event, mutex, other}) EXPECT_TRUE(CloseHandle(handle));
  EXPECT_TRUE(invalid(!SetEvent(event)));
  EXPECT_TRUE(invalid(WaitForSingleObject(mutex, 0) == WAIT_FAILED));
}

}  // namespace
