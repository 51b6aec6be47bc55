// The language page as a user works it, through the headless runner and devicectl: on its own
// ("-SelLang") it writes the language without installing and then the settings snapshot, and the
// next start speaks the new language; from the main menu it runs the navigator's installer, and one
// that ends without installing is followed by the failure message and the device reset.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/device_fixture.h"
#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;
using testing_support::ScratchRoot;
using testing_support::Utility;
namespace fs = std::filesystem;

const std::string kNls = "HKLM\\nls";
const std::string kVoice = "HKLM\\Software\\Tavix\\CurrentVoice";

TEST(LanguagePage, OnItsOwnWritesWithoutInstallingThenTheSnapshotAndTheNextStartSpeaksIt) {
  ScratchRoot root;
  ASSERT_EQ(Devicectl(root, {"init"}).status, 0);
  // Dutch, English-UK, English-US, French, German, ...: two up from English-US is German.
  auto run = Utility(root, {"--headless", "--script", "-", "-SelLang"}, "dump\nkey UP\nkey UP\nkey ENTER\n");
  ASSERT_EQ(run.status, 0) << run.err;
  // Alone, the page carries the program's title.
  EXPECT_NE(run.out.find("\"type\":\"CLanguageDlg\",\"id\":0,\"text\":\"QuorvaneUtility\""), std::string::npos) << run.out;
  EXPECT_EQ(Devicectl(root, {"reg", "get", kNls, "DefaultLCID"}).out, "1031\n");
  EXPECT_EQ(Devicectl(root, {"reg", "get", kVoice, "VoiceID"}).out, "1031\n");
  // Nothing installed: the install key of the image is still there and no installer ran.
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\SOFTWARE\\Apps\\Tavix Pelora", "Language"}).out, "english\n");
  EXPECT_EQ(Devicectl(root, {"reset"}).out, "fail off\n");
  EXPECT_EQ(testing_support::ReadHostFile(root.Path() / "My Flash Disk" / "Setting.dat").size(), 18u);

  auto next = Utility(root, {"--headless", "--script", "-"}, "dump\nkey ESCAPE\n");
  ASSERT_EQ(next.status, 0) << next.err;
  EXPECT_NE(next.out.find("\"text\":\"Beleuchtung\""), std::string::npos) << next.out;
}

TEST(LanguagePage, FromTheMenuAnInstallerThatEndsWithoutInstallingLeadsToTheMessageAndTheReset) {
  ScratchRoot root;
  ASSERT_EQ(Devicectl(root, {"init"}).status, 0);
  const fs::path folder = root.Path() / "Storage Card" / "Installation";
  fs::create_directories(folder);
  std::ofstream(folder / "Pelora_german_1.cab") << "cab";
  std::ofstream(folder / "autorunce.exe") << "#!/bin/sh\nexit 0\n";
  fs::permissions(folder / "autorunce.exe", fs::perms::owner_exec, fs::perm_options::add);
  // The menu's language button (Right to volume, Down to language), German, OK; then the message.
  auto run = Utility(root, {"--headless", "--script", "-"},
                     "key RIGHT\nkey DOWN\nkey ENTER\nkey UP\nkey UP\nkey ENTER\ndump\nkey ENTER\n");
  // The device reset ends the program as a power cycle would.
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"text\":\"Switch failed!\\nThe device will be reseted.\""), std::string::npos) << run.out;
  EXPECT_NE(Devicectl(root, {"reset"}).out.find(" reset\n"), std::string::npos);
  // The reset came before the previous language could be written back; the key was deleted.
  EXPECT_EQ(Devicectl(root, {"reg", "get", kNls, "DefaultLCID"}).out, "1031\n");
  EXPECT_NE(Devicectl(root, {"reg", "get", "HKLM\\SOFTWARE\\Apps\\Tavix Pelora"}).status, 0);
}

}  // namespace
