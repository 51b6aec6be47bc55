#include "install/package_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/kernel/wide_string.h"
#include "tests/install/install_fixture.h"

namespace {

using install_testing::InstallTest;

std::string Narrow(const WCHAR* text) { return kernel::WideToUtf8(kernel::WideView(text)); }

TEST_F(InstallTest, FindPackageSearchesWithTheLanguagesWordAndKeepsTheLastPackageOnFailure) {
  Lay("Storage Card/Installation/Pelora_english_2.1.cab");
  Lay("Storage Card/Installation/Pelora_german_2.1.cab");
  // 44 characters: the pattern for "english" no longer fits its buffer, the package path would.
  const std::u16string deep = u"\\Storage Card\\Installation\\Archive_123456789";
  ASSERT_EQ(deep.size(), 44u);
  Lay("Storage Card/Installation/Archive_123456789/Pelora_english.cab");
  const std::u16string card = u"\\Storage Card\\Installation";
  struct Row {
    const char16_t* folder;
    DWORD languageId;
    DWORD result;
    const char* name;  // the package found; null when the last one must stay
  } rows[] = {
      {card.c_str(), 1033, PACKAGE_SUCCESS, "Pelora_english_2.1.cab"},
      {card.c_str(), 1031, PACKAGE_SUCCESS, "Pelora_german_2.1.cab"},
      {card.c_str(), 2057, PACKAGE_SUCCESS, "Pelora_english_2.1.cab"},
      {card.c_str(), 1036, PACKAGE_NOT_FOUND, nullptr},  // french has a word but no package
      {u"\\Nowhere", 1031, PACKAGE_NOT_FOUND, nullptr},
      {card.c_str(), 1041, PACKAGE_FAILED, nullptr},  // Japanese has no package word
      {card.c_str(), 0, PACKAGE_FAILED, nullptr},
      {u"\\S", 1033, PACKAGE_FAILED, nullptr},
      {nullptr, 1033, PACKAGE_FAILED, nullptr},
      {deep.c_str(), 1033, PACKAGE_FAILED, nullptr},
  };
  std::string lastName, lastPath;
  for (const auto& row : rows) {
    SCOPED_TRACE(kernel::WideToUtf8(kernel::WideView(row.folder)) + " " + std::to_string(row.languageId));
    EXPECT_EQ(FindPackage(row.folder, row.languageId), row.result);
    if (row.name != nullptr) {
      lastName = row.name;
      lastPath = "\\Storage Card\\Installation\\" + lastName;
    }
    EXPECT_EQ(Narrow(g_packageName), lastName);
    EXPECT_EQ(Narrow(g_packagePath), lastPath);
  }
}

TEST_F(InstallTest, PackageNamesUpToTheLongestPathOfEachLayoutAreFoundAndLongerOnesFailCleanly) {
  EXPECT_FALSE(PackageLayoutFor(0));
  EXPECT_FALSE(PackageLayoutFor(7));
  struct Row {
    DWORD platformType;
    std::size_t nameLength;
    DWORD result;
  } rows[] = {{9, 36, PACKAGE_SUCCESS}, {9, 37, PACKAGE_FAILED}, {8, 41, PACKAGE_SUCCESS}, {8, 42, PACKAGE_FAILED}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.platformType) + " " + std::to_string(row.nameLength));
    auto layout = PackageLayoutFor(row.platformType);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->fromFlashDisk, row.platformType == 8);
    std::string folder = kernel::WideToUtf8(layout->folder);
    std::string hostFolder = folder.substr(1);
    std::replace(hostFolder.begin(), hostFolder.end(), '\\', '/');
    std::string name = "Pelora_english_" + std::string(row.nameLength - 19, '9') + ".cab";
    std::filesystem::remove_all(m_device.Host(hostFolder));
    Lay(hostFolder + "/" + name);
    std::string before = Narrow(g_packagePath);
    EXPECT_EQ(FindPackage(layout->folder, 2057), row.result);
    EXPECT_EQ(Narrow(g_packagePath), row.result == PACKAGE_SUCCESS ? folder + "\\" + name : before);
  }
}

}  // namespace
