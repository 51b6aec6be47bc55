// devicectl as a person or a test script uses it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "platform/kernel/device_store.h"
#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;
using testing_support::ImagedRoot;
using testing_support::ScratchRoot;
using testing_support::Words;

TEST(Devicectl, InitLaysTheDefaultImageOnce) {
  ScratchRoot root;
  auto first = Devicectl(root, {"init"});
  EXPECT_EQ(first.status, 0) << first.err;
  for (const char* folder : {"Windows", "My Flash Disk", "Storage Card/Installation/autorunce.exe",
                             "Storage Card/Installation/Pelora_english_6.2.cab", "SD Card", "registry.db"}) {
    EXPECT_TRUE(std::filesystem::exists(root.Path() / folder)) << folder;
  }
  // What the image holds shows in the golden images and the pages' end-to-end runs.

  auto again = Devicectl(root, {"init"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("already exists"), std::string::npos);
}

TEST(Devicectl, RegistryRoundTrips) {
  ImagedRoot root;
  EXPECT_EQ(Devicectl(root, {"reg", "set", "HKLM\\Software\\Test", "Count", "dword:0x10"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"reg", "set", "hklm\\software\\TEST", "Name", "sz:Grüße"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"reg", "set", "HKLM\\Software\\Test", "Blob", "binary:00ff10"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\Software\\Test", "count"}).out, "16\n");
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\Software\\Test"}).out,
            "Blob = binary:00ff10\nCount = dword:16\nName = sz:Grüße\n");

  auto exported = Devicectl(root, {"reg", "export", "HKLM\\Software\\Test"});
  ASSERT_EQ(exported.status, 0);
  EXPECT_EQ(Devicectl(root, {"reg", "delete", "HKLM\\Software\\Test"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\Software\\Test"}).status, 1);
  auto imported = Devicectl(root, {"reg", "import", "-"}, exported.out);
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(Devicectl(root, {"reg", "export", "HKLM\\Software\\Test"}).out, exported.out);

  EXPECT_EQ(Devicectl(root, {"reg", "delete", "HKLM\\Software\\Test", "Blob"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\Software\\Test", "Blob"}).status, 1);
}

// Bad input of every kind (words, a malformed or missing file, a folder for a file, names beyond
// the registry's limits) is status 2 with one line that shows at most 80 characters of the bad
// token, its control characters escaped.
TEST(Devicectl, BadInputGetsOneLineAndChangesNothing) {
  ImagedRoot root;
  std::string deep = "HKLM";
  for (int i = 0; i < 20000; ++i) deep += "\\k";
  const std::string kBad[] = {
      "reg import " + root.String(), "reg import " + root.String() + "/missing.reg", "reg set " + deep + " v dword:1",
      "reg set HKLM\\" + std::string(256, 'k') + " v dword:1",
      "reg set HKLM\\A " + std::string(16384, 'v') + " dword:1",
      "reg set HKLM\\nls DefaultLCID dword:4294967296", "reg set HKLM\\nls DefaultLCID word:1",
      "reg set HKXX\\nls DefaultLCID dword:1", "clock --set 10000-01-01T00:00:00", "clock --set 2026-02-30T10:00:00",
      "volume " + std::string(5000, '\x1b'), "volume 0x1FFFFFFFF", "backlight 0", "backlight 9", "backlight bright",
      "battery --ac maybe", "battery --percent 101", "frobnicate", "reset --fail yes", "installer --behaviour explode",
      "installer --seconds -1", "installer --seconds",
  };
  for (const std::string& line : kBad) {
    const auto words = Words(line);
    auto result = Devicectl(root, words);
    EXPECT_EQ(result.status, 2) << words[0];
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_LT(result.err.size(), 500u) << words[0];
    EXPECT_EQ(result.err.find('\x1b'), std::string::npos) << words[0];
  }
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\A"}).status, 1);
  // The backlight's range message names the levels it accepts, and it accepts both ends.
  EXPECT_NE(Devicectl(root, {"backlight", "0"}).err.find("from 1 to 8"), std::string::npos);
  for (const char* level : {"1", "8"}) EXPECT_EQ(Devicectl(root, {"backlight", level}).status, 0) << level;
  auto missing = Devicectl(root, {"reg", "get", "HKLM\\No\\Such\\Key"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "devicectl: no such key: HKLM\\No\\Such\\Key\n");

  // A file with one bad line is refused whole: the good line before it is not applied either.
  auto badFile = Devicectl(root, {"reg", "import", "-"},
                           "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\nls]\n\"DefaultLCID\"=dword:00000001\n\"Other\"=dword:xyz\n");
  EXPECT_EQ(badFile.status, 2);
  EXPECT_NE(badFile.err.find("line 5"), std::string::npos) << badFile.err;

  EXPECT_EQ(Devicectl(root, {"backlight"}).out, "8\n");
  EXPECT_EQ(Devicectl(root, {"battery"}).out, "ac on flag 1 percent 100 fail off\n");
  EXPECT_EQ(Devicectl(root, {"volume"}).out, "0x99999999\n");
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\nls", "DefaultLCID"}).out, "1033\n");
}

// A store that is not a device store stops both programs with its path and status 1; init --force
// moves it aside and lays the image's registry and state, keeping the device's files.
TEST(Devicectl, DamagedStoreIsReportedAndInitForceRepairsIt) {
  ImagedRoot root;
  ASSERT_EQ(Devicectl(root, {"backlight", "2"}).status, 0);
  std::filesystem::create_directories(root.Path() / "My Flash Disk" / "kept");
  std::filesystem::resize_file(root.Path() / "registry.db", 0);
  std::string store = (root.Path() / "registry.db").string();
  for (const auto& result : {Devicectl(root, {"backlight"}), Devicectl(root, {"init"}),
                             testing_support::Utility(root, {"--headless"})}) {
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find(store + " is damaged"), std::string::npos) << result.err;
  }
  auto repair = Devicectl(root, {"init", "--force"});
  EXPECT_EQ(repair.status, 0) << repair.err;
  EXPECT_EQ(Devicectl(root, {"backlight"}).out, "5\n");
  EXPECT_EQ(Devicectl(root, {"reg", "get", "HKLM\\nls", "DefaultLCID"}).out, "1033\n");
  EXPECT_TRUE(std::filesystem::exists(root.Path() / "My Flash Disk" / "kept"));
  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root.Path())) {
    if (entry.path().filename().string().starts_with("registry.db.damaged-")) {
      ++aside;
      EXPECT_EQ(std::filesystem::file_size(entry.path()), 0u);
    }
  }
  EXPECT_EQ(aside, 1);
}

TEST(Devicectl, HardwareStateAndLogs) {
  ImagedRoot root;
  // Each setting as it is set, then as it reads back.
  const std::tuple<const char*, const char*, const char*> kSettings[] = {
      {"backlight 8", "backlight", "8\n"},
      {"battery --ac off --flag 8 --percent 40 --fail", "battery", "ac off flag 8 percent 40 fail on\n"},
      {"battery --fail off", "battery", "ac off flag 8 percent 40 fail off\n"},
      {"volume 0x33333333", "volume", "0x33333333\n"},
      {"platform-type 8", "platform-type", "8\n"},
      {"reset --fail on", "reset", "fail on\n"},
      {"installer --behaviour signal-only", "installer", "behaviour signal-only seconds 2\n"},
      {"installer --seconds 30 --behaviour hang", "installer", "behaviour hang seconds 30\n"},
  };
  for (const auto& [set, get, shown] : kSettings) {
    EXPECT_EQ(Devicectl(root, Words(set)).status, 0) << set;
    EXPECT_EQ(Devicectl(root, {get}).out, shown) << set;
  }
  ASSERT_EQ(Devicectl(root, {"clock", "--set", "2026-07-04T09:30:00"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"clock"}).out.substr(0, 16), "2026-07-04T09:30");  // the clock runs on in real time
  // Platform type 8 installs from the SD card, which now holds the installer and the packages.
  for (const char* file : {"autorunce.exe", "Pelora_german_6.2.cab", "Pelora_dutch_6.2.cab"}) {
    EXPECT_TRUE(std::filesystem::exists(root.Path() / "SD Card/Installation" / file)) << file;
  }
  EXPECT_EQ(Devicectl(root, {"store-block", "--bytes", "20"}).out,
            "00000000  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  |................|\n"
            "00000010  00 00 00 00                                      |....|\n");
  EXPECT_EQ(Devicectl(root, {"power"}).out, "state on timeout 0 reloads 0\n");  // no power manager ran
  {
    // A sound logged before the store kept the volume word shows without one.
    kernel::DeviceStore store(root.Path() / "registry.db");
    store.AppendSoundLog({4, 1153, 51, 0x12345678, 0x80008000});
    store.AppendSoundLog({5, 1153, 51, 0x12345678, std::nullopt});
  }
  EXPECT_EQ(Devicectl(root, {"sounds"}).out,
            "sound 1153 bytes 51 ms flags 4 checksum 0x12345678 volume 0x80008000\n"
            "sound 1153 bytes 51 ms flags 5 checksum 0x12345678\n");
  EXPECT_EQ(Devicectl(root, {"power", "--on"}).status, 2);
  EXPECT_EQ(Devicectl(root, {"event", "EVENT_HOLD_BATT_WARNING"}).out, "absent\n");
  EXPECT_EQ(Devicectl(root, {"event", "EVENT_HOLD_BATT_WARNING", "--set"}).status, 1);
  EXPECT_EQ(Devicectl(root, {"event", "SetupFinishedEvent", "--wait", "10"}).status, 1);
}

TEST(Devicectl, TouchPanelWearAndWhereATapLands) {
  ImagedRoot root;
  EXPECT_EQ(Devicectl(root, {"touch", "--at", "160,120"}).out,
            "offset 0,0 scale 1.000,1.000\nat 160,120 raw 2047,2049 screen 160,120\n");
  ASSERT_EQ(Devicectl(root, {"touch", "--offset", "12,-9", "--scale", "1.05,0.9"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"touch", "--scale", "1,1", "--at", "100,100"}).out,
            "offset 12,-9 scale 1.000,1.000\nat 100,100 raw 2623,2513 screen 112,91\n");
  // Bad numbers change nothing.
  for (const char* bad : {"--offset=1", "--offset 321,0", "--offset 1", "--scale 0.4,1", "--scale 1.0001,1",
                          "--scale 1,x", "--at 320,0", "--at -1,5", "--offset 2,2 --at 5"}) {
    auto run = Devicectl(root, Words(std::string("touch ") + bad));
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_EQ(Devicectl(root, {"touch"}).out, "offset 12,-9 scale 1.000,1.000\n");
  ASSERT_EQ(Devicectl(root, {"init", "--force"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"touch"}).out, "offset 0,0 scale 1.000,1.000\n");
}

}  // namespace
