#include "app/utility_app.h"

#include <gtest/gtest.h>

#include "screens/battery_hold.h"
#include "app/language_module.h"
#include "app/settings_snapshot.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"
#include "res/resource.h"
#include "tests/support/device_fixture.h"

namespace {

using testing_support::WriteHostFile;

HWND const kForeground = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1234));

// Whether some program holds the single-instance mutex.
bool MutexTaken() {
  HANDLE probe = CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
  bool taken = GetLastError() == ERROR_ALREADY_EXISTS;
  CloseHandle(probe);
  return taken;
}

// Records what start-up asked of the window system, and what held while each screen ran.
class RecordingHost final : public CScreenHost {
 public:
  struct Run { ScreenRequest request; bool mutexHeld, languageModuleLoaded; };

  HWND ForegroundWindow() override {
    ++foregroundLookups;
    return kForeground;
  }
  void RunScreen(CUtilityApp&, const ScreenRequest& request) override {
    runs.push_back({request, MutexTaken(), LanguageModule != nullptr});
  }

  int foregroundLookups = 0;
  std::vector<Run> runs;
};

class UtilityAppTest : public ::testing::Test {
 protected:
  int Start(const std::u16string& commandLine) {
    host.runs.clear();
    host.foregroundLookups = 0;
    CUtilityApp app(host);
    return AfxWinMain(app, commandLine);
  }
  std::filesystem::path Snapshot() const { return device.Host("My Flash Disk/Setting.dat"); }
  std::int64_t Backlight() { return device.Device().Store().GetInt(kernel::state::kBacklight).value_or(-1); }

  testing_support::ImagedDevice device;
  RecordingHost host;
};

// Each mode runs its screen once, with its owner and the mutex where it needs one; only the
// language page on its own writes the snapshot (its contents are the snapshot test's).
TEST_F(UtilityAppTest, EachModeRunsItsScreenWithTheRightOwnerAndMutex) {
  const struct { std::u16string commandLine; UtilityScreen screen; UINT textId; bool owned, mutex; } kCases[] = {
      {u"", UtilityScreen::MainMenu, 0, false, true},
      {u"-SelLang", UtilityScreen::LanguagePage, 0, true, true},
      {u"-NoDataMsg", UtilityScreen::MessageDialog, IDS_NO_NAVIGATOR_FILES, true, false},
      {u"-LowPowerMsg", UtilityScreen::MessageDialog, IDS_LOW_POWER, true, false},
      {u"-SelTimezone", UtilityScreen::DateTimePage, 0, true, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.commandLine.begin(), c.commandLine.end()));
    std::filesystem::remove(Snapshot());
    EXPECT_EQ(Start(c.commandLine), 0);
    ASSERT_EQ(host.runs.size(), 1u);
    const auto& run = host.runs[0];
    EXPECT_EQ(run.request.screen, c.screen);
    EXPECT_EQ(run.request.textId, c.textId);
    EXPECT_FALSE(run.request.installPackage);
    EXPECT_EQ(run.request.owner, c.owned ? kForeground : nullptr);
    EXPECT_EQ(host.foregroundLookups, c.owned ? 1 : 0);
    EXPECT_EQ(run.mutexHeld, c.mutex);
    EXPECT_FALSE(run.languageModuleLoaded);
    EXPECT_EQ(std::filesystem::exists(Snapshot()), c.screen == UtilityScreen::LanguagePage);
  }
  EXPECT_FALSE(MutexTaken()) << "the mutex goes with the program";
}

TEST_F(UtilityAppTest, OnlyTheWholeCommandLineIsASwitch) {
  for (std::u16string line : {u"-SelLang ", u" -SelLang", u"-SelLang -SelTimezone", u"-LowPowerMsgX", u"SelLang"}) {
    EXPECT_EQ(Start(line), 0);
    EXPECT_TRUE(host.runs.empty());
    // The foreground window is looked up (and not used) for every non-empty command line.
    EXPECT_EQ(host.foregroundLookups, 1);
  }
  // No mutex was taken along the way, and no snapshot written.
  EXPECT_FALSE(MutexTaken());
  EXPECT_FALSE(std::filesystem::exists(Snapshot()));
}

