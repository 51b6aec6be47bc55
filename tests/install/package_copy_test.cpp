#include "install/package_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "install/installer_run.h"
#include "install/package_search.h"
#include "platform/kernel/files.h"
#include "platform/kernel/registry.h"
#include "tests/install/install_fixture.h"

namespace {

using install_testing::InstallTest;
namespace fs = std::filesystem;

constexpr DWORD kRetryMs = 1000;

// A failed copy is tried again five times, one second apart: a read-only copy in the way is
// cleared, a missing flash disk may appear, a source that has gone ends the retries.
TEST_F(InstallTest, CopyWithRetryClearsReadOnlyCopiesAndStopsWhenTheSourceIsGone) {
  const char16_t* source = u"\\SD Card\\Pelora_german_1.cab";
  const char16_t* destination = u"\\My Flash Disk\\Pelora_german_1.cab";
  auto dropSource = [&] { fs::remove(m_device.Host("SD Card/Pelora_german_1.cab")); };
  auto flashDiskAtThirdPause = [&](std::size_t pause) {
    if (pause == 3) fs::create_directories(m_device.Host("My Flash Disk"));
  };
  struct Row {
    const char* name;
    bool readOnlyCopy, flashDisk, source;
    std::function<void(std::size_t)> onPause;
    DWORD result;
    std::vector<DWORD> pauses;
  } rows[] = {
      {"plain copy", false, true, true, nullptr, PACKAGE_SUCCESS, {}},
      {"read-only destination", true, true, true, nullptr, PACKAGE_SUCCESS, {kRetryMs}},
      {"flash disk appears later", false, false, true, flashDiskAtThirdPause, PACKAGE_SUCCESS, std::vector<DWORD>(3, kRetryMs)},
      {"flash disk never appears", false, false, true, nullptr, PACKAGE_FAILED, std::vector<DWORD>(5, kRetryMs)},
      {"source missing", false, true, false, nullptr, PACKAGE_NOT_FOUND, {}},
      {"source vanishes at the first pause", false, false, true, [&](std::size_t) { dropSource(); },
       PACKAGE_NOT_FOUND, {kRetryMs}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(m_device.Host("My Flash Disk"));
    if (row.flashDisk) fs::create_directories(m_device.Host("My Flash Disk"));
    if (row.readOnlyCopy) Lay("My Flash Disk/Pelora_german_1.cab", "old");
    SetFileAttributesW(destination, FILE_ATTRIBUTE_READONLY);
    Lay("SD Card/Pelora_german_1.cab", "new");
    if (!row.source) dropSource();
    m_pauses.clear();
    m_onPause = row.onPause;
    EXPECT_EQ(CopyWithRetry(source, destination), row.result);
    EXPECT_EQ(m_pauses, row.pauses);
    EXPECT_EQ(Read("My Flash Disk/Pelora_german_1.cab"), row.result == PACKAGE_SUCCESS ? "new" : "");
  }
  EXPECT_EQ(CopyWithRetry(nullptr, destination), PACKAGE_FAILED);
  EXPECT_EQ(CopyWithRetry(source, u""), PACKAGE_FAILED);
}

// Ten passes delete one package each, read-only or not; a match that cannot be deleted (a folder)
// uses them all up. The installer copy and the install key go either way, other files stay.
TEST_F(InstallTest, CleanFlashPackagesDeletesTenOlderPackagesTheInstallerAndTheInstallKey) {
  for (bool undeletableFirst : {false, true}) {
    SCOPED_TRACE(undeletableFirst);
    fs::remove_all(m_device.Host("My Flash Disk"));
    std::set<std::string> expected = {"Setting.dat"};
    for (char i = 'a'; i < 'a' + 12; ++i) {
      Lay(std::string("My Flash Disk/Pelora_german_") + i + ".cab");
      if (undeletableFirst || i >= 'a' + 10) expected.insert(std::string("Pelora_german_") + i + ".cab");
    }
    SetFileAttributesW(u"\\My Flash Disk\\Pelora_german_d.cab", FILE_ATTRIBUTE_READONLY);
    if (undeletableFirst) fs::create_directories(m_device.Host("My Flash Disk/Pelora_0.cab"));
    if (undeletableFirst) expected.insert("Pelora_0.cab");
    Lay("My Flash Disk/Setting.dat");
    Lay("My Flash Disk/autorunce.exe");
    ASSERT_TRUE(kernel::RegistryCreateKey({HKEY_LOCAL_MACHINE, kInstallKey}));
    CleanFlashPackages();
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_device.Host("My Flash Disk"))) {
      left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, expected);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kInstallKey));
  }
}

TEST_F(InstallTest, CopyPackageToFlashCopiesTheInstallerThenThePackage) {
  const char16_t* folder = u"\\SD Card\\Installation";
  struct Row { const char* name; bool installer; const char16_t* folder; bool packageFound; DWORD result; } rows[] = {
      {"installer and package", true, folder, true, PACKAGE_SUCCESS},
      {"installer missing", false, folder, true, PACKAGE_NOT_FOUND},
      {"no folder", true, nullptr, true, PACKAGE_FAILED},
      {"no package found yet", true, folder, false, PACKAGE_FAILED},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(m_device.Host("SD Card"));
    fs::remove_all(m_device.Host("My Flash Disk"));
    fs::create_directories(m_device.Host("My Flash Disk"));
    Lay("SD Card/Installation/Pelora_dutch_3.cab", "package");
    if (row.installer) Lay("SD Card/Installation/AUTORUNCE.EXE", "installer", true);
    ASSERT_EQ(FindPackage(folder, 1043), PACKAGE_SUCCESS);
    if (!row.packageFound) g_packageName[0] = g_packagePath[0] = u'\0';
    EXPECT_EQ(CopyPackageToFlash(row.folder), row.result);
    EXPECT_EQ(Read("My Flash Disk/autorunce.exe"), row.result == PACKAGE_SUCCESS ? "installer" : "");
    EXPECT_EQ(Read("My Flash Disk/Pelora_dutch_3.cab"), row.result == PACKAGE_SUCCESS ? "package" : "");
  }
}

}  // namespace
