#include "platform/kernel/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/kernel/clock.h"
#include "platform/kernel/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/resources.h"
#include "platform/kernel/sync_objects.h"
#include "platform/kernel/wide_string.h"
#include "tests/support/test_device.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TestDevice;

void WriteHost(const fs::path& file, const std::string& text, bool runnable = false) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
  if (runnable) fs::permissions(file, fs::perms::owner_exec, fs::perm_options::add);
}

std::string ReadHost(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

BOOL Start(LPCWSTR program, PROCESS_INFORMATION* info) {
  std::u16string commandLine = u"-ignored";
  return CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, info);
}

// The calling thread's children as the host lists them, zombies included.
std::string Children() { return ReadHost("/proc/self/task/" + std::to_string(::gettid()) + "/children"); }

TEST(ProcessTest, StartsTheProgramInTheDeviceWithItsEnvironmentAndReadsItsExitCode) {
  TestDevice device;
  kernel::SetClockSource(kernel::MakeRealClock());  // the child runs in real time
  WriteHost(device.Host("My Flash Disk/autorunce.exe"),
            "#!/bin/sh\necho \"$QUORVANE_DEVICE|$(pwd)|$#|$INHERITED_MARK\" > ran.txt\nexit 7\n", true);
  ::setenv("QUORVANE_DEVICE", "/somewhere/else", 1);
  ::setenv("INHERITED_MARK", "kept", 1);

  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(u"\\my flash disk\\AUTORUNCE.EXE", &info));
  ASSERT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 7u);
  std::string root = device.Root().string();
  EXPECT_EQ(ReadHost(device.Host("ran.txt")), root + "|" + root + "|0|kept\n");
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));
  ::unsetenv("QUORVANE_DEVICE");
  ::unsetenv("INHERITED_MARK");
}

TEST(ProcessTest, ARunningChildNeitherBlocksNorInheritsAndNothingIsLeftOnceItsHandlesClose) {
  TestDevice device;
  WriteHost(device.Host("My Flash Disk/autorunce.exe"), "#!/bin/sh\nexec sleep 30\n", true);
  WriteHost(device.Host("My Flash Disk/Setting.dat"), "x");
  WriteHost(device.Host("My Flash Disk/plain.exe"), "#!/bin/sh\nexit 0\n");
  WriteHost(device.Host("My Flash Disk/garbage.exe"), std::string("MZ\x90\0\3\0\0\0", 8), true);
  WriteHost(device.Host("My Flash Disk/nointerp.exe"), "#!/nonexistent/interpreter\n", true);
  std::string childrenBefore = Children();
  HANDLE file = CreateFileW(u"\\My Flash Disk\\Setting.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(u"\\My Flash Disk\\autorunce.exe", &info));
  auto pid = static_cast<pid_t>(info.dwProcessId);
  // The open file was not handed to the child: once closed here it can be opened again.
  CloseHandle(file);
  file = CreateFileW(u"\\My Flash Disk\\Setting.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  DWORD before = GetTickCount();
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 66000), WAIT_TIMEOUT);
  // A shell script never joins this process's time: once its 2 s to join are over, the whole
  // time-out passes at once.
  EXPECT_EQ(GetTickCount() - before, 66000u);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  siginfo_t ended{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOWAIT), 0);  // a zombie, not yet collected

  // Programs that cannot run fail and leave nothing running; any start collects closed children.
  EXPECT_FALSE(Start(u"\\My Flash Disk\\missing.exe", &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  for (LPCWSTR program : {u"\\My Flash Disk\\plain.exe", u"\\My Flash Disk\\garbage.exe",
                          u"\\My Flash Disk\\nointerp.exe", u"\\My Flash Disk"}) {
    EXPECT_FALSE(Start(program, &info)) << kernel::WideToUtf8(program);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT) << kernel::WideToUtf8(program);
  }
  EXPECT_EQ(Children(), childrenBefore);
}

TEST(ProcessTest, ModuleFileNameFollowsTheTruncationRules) {
  WCHAR buffer[MAX_PATH];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, 21), 20u);  // the program module by handle too
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 21), 20u);  // exactly room for the terminator
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(std::u16string(buffer), u"\\Windows\\Utility.exe");
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 20), 20u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buffer), u"\\Windows\\Utility.ex");
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 5), 5u);
  EXPECT_EQ(std::u16string(buffer), u"\\Win");
  EXPECT_EQ(buffer[5], u'#') << "nothing written past the given size";
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace
