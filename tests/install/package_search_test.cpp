#include "install/package_search.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/wide_string.h"
#include "tests/install/install_fixture.h"

namespace {

using install_testing::InstallTest;

std::string Narrow(const WCHAR* text) { return kernel::WideToUtf8(kernel::WideView(text)); }

// Each row searches after the ones above it: a failed search keeps the package found last. The
// 64-character buffers hold a pattern for a 44-character folder, and names of 36 characters on the
// storage card and 41 on the SD card, no more.
TEST_F(InstallTest, FindPackageSearchesWithTheLanguagesWordAndKeepsTheLastPackageOnFailure) {
  const std::string card = "Storage Card/Installation/", sd = "SD Card/Installation/";
  const std::string deep = card + "Archive_123456789";  // 44 characters on the device
  for (const char* name : {"Pelora_english_2.1.cab", "Pelora_german_2.1.cab"}) Lay(card + name);
  Lay(deep + "/Pelora_english.cab");
  Lay(card + "x/Pelora_english_" + std::string(15, '9') + ".cab");
  Lay(card + "y/Pelora_english_" + std::string(16, '9') + ".cab");
  Lay(sd + "Pelora_english_" + std::string(22, '9') + ".cab");
  Lay(sd + "y/Pelora_english_" + std::string(21, '9') + ".cab");
  struct Row {
    std::string folder;  // "" for none
    DWORD languageId, result;
    std::string found;  // the path found, or "" when the last one must stay
  } rows[] = {
      {card, 1033, PACKAGE_SUCCESS, card + "Pelora_english_2.1.cab"},
      {card, 1031, PACKAGE_SUCCESS, card + "Pelora_german_2.1.cab"},
      {card, 2057, PACKAGE_SUCCESS, card + "Pelora_english_2.1.cab"},
      {card, 1036, PACKAGE_NOT_FOUND, ""},  // french has a word but no package
      {"Nowhere/", 1031, PACKAGE_NOT_FOUND, ""},
      {card, 1041, PACKAGE_FAILED, ""},  // Japanese has no package word
      {card, 0, PACKAGE_FAILED, ""},
      {"S/", 1033, PACKAGE_FAILED, ""},
      {"", 1033, PACKAGE_FAILED, ""},
      {deep + "/", 1033, PACKAGE_FAILED, ""},
      {card + "x/", 1033, PACKAGE_SUCCESS, card + "x/Pelora_english_" + std::string(15, '9') + ".cab"},
      {card + "y/", 1033, PACKAGE_FAILED, ""},
      {sd, 2057, PACKAGE_SUCCESS, sd + "Pelora_english_" + std::string(22, '9') + ".cab"},
      {sd + "y/", 2057, PACKAGE_FAILED, ""},
  };
  std::string last;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.folder + " " + std::to_string(row.languageId));
    std::u16string folder = kernel::Utf8ToWide("\\" + row.folder.substr(0, row.folder.size() - 1));
    for (auto& c : folder) c = c == u'/' ? u'\\' : c;
    EXPECT_EQ(FindPackage(row.folder.empty() ? nullptr : folder.c_str(), row.languageId), row.result);
    if (!row.found.empty()) last = "\\" + row.found;
    for (auto& c : last) c = c == '/' ? '\\' : c;
    EXPECT_EQ(Narrow(g_packagePath), last);
    EXPECT_EQ(Narrow(g_packageName), last.substr(last.rfind('\\') + 1));
  }
}

}  // namespace
