#include "platform/kernel/sync_objects.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/kernel/clock.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/shared_object_table.h"
#include "tests/support/test_device.h"

namespace {

using Millis = std::chrono::milliseconds;

// A pipe between a test and its child: one side says "ready" or "go on" with a byte, or by
// closing its end (Await is then false).
struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() { (void)!::pipe2(fd, O_CLOEXEC); }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  void Signal() { (void)!::write(fd[1], "x", 1); }
  bool Await() {
    char byte = 0;
    return ::read(fd[0], &byte, 1) == 1;
  }
  void CloseRead() { Close(fd[0]); }
  void CloseWrite() { Close(fd[1]); }
  static void Close(int& end) {
    if (end >= 0) ::close(end);
    end = -1;
  }
};

// A forked child that opens its own Device on the same root (the shared table is keyed by the
// root) and runs body; its exit status is body's result. A child still running when the test
// ends is killed.
class ChildProcess {
 public:
  ChildProcess(const std::filesystem::path& root, const std::function<int()>& body) {
    m_pid = ::fork();
    if (m_pid == 0) {
      ::alarm(10);
      kernel::SetCurrentDevice(std::make_shared<kernel::Device>(root));
      ::_exit(body());
    }
  }
  ~ChildProcess() {
    if (m_pid > 0 && !m_reaped) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  int Join() {
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_reaped = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  // Waits until the child has ended but leaves it a zombie.
  void AwaitExitKeepZombie() {
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOWAIT);
  }

 private:
  pid_t m_pid = -1;
  bool m_reaped = false;
};

// In a child: report the failed line and end with status 1.
#define CHILD_CHECK(condition)                                                  \
  do {                                                                          \
    if (!(condition)) {                                                         \
      std::fprintf(stderr, "child check failed at line %d: %s\n", __LINE__, #condition); \
      return 1;                                                                 \
    }                                                                           \
  } while (0)

bool TableExists(const std::filesystem::path& root) {
  std::string name = kernel::SharedObjectTable::NameForRoot(root);
  return std::filesystem::exists("/dev/shm" + name);
}

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
    EXPECT_FALSE(TableExists(m_device.Root()));
  }
  const std::filesystem::path& Root() const { return m_device.Root(); }

  testing_support::TestDevice m_device;
  std::size_t m_handlesBefore = 0;
};

// The battery-warning hold: a manual-reset event whose data word counts holders; each holder opens
// the event, changes it and closes its handle while an observer keeps the event alive.
TEST_F(SyncObjectsTest, DataWordCountsHoldersAndSurvivesReopening) {
  const char16_t* name = u"EVENT_HOLD_BATT_WARNING";
  auto hold = [&](bool take) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    if (take) {
      SetEvent(event);
      SetEventData(event, GetEventData(event) + 1);
    } else {
      DWORD count = GetEventData(event);
      SetEventData(event, count > 1 ? count - 1 : 0);
      if (count <= 1) ResetEvent(event);
    }
    CloseHandle(event);
  };

  EXPECT_FALSE(kernel::InspectNamedEvent(name).exists);
  HANDLE observer = CreateEventW(nullptr, TRUE, FALSE, name);
  ASSERT_NE(observer, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  SetLastError(ERROR_INVALID_DATA);
  EXPECT_EQ(GetEventData(observer), 0u);
  EXPECT_EQ(GetLastError(), 0u) << "a zero data word is a success";

  hold(true);
  hold(true);
  kernel::EventInfo info = kernel::InspectNamedEvent(name);
  EXPECT_TRUE(info.exists);
  EXPECT_TRUE(info.manualReset);
  EXPECT_TRUE(info.signalled);
  EXPECT_EQ(info.data, 2u);

  hold(false);
  info = kernel::InspectNamedEvent(name);
  EXPECT_TRUE(info.signalled);
  EXPECT_EQ(info.data, 1u);
  hold(false);
  info = kernel::InspectNamedEvent(name);
  EXPECT_FALSE(info.signalled);
  EXPECT_EQ(info.data, 0u);

  // Opening again with other arguments changes neither the kind nor the state nor the data word.
  SetEventData(observer, 0xDEADBEEF);
  HANDLE again = CreateEventW(nullptr, FALSE, TRUE, name);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  info = kernel::InspectNamedEvent(name);
  EXPECT_TRUE(info.manualReset);
  EXPECT_FALSE(info.signalled);
  EXPECT_EQ(GetEventData(again), 0xDEADBEEFu);
  EXPECT_TRUE(TableExists(Root()));

  CloseHandle(again);
  CloseHandle(observer);
  EXPECT_FALSE(kernel::InspectNamedEvent(name).exists) << "the event goes with its last handle";
  HANDLE fresh = CreateEventW(nullptr, TRUE, FALSE, name);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(GetEventData(fresh), 0u);
  CloseHandle(fresh);
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

TEST_F(SyncObjectsTest, AutoResetReleasesOneWaitManualResetStays) {
  for (const char16_t* name : {static_cast<const char16_t*>(nullptr), u"Named"}) {
    SCOPED_TRACE(name ? "named" : "anonymous");
    HANDLE autoEvent = CreateEventW(nullptr, FALSE, TRUE, name);
    ASSERT_NE(autoEvent, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT) << "the wait reset it";
    SetEvent(autoEvent);
    SetEvent(autoEvent);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT) << "setting twice is one signal";
    SetEvent(autoEvent);
    PulseEvent(autoEvent);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT) << "a pulse with no waiter resets";
    CloseHandle(autoEvent);

    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, name);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    PulseEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    CloseHandle(manual);
  }
}

// A pulse releases a thread that is already waiting and leaves the event reset. The waiter
// cannot announce that it has started waiting, so the test pulses until it is released.
TEST_F(SyncObjectsTest, PulseReleasesAWaitingThread) {
  for (BOOL manualReset : {TRUE, FALSE}) {
    SCOPED_TRACE(manualReset ? "manual reset" : "auto reset");
    HANDLE event = CreateEventW(nullptr, manualReset, FALSE, u"Pulsed");
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
    CloseHandle(event);
  }
}

TEST_F(SyncObjectsTest, MutexIsOwnedRecursivelyByOneThread) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, u"QuorvaneUtility");
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the owner takes it again";

  // A second open ignores initialOwner: the other thread neither owns nor can take it.
  std::thread([&] {
    HANDLE second = CreateMutexW(nullptr, TRUE, u"QuorvaneUtility");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    EXPECT_FALSE(ReleaseMutex(second));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    CloseHandle(second);
  }).join();

  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);

  // A thread that ends while owning the mutex abandons it; the next taker is told so once.
  std::thread([&] { EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); }).join();
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);

  HANDLE anonymous = CreateMutexW(nullptr, FALSE, nullptr);
  std::thread([&] { EXPECT_EQ(WaitForSingleObject(anonymous, 0), WAIT_OBJECT_0); }).join();
  EXPECT_EQ(WaitForSingleObject(anonymous, 0), WAIT_ABANDONED);
  CloseHandle(anonymous);
}

TEST_F(SyncObjectsTest, TimedWaitUnderVirtualTimeCompletesAtOnce) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, u"SetupFinishedEvent");
  HANDLE mutex = CreateMutexW(nullptr, FALSE, u"Busy");

  DWORD ticks = GetTickCount();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 2000), WAIT_TIMEOUT);
  EXPECT_EQ(GetTickCount() - ticks, 2000u) << "virtual time moved by the time-out";
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_EQ(GetTickCount() - ticks, 2000u) << "a zero time-out does not move time";

  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 2000), WAIT_OBJECT_0);
  EXPECT_EQ(GetTickCount() - ticks, 2000u) << "a signalled object does not move time";

  std::thread([&] {
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    DWORD before = GetTickCount();
    std::thread([&] { EXPECT_EQ(WaitForSingleObject(mutex, 500), WAIT_TIMEOUT); }).join();
    EXPECT_EQ(GetTickCount() - before, 500u);
    ReleaseMutex(mutex);
  }).join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, Millis(1000));
  CloseHandle(event);
  CloseHandle(mutex);
}

TEST_F(SyncObjectsTest, SecondProcessOpensTheSameObjects) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, u"Shared");
  SetEventData(event, 7);
  SetEvent(event);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, u"QuorvaneUtility");

  ChildProcess child(Root(), [] {
    HANDLE opened = CreateEventW(nullptr, FALSE, FALSE, u"Shared");
    CHILD_CHECK(opened != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
    CHILD_CHECK(GetEventData(opened) == 7);
    CHILD_CHECK(WaitForSingleObject(opened, 0) == WAIT_OBJECT_0);
    CHILD_CHECK(WaitForSingleObject(opened, 0) == WAIT_OBJECT_0);  // still manual reset
    SetEventData(opened, 8);
    HANDLE instance = CreateMutexW(nullptr, FALSE, u"QuorvaneUtility");
    CHILD_CHECK(instance != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
    CHILD_CHECK(CreateMutexW(nullptr, FALSE, u"Shared") == nullptr);
    CHILD_CHECK(GetLastError() == ERROR_INVALID_HANDLE);
    CHILD_CHECK(CreateEventW(nullptr, FALSE, FALSE, u"QuorvaneUtility") == nullptr);
    CHILD_CHECK(GetLastError() == ERROR_INVALID_HANDLE);
    CloseHandle(instance);
    CloseHandle(opened);
    return 0;
  });
  EXPECT_EQ(child.Join(), 0);
  EXPECT_EQ(GetEventData(event), 8u);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the child never owned it";
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  CloseHandle(event);
}

TEST_F(SyncObjectsTest, WaitWakesWhenAnotherProcessSignals) {
  kernel::SetClockSource(kernel::MakeRealClock());
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, u"Wake");
  ChildProcess child(Root(), [] {
    HANDLE opened = CreateEventW(nullptr, FALSE, FALSE, u"Wake");
    CHILD_CHECK(GetLastError() == ERROR_ALREADY_EXISTS);
    std::this_thread::sleep_for(Millis(100));  // let the parent block first
    CHILD_CHECK(SetEvent(opened));
    return 0;
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 2000), WAIT_OBJECT_0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, Millis(1900));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "the wait reset it";
  EXPECT_EQ(child.Join(), 0);

  start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 150), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, Millis(150)) << "real time blocks";
  CloseHandle(event);
}

