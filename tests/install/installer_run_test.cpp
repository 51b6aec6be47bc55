#include "install/installer_run.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "install/package_search.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"
#include "tests/install/install_fixture.h"

namespace {

using install_testing::InstallTest;
using install_testing::Pauses;
namespace fs = std::filesystem;

// The installers of these tests are small shell programs that change the device through devicectl
// and then report on a pipe in the device root. The first pause waits for that report, so the
// installer has done all it will do before the first look at the key, as on a device where it
// runs while the utility pauses.
class InstallerRunTest : public InstallTest {
 protected:
  InstallerRunTest() {
    // The registry exists before the installer's devicectl opens the device.
    kernel::RegistryCreateKey({HKEY_LOCAL_MACHINE, u"SOFTWARE\\Apps"});
    // Held for writing too, so an installer's report never blocks and the pipe never reads as
    // closed between installers.
    auto pipe = m_device.Host("installer.pipe");
    if (::mkfifo(pipe.c_str(), 0600) == 0) m_pipe = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
  }
  ~InstallerRunTest() override {
    if (m_pipe >= 0) ::close(m_pipe);
  }

  // Lays the installer "autorunce.exe" that runs the given devicectl commands, and reports.
  void LayInstaller(const std::string& folder, const std::vector<std::string>& commands) {
    std::string text = "#!/bin/sh\n";
    for (const auto& command : commands) {
      text += "'" QUORVANE_DEVICECTL_BIN "' --device \"$QUORVANE_DEVICE\" " + command + " >/dev/null\n";
    }
    Lay(folder + "autorunce.exe", text + "echo ended > installer.pipe\n", true);
  }

  // Waits (in real time, bounded) until the installer has reported its end.
  void AwaitInstallerAtFirstPause() {
    m_onPause = [this](std::size_t pause) {
      if (pause != 1) return;
      pollfd ready{m_pipe, POLLIN, 0};
      char line[8];
      ASSERT_EQ(::poll(&ready, 1, 20000), 1) << "the installer did not report";
      EXPECT_GT(::read(m_pipe, line, sizeof line), 0);
    };
  }

  int m_pipe = -1;
};

const std::string kCreateKey = "reg set 'HKLM\\SOFTWARE\\Apps\\Tavix Pelora' Version dword:1";
const std::string kSignal = "event SetupFinishedEvent --set";

TEST_F(InstallerRunTest, OnlyTheInstallKeyEndsTheWaitAndEveryAttemptIsCounted) {
  ASSERT_GE(m_pipe, 0);
  const DWORD kStart = kInstallerStartPauseMs, kNoEvent = kInstallerStartPauseNoEventMs, kTry = kInstallerAttemptMs;
  struct Row {
    const char* name;
    std::vector<std::string> installer;
    bool event, installed;  // event false: a mutex holds the event's name, so the event cannot be made
    std::vector<DWORD> pauses;
    bool fromFlashDisk = false;
    const char* missing = "";  // "autorunce.exe" or the package: that file is removed first
    bool runnable = true;
  } rows[] = {
      {"creates the key", {kCreateKey}, true, true, {kStart, kTry}},
      {"creates the key, no event", {kCreateKey}, false, true, {kNoEvent, kTry}},
      {"creates the key and signals", {kCreateKey, kSignal}, true, true, {kStart}},
      // The signal ends the first attempt at once; the other 29 run their full time.
      {"signals only", {kSignal}, true, false, Pauses({kStart}, 29, kTry)},
      {"does nothing, no event", {}, false, false, Pauses({kNoEvent}, 30, kTry)},
      {"from the flash disk", {kCreateKey}, true, true, {kStart, kTry}, true},
      // Without the installer or the package, or when it cannot run, nothing is waited for.
      {"no installer", {kCreateKey}, true, false, {}, false, "autorunce.exe"},
      {"no package", {kCreateKey}, true, false, {}, false, "Pelora_english_5.cab"},
      {"installer cannot run", {kCreateKey}, true, false, {}, false, "", false},
  };
  Lay("Storage Card/Installation/Pelora_english_5.cab");
  ASSERT_EQ(FindPackage(PackageLayoutFor(9)->folder, 1033), PACKAGE_SUCCESS);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kInstallKey);
    fs::remove_all(m_device.Host(row.fromFlashDisk ? "Storage Card" : "My Flash Disk"));
    std::string folder = row.fromFlashDisk ? "My Flash Disk/" : "Storage Card/Installation/";
    Lay(folder + "Pelora_english_5.cab");
    LayInstaller(folder, row.installer);
    if (*row.missing) fs::remove(m_device.Host(folder + row.missing));
    if (!row.runnable) fs::permissions(m_device.Host(folder + "autorunce.exe"), fs::perms::owner_read);
    // The test holds the event (or its name) so that the installer's devicectl can reach it.
    HANDLE held = row.event ? CreateEventW(nullptr, FALSE, FALSE, kSetupFinishedEvent)
                            : CreateMutexW(nullptr, FALSE, kSetupFinishedEvent);
    m_pauses.clear();
    AwaitInstallerAtFirstPause();
    EXPECT_EQ(RunInstallerAndWait(row.fromFlashDisk), row.installed);
    EXPECT_EQ(m_pauses, row.pauses);
    CloseHandle(held);
  }
}

}  // namespace