TEST_F(UtilityAppTest, AnotherInstanceStopsTheSingleInstanceModesButNotTheMessages) {
  HANDLE other = CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
  ASSERT_NE(other, nullptr);
  WriteHostFile(Snapshot(), {0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0, 3, 0, 0, 0, 0x08, 0x07, 0, 0});
  for (std::u16string line : {u"", u"-SelLang", u"-SelTimezone"}) {
    device.Device().Store().SetInt(kernel::state::kBacklight, 7);
    EXPECT_EQ(Start(line), 0);
    EXPECT_TRUE(host.runs.empty());
    // The snapshot was restored all the same, before the single-instance check.
    EXPECT_EQ(Backlight(), 3);
  }
  device.Device().Store().SetInt(kernel::state::kBacklight, 7);
  Start(u"-LowPowerMsg");
  ASSERT_EQ(host.runs.size(), 1u);
  EXPECT_EQ(host.runs[0].request.textId, UINT{IDS_LOW_POWER});
  EXPECT_EQ(Backlight(), 3);
  EXPECT_TRUE(MutexTaken()) << "the other instance's mutex is untouched";
  CloseHandle(other);
}

TEST_F(UtilityAppTest, TheLanguageModuleIsNamedAfterTheDefaultLanguageAndFreedAtExit) {
  for (auto [id, hex] :
       {std::pair<DWORD, std::u16string>{0x0409, u"0409"}, {0x1A, u"001a"}, {0, u"0000"}, {0x12345, u"12345"}})
    EXPECT_EQ(LanguageModuleName(u"\\Windows\\Utility.exe", id), u"\\Windows\\Utility.exe." + hex + u".mui");

  // An empty resource file is a loadable module.
  std::vector<std::uint8_t> emptyRes = {0, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0,
                                        0, 0, 0, 0, 0,  0, 0, 0, 0,    0,    0, 0, 0,    0,    0, 0};
  WriteHostFile(device.Host("Windows/Utility.exe.0407.mui"), emptyRes);
  EXPECT_EQ(GetDefaultLanguageId(), 0x0409u);
  Start(u"");
  EXPECT_FALSE(host.runs.back().languageModuleLoaded);

  kernel::RegistryValue german{u"DefaultLCID", REG_DWORD, {0x07, 0x04, 0, 0}};
  ASSERT_TRUE(kernel::RegistrySetValue({HKEY_LOCAL_MACHINE, u"nls"}, german));
  EXPECT_EQ(GetDefaultLanguageId(), 0x0407u);
  Start(u"");
  EXPECT_TRUE(host.runs.back().languageModuleLoaded);
  EXPECT_EQ(LanguageModule, nullptr);

  // A missing "nls" key reads as language 0.
  ASSERT_TRUE(kernel::RegistryDeleteKey({HKEY_LOCAL_MACHINE, u"nls"}));
  EXPECT_EQ(GetDefaultLanguageId(), 0u);
}

TEST_F(UtilityAppTest, BatteryWarningHoldCountsItsHolders) {
  // The observer keeps the event alive between the holders' calls.
  HANDLE observer = CreateEventW(nullptr, TRUE, FALSE, kHoldBatteryWarningEvent);
  ASSERT_NE(observer, nullptr);
  auto state = [&] {
    bool signalled = WaitForSingleObject(observer, 0) == WAIT_OBJECT_0;
    return std::to_string(GetEventData(observer)) + (signalled ? " set" : " clear");
  };
  const std::pair<bool, const char*> kSteps[] = {
      {true, "1 set"}, {true, "2 set"}, {false, "1 set"}, {false, "0 clear"}, {false, "0 clear"}};
  for (const auto& [hold, shown] : kSteps) {
    EXPECT_TRUE(HoldBatteryWarning(hold));
    EXPECT_EQ(state(), shown);
  }
  CloseHandle(observer);
}

}  // namespace