TEST_F(SyncObjectsTest, DeadProcessesLeaveNothingLockedOrAlive) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, u"Survivor");
  SetEventData(event, 5);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, u"Owned");

  // A child dies holding the table lock: the next user repairs and goes on.
  {
    ChildProcess child(Root(), [&] {
      kernel::SharedObjectTable::ForRoot(Root(), true)->LockAndForgetForTest();
      return 0;
    });
    EXPECT_EQ(child.Join(), 0);
  }
  EXPECT_EQ(GetEventData(event), 5u);
  EXPECT_TRUE(SetEvent(event));
  EXPECT_TRUE(kernel::InspectNamedEvent(u"Survivor").signalled);

  // A child dies owning the mutex while this process waits for it: the wait ends abandoned.
  {
    Pipe owned;
    ChildProcess child(Root(), [&] {
      HANDLE opened = CreateMutexW(nullptr, FALSE, u"Owned");
      CHILD_CHECK(WaitForSingleObject(opened, 0) == WAIT_OBJECT_0);
      owned.Signal();
      std::this_thread::sleep_for(Millis(100));  // let the parent block first
      return 0;
    });
    ASSERT_TRUE(owned.Await());
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_ABANDONED);
    EXPECT_EQ(child.Join(), 0);
  }
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));

  // A child holds the only handle of an object: the object ends with the child, even before the
  // child is reaped.
  {
    Pipe ready;
    Pipe go;
    ChildProcess child(Root(), [&] {
      go.CloseWrite();
      HANDLE only = CreateEventW(nullptr, FALSE, TRUE, u"ChildOnly");
      CHILD_CHECK(GetLastError() == 0);
      SetEventData(only, 9);
      ready.Signal();
      go.Await();
      return 0;
    });
    go.CloseRead();
    ASSERT_TRUE(ready.Await());
    kernel::EventInfo info = kernel::InspectNamedEvent(u"ChildOnly");
    EXPECT_TRUE(info.exists);
    EXPECT_EQ(info.data, 9u);
    go.CloseWrite();
    child.AwaitExitKeepZombie();
    EXPECT_FALSE(kernel::InspectNamedEvent(u"ChildOnly").exists);
    EXPECT_EQ(child.Join(), 0);
  }
  HANDLE recreated = CreateEventW(nullptr, FALSE, FALSE, u"ChildOnly");
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(GetEventData(recreated), 0u);

  for (HANDLE handle : {recreated, mutex, event}) CloseHandle(handle);
}

class ForeignWaitable final : public kernel::WaitableObject {
 public:
  DWORD Wait(DWORD timeoutMs) override { return timeoutMs == 7 ? WAIT_OBJECT_0 : WAIT_TIMEOUT; }
};

TEST_F(SyncObjectsTest, HandlesOfAnotherKindFail) {
  HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, u"Kind");
  HANDLE other = kernel::InsertHandle(std::make_shared<kernel::KernelObject>());
  HANDLE foreign = kernel::InsertHandle(std::make_shared<ForeignWaitable>());

  auto expectInvalid = [](bool failed, const char* what) {
    EXPECT_TRUE(failed) << what;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE) << what;
    SetLastError(0);
  };
  expectInvalid(!SetEvent(mutex), "SetEvent on a mutex");
  expectInvalid(!ResetEvent(mutex), "ResetEvent on a mutex");
  expectInvalid(!PulseEvent(other), "PulseEvent on another object");
  expectInvalid(!SetEventData(mutex, 1), "SetEventData on a mutex");
  expectInvalid(GetEventData(mutex) == 0, "GetEventData on a mutex");
  expectInvalid(!ReleaseMutex(event), "ReleaseMutex on an event");
  expectInvalid(WaitForSingleObject(other, 0) == WAIT_FAILED, "wait on an object that cannot wait");
  expectInvalid(WaitForSingleObject(nullptr, 0) == WAIT_FAILED, "wait on a null handle");

  // Any waitable object can be waited on, such as a process handle.
  EXPECT_EQ(WaitForSingleObject(foreign, 7), WAIT_OBJECT_0);

  for (HANDLE handle : {event, mutex, other, foreign}) EXPECT_TRUE(CloseHandle(handle));
  expectInvalid(!SetEvent(event), "SetEvent on a closed handle");
  expectInvalid(WaitForSingleObject(mutex, 0) == WAIT_FAILED, "wait on a closed handle");
}

}  // namespace
