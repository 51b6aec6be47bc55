#include "install/installer_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "device/default_image.h"
#include "device/installer/installer_settings.h"
#include "install/package_search.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/device_programs.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/hardware.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"
#include "tests/install/install_fixture.h"

namespace {

using install_testing::InstallTest;
namespace fs = std::filesystem;

constexpr DWORD kGerman = 1031;
const char* kPackage = "Pelora_german_6.2.cab";
constexpr long long kRealTimeBoundMs = 20000;

// The navigator's real installer and packages on a scratch device whose system language is German,
// on the virtual clock a headless run keeps: the installer lives in this process's time, so each
// run takes the device time it would take on a device, in far less real time (bench/ measures it).
class InstallerRunTest : public InstallTest {
 protected:
  InstallerRunTest() {
    kernel::SetClockSource(kernel::MakeVirtualClock(testing_support::kTestStartUtcMs));
    kernel::RegistrySetValue({HKEY_LOCAL_MACHINE, u"nls"}, {u"DefaultLCID", REG_DWORD, {0x07, 0x04, 0, 0}});
  }
  ~InstallerRunTest() override { kernel::EndDevicePrograms(); }

  void SetInstaller(device::InstallerBehaviour behaviour, int seconds) {
    auto& store = m_device.Device().Store();
    store.SetInt(kernel::state::kInstallerBehaviour, static_cast<std::int64_t>(behaviour));
    store.SetInt(kernel::state::kInstallerSeconds, seconds);
  }
  std::string InstalledValue(const char16_t* name) {
    auto value = kernel::RegistryGetValue({HKEY_LOCAL_MACHINE, kInstallKey}, name);
    if (!value) return "";
    std::string text;
    for (std::size_t i = 0; i + 1 < value->data.size() && value->data[i] != 0; i += 2) text.push_back(char(value->data[i]));
    return text;
  }
};

TEST_F(InstallerRunTest, OnlyTheInstallKeyEndsTheWaitAndEachBehaviourTakesItsDeviceTime) {
  using B = device::InstallerBehaviour;
  const DWORD kStart = kInstallerStartPauseMs, kTry = kInstallerAttemptMs, kAll = kInstallerAttempts * kTry;
  struct Row {
    const char* name;
    B behaviour;
    int seconds;
    bool installed;
    DWORD deviceMs;  // device time from the start to the end of the wait
    // "flash disk": installs from there; "no event": a mutex holds the event's name, so neither side
    // can make the event; "damage": the package is damaged; "no installer", "no package", "not runnable".
    std::string change = "";
  } rows[] = {
      // The installer's 2 s of work end within the first pause; its signal is waiting at the first attempt.
      {"finish", B::kFinish, 2, true, kStart},
      // Its signal ends the first attempt early, at the moment the installation is done.
      {"finish after 4 s", B::kFinish, 4, true, 4000},
      {"finish, no event", B::kFinish, 2, true, kInstallerStartPauseNoEventMs + kTry, "no event"},
      {"finish from the flash disk", B::kFinish, 2, true, kStart, "flash disk"},
      // A signal without the key ends one attempt; the other 29 run their full time.
      {"signal only", B::kSignalOnly, 2, false, kStart + kAll - kTry},
      {"no key", B::kNoKey, 2, false, kStart + kAll},
      {"crash", B::kCrash, 2, false, kStart + kAll},
      {"hang", B::kHang, 2, false, kStart + kAll},
      {"damaged package", B::kFinish, 2, false, kStart + kAll, "damage"},
      // Without the installer or the package, or when it cannot run, nothing is waited for.
      {"no installer", B::kFinish, 2, false, 0, "no installer"},
      {"no package", B::kFinish, 2, false, 0, "no package"},
      {"installer cannot run", B::kFinish, 2, false, 0, "not runnable"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kInstallKey);
    for (const char* folder : {"Storage Card", "My Flash Disk", "Program Files"}) fs::remove_all(m_device.Host(folder));
    const bool fromFlashDisk = row.change == "flash disk";
    const std::string folder = fromFlashDisk ? "My Flash Disk/" : "Storage Card/Installation/";
    device::LayInstallationFolder("Storage Card/Installation");
    if (fromFlashDisk) device::LayInstallationFolder("My Flash Disk");
    ASSERT_EQ(FindPackage(PackageLayoutFor(9)->folder, kGerman), PACKAGE_SUCCESS);
    if (row.change == "damage") {
      std::fstream cab(m_device.Host(folder + kPackage), std::ios::in | std::ios::out | std::ios::binary);
      cab.seekp(-40, std::ios::end);
      cab.put('\xA5');
    }
    if (row.change == "no installer") fs::remove(m_device.Host(folder + "autorunce.exe"));
    if (row.change == "no package") fs::remove(m_device.Host(folder + kPackage));
    if (row.change == "not runnable") fs::permissions(m_device.Host(folder + "autorunce.exe"), fs::perms::owner_read);
    SetInstaller(row.behaviour, row.seconds);
    HANDLE held = row.change == "no event" ? CreateMutexW(nullptr, FALSE, kSetupFinishedEvent) : nullptr;

    DWORD start = GetTickCount();
    auto realStart = std::chrono::steady_clock::now();
    EXPECT_EQ(RunInstallerAndWait(fromFlashDisk), row.installed);
    // Waiting in real time would take the device time itself (up to a minute); virtual time takes
    // milliseconds. The bound is loose so that a loaded or sanitized build never trips it.
    EXPECT_EQ(GetTickCount() - start, row.deviceMs);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::milliseconds(kRealTimeBoundMs));
    if (row.installed) {
      EXPECT_EQ(InstalledValue(u"Language"), "german");
      EXPECT_EQ(InstalledValue(u"Version"), "6.2");
      EXPECT_TRUE(fs::exists(m_device.Host("Program Files/Pelora/texts.lng")));
    }
    if (held != nullptr) CloseHandle(held);
    kernel::EndDevicePrograms();
  }
}

// The calling thread's children as the host lists them, zombies included.
std::string Children() {
  return testing_support::ReadText("/proc/self/task/" + std::to_string(::gettid()) + "/children");
}

TEST_F(InstallerRunTest, ADeviceResetEndsAHungInstaller) {
  device::LayInstallationFolder("Storage Card/Installation");
  ASSERT_EQ(FindPackage(PackageLayoutFor(9)->folder, kGerman), PACKAGE_SUCCESS);
  SetInstaller(device::InstallerBehaviour::kHang, 2);
  std::string before = Children();
  EXPECT_FALSE(RunInstallerAndWait(false));
  EXPECT_NE(Children(), before) << "the hung installer still runs";
  bool restarted = false;
  kernel::SetResetHandler([&] { restarted = true; });
  EXPECT_TRUE(KernelIoControl(IOCTL_HAL_RESET_DEVICE, nullptr, 0, nullptr, 0, nullptr));
  kernel::SetResetHandler(nullptr);
  EXPECT_TRUE(restarted);
  EXPECT_EQ(Children(), before);
}

}  // namespace
