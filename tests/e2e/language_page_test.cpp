// The language page as a user works it, through the headless runner and devicectl: on its own
// ("-SelLang") it writes the language and the voice (that it installs nothing and then writes the
// snapshot is the page's and the program's own test; the golden images show the next start in
// German); from the main menu it runs the navigator's installer, whose failure shows its message
// and resets, and a missing package's message puts the previous language back.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;
using testing_support::ImagedRoot;
using testing_support::Utility;
namespace fs = std::filesystem;

const std::string kNls = "HKLM\\nls";
const std::string kVoice = "HKLM\\Software\\Tavix\\CurrentVoice";

TEST(LanguagePage, OnItsOwnWritesTheLanguageAndTheVoiceUnderTheProgramsTitle) {
  ImagedRoot root;
  // Dutch, English-UK, English-US, French, German, ...: two up from English-US is German.
  auto run = Utility(root, {"--headless", "--script", "-", "-SelLang"}, "dump\nkey UP\nkey UP\nkey ENTER\n");
  ASSERT_EQ(run.status, 0) << run.err;
  // Alone, the page carries the program's title.
  EXPECT_NE(run.out.find("\"type\":\"CLanguageDlg\",\"id\":0,\"text\":\"QuorvaneUtility\""), std::string::npos) << run.out;
  EXPECT_EQ(Devicectl(root, {"reg", "get", kNls, "DefaultLCID"}).out, "1031\n");
  EXPECT_EQ(Devicectl(root, {"reg", "get", kVoice, "VoiceID"}).out, "1031\n");
}

// A finished installation, in a window, is the wait cursor's run.
TEST(LanguagePage, FromTheMenuTheNavigatorsInstallerDecidesTheOutcome) {
  struct Row {
    const char* what;
    std::vector<std::string> setUp;  // a devicectl command, or nothing
    bool removePackage;
    const char* message;  // shown before the end
    bool resets;
    const char* languageAfter;
    const char* installedLanguage;  // the install key's, "" when the key is gone
  } rows[] = {
      {"the installer signals without installing", {"installer", "--behaviour", "signal-only"}, false,
       "Switch failed!\\nThe device will be reseted.", true, "1031\n", ""},
      {"no German package", {}, true, "Can't find Navigator files in SD card!", false, "1033\n", "english\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ImagedRoot root;
    if (!row.setUp.empty()) {
      ASSERT_EQ(Devicectl(root, row.setUp).status, 0);
    }
    if (row.removePackage) fs::remove(root.Path() / "Storage Card" / "Installation" / "Pelora_german_6.2.cab");
    // The menu's language button (Right to volume, Down to language), German, OK; the message;
    // Escape on the menu unless a reset ended the program.
    auto run = Utility(root, {"--headless", "--script", "-"},
                       "key RIGHT\nkey DOWN\nkey ENTER\nkey UP\nkey UP\nkey ENTER\ndump\nkey ENTER\nkey ESCAPE\n");
    // A device reset ends the program as a power cycle would.
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("\"text\":\"") + row.message + "\""), std::string::npos) << run.out;
    EXPECT_EQ(Devicectl(root, {"reset"}).out.find(" reset\n") != std::string::npos, row.resets);
    EXPECT_EQ(Devicectl(root, {"reg", "get", kNls, "DefaultLCID"}).out, row.languageAfter);
    EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\SOFTWARE\\Apps\\Tavix Pelora", "Language"}).out,
              row.installedLanguage);
  }
}

}  // namespace
