#include "install/package_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "install/installer_run.h"
#include "install/package_search.h"
#include "platform/kernel/files.h"
#include "platform/kernel/registry.h"
#include "tests/install/install_fixture.h"

namespace {

using install_testing::InstallTest;
using install_testing::Pauses;

constexpr DWORD kRetryMs = 1000;

TEST_F(InstallTest, CopyWithRetryClearsReadOnlyCopiesAndStopsWhenTheSourceIsGone) {
  const char16_t* source = u"\\SD Card\\Installation\\Pelora_german_1.cab";
  const char16_t* destination = u"\\My Flash Disk\\Pelora_german_1.cab";
  auto noFlashDisk = [&] { std::filesystem::remove_all(m_device.Host("My Flash Disk")); };
  auto dropSource = [&] { std::filesystem::remove(m_device.Host("SD Card/Installation/Pelora_german_1.cab")); };
  auto readOnlyDestination = [&] {
    Lay("My Flash Disk/Pelora_german_1.cab", "old");
    SetFileAttributesW(destination, FILE_ATTRIBUTE_READONLY);
  };
  struct Row {
    const char* name;
    std::function<void()> setUp;
    std::function<void(std::size_t)> onPause;
    DWORD result;
    std::vector<DWORD> pauses;
  } rows[] = {
      {"plain copy", [] {}, nullptr, PACKAGE_SUCCESS, {}},
      {"read-only destination", readOnlyDestination, nullptr, PACKAGE_SUCCESS, Pauses({kRetryMs})},
      {"flash disk appears at the third pause", noFlashDisk,
       [&](std::size_t pause) {
         if (pause == 3) std::filesystem::create_directories(m_device.Host("My Flash Disk"));
       },
       PACKAGE_SUCCESS, Pauses({}, 3, kRetryMs)},
      {"flash disk never appears", noFlashDisk, nullptr, PACKAGE_FAILED, Pauses({}, 5, kRetryMs)},
      {"source missing", dropSource, nullptr, PACKAGE_NOT_FOUND, {}},
      {"source vanishes at the first pause", noFlashDisk, [&](std::size_t) { dropSource(); }, PACKAGE_NOT_FOUND,
       Pauses({kRetryMs})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    noFlashDisk();
    std::filesystem::create_directories(m_device.Host("My Flash Disk"));
    Lay("SD Card/Installation/Pelora_german_1.cab", "new");
    row.setUp();
    m_pauses.clear();
    m_onPause = row.onPause;
    EXPECT_EQ(CopyWithRetry(source, destination), row.result);
    EXPECT_EQ(m_pauses, row.pauses);
    if (row.result == PACKAGE_SUCCESS) {
      EXPECT_EQ(Read("My Flash Disk/Pelora_german_1.cab"), "new");
      EXPECT_EQ(GetFileAttributesW(destination) & FILE_ATTRIBUTE_READONLY, 0u);
    }
  }
  m_pauses.clear();
  EXPECT_EQ(CopyWithRetry(nullptr, destination), PACKAGE_FAILED);
  EXPECT_EQ(CopyWithRetry(source, u""), PACKAGE_FAILED);
  EXPECT_TRUE(m_pauses.empty());
}

TEST_F(InstallTest, CleanFlashPackagesDeletesTenOlderPackagesTheInstallerAndTheInstallKey) {
  std::vector<std::string> packages;
  for (char i = 'a'; i < 'a' + 12; ++i) packages.push_back(std::string("Pelora_german_") + i + ".cab");
  struct Row {
    const char* name;
    bool undeletableFirst;  // a folder named like a package, found first and never deleted
    std::size_t deleted;
  } rows[] = {{"twelve packages", false, 10}, {"an undeletable match uses up the passes", true, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all(m_device.Host("My Flash Disk"));
    for (const auto& package : packages) Lay("My Flash Disk/" + package);
    SetFileAttributesW(u"\\My Flash Disk\\Pelora_german_d.cab", FILE_ATTRIBUTE_READONLY);
    if (row.undeletableFirst) std::filesystem::create_directories(m_device.Host("My Flash Disk/Pelora_0.cab"));
    Lay("My Flash Disk/Setting.dat", "snapshot");
    Lay("My Flash Disk/autorunce.exe", "old installer");
    ASSERT_TRUE(kernel::RegistryCreateKey({HKEY_LOCAL_MACHINE, kInstallKey}));

    CleanFlashPackages();
    std::vector<std::string> left, expected(packages.begin() + static_cast<long>(row.deleted), packages.end());
    if (row.undeletableFirst) expected.insert(expected.begin(), "Pelora_0.cab");
    expected.push_back("Setting.dat");
    for (const auto& entry : std::filesystem::directory_iterator(m_device.Host("My Flash Disk"))) {
      left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, expected);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kInstallKey));
  }
}

TEST_F(InstallTest, CopyPackageToFlashCopiesTheInstallerThenThePackage) {
  const char16_t* folder = u"\\SD Card\\Installation";
  struct Row {
    const char* name;
    bool installer;
    const char16_t* folder;
    bool packageFound;
    DWORD result;
  } rows[] = {
      {"installer and package", true, folder, true, PACKAGE_SUCCESS},
      {"installer missing", false, folder, true, PACKAGE_NOT_FOUND},
      {"no folder", true, nullptr, true, PACKAGE_FAILED},
      {"no package found yet", true, folder, false, PACKAGE_FAILED},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all(m_device.Host("SD Card"));
    std::filesystem::remove_all(m_device.Host("My Flash Disk"));
    std::filesystem::create_directories(m_device.Host("My Flash Disk"));
    Lay("SD Card/Installation/Pelora_dutch_3.cab", "package");
    if (row.installer) Lay("SD Card/Installation/AUTORUNCE.EXE", "installer", true);
    ASSERT_EQ(FindPackage(folder, 1043), PACKAGE_SUCCESS);
    if (!row.packageFound) g_packageName[0] = g_packagePath[0] = u'\0';

    EXPECT_EQ(CopyPackageToFlash(row.folder), row.result);
    EXPECT_EQ(Exists("My Flash Disk/autorunce.exe"), row.result == PACKAGE_SUCCESS);
    EXPECT_EQ(Read("My Flash Disk/Pelora_dutch_3.cab"), row.result == PACKAGE_SUCCESS ? "package" : "");
  }
}

}  // namespace
