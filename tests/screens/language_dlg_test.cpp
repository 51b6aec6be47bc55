// The language page: the supported languages in alphabetical order with their ids, the opening
// selection, the steps by button and key, and what OK writes, shows and asks for along every way of
// the package switch (the installer is a small program that exits; the install key appears when a
// row says so, during the first pause after the installer started, as if it had finished then).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "install/installer_run.h"
#include "platform/gwes/controls/list_box.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"
#include "screens/battery_hold.h"
#include "screens/language_dlg.h"
#include "screens/message_dlg.h"
#include "screens/system_language.h"
#include "tests/screens/page_fixture.h"
#include "ui/ani_wait_cursor.h"

namespace {

namespace fs = std::filesystem;
constexpr DWORD kUs = 0x0409, kUk = 0x0809, kGerman = 0x0407, kFrench = 0x040C, kJapanese = 0x0411;

class LanguageDlgTest : public screens_test::PageTest {
 protected:
  LanguageDlgTest() {
    kernel::SetClockSource(std::make_unique<PauseClock>(this));
    // Kept open as the device's battery watcher keeps it, so the hold's count lives on.
    m_hold = CreateEventW(nullptr, TRUE, FALSE, kHoldBatteryWarningEvent);
  }
  ~LanguageDlgTest() override {
    CloseHandle(m_hold);
    kernel::SetClockSource(kernel::MakeVirtualClock(testing_support::kTestStartUtcMs));
  }

  static void SetCurrent(DWORD id) {
    SetRegDword(HKEY_LOCAL_MACHINE, kNlsKey, kDefaultLcidValue, id);
    SetRegDword(HKEY_LOCAL_MACHINE, kVoiceKey, kVoiceIdValue, id);
  }
  // The list's entries: each text with the language id it carries.
  static std::vector<std::pair<std::u16string, DWORD>> Items() {
    std::vector<std::pair<std::u16string, DWORD>> items;
    HWND list = Item(IDC_LANGUAGE_LIST);
    for (int i = 0; i < static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); ++i) {
      WCHAR text[64] = {};
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.emplace_back(text, static_cast<DWORD>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    }
    return items;
  }
  static int Selection() { return static_cast<int>(SendMessageW(Item(IDC_LANGUAGE_LIST), LB_GETCURSEL, 0, 0)); }
  static bool WaitCursorShown(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (dynamic_cast<CAniWaitCursor*>(CWnd::FromHandlePermanent(child))) return true;
    return false;
  }

  std::vector<DWORD> m_pauses;    // every pause and wait time-out of the user-interface thread
  bool m_keyAtFirstPause = false;  // the install key appears at the installer's first pause
  HANDLE m_hold = nullptr;

 private:
  class PauseClock final : public kernel::ClockSource {
   public:
    explicit PauseClock(LanguageDlgTest* test) : m_test(test) {}
    bool IsVirtual() const override { return true; }
    std::uint64_t MonotonicMs() override { return m_elapsed; }
    std::int64_t BaseUtcMs() override { return testing_support::kTestStartUtcMs + std::int64_t(m_elapsed); }
    void Sleep(DWORD ms) override {
      m_test->m_pauses.push_back(ms);
      if (m_test->m_keyAtFirstPause && (ms == kInstallerStartPauseMs || ms == kInstallerStartPauseNoEventMs)) {
        kernel::RegistryCreateKey({HKEY_LOCAL_MACHINE, kInstallKey});
      }
      m_elapsed += ms;
    }

   private:
    LanguageDlgTest* m_test;
    std::uint64_t m_elapsed = 0;
  };
};

TEST_F(LanguageDlgTest, ListsTheSupportedLanguagesSortedWithTheirIdsAndSelectsTheCurrentOne) {
  struct Row {
    std::vector<DWORD> supported;
    DWORD current;
    std::vector<std::pair<std::u16string, DWORD>> items;
    int selection;
    DWORD count = 0;  // "TatolSupport" when not the number of languages
  } rows[] = {
      {{kUs, kGerman, kFrench}, kGerman, {{u"English-US", kUs}, {u"French", kFrench}, {u"German", kGerman}}, 2},
      // The current language not listed: the first entry.
      {{kUs, kUk}, kJapanese, {{u"English-UK", kUk}, {u"English-US", kUs}}, 0},
      // A value that cannot be read is skipped; an id without a name is listed by its id.
      {{kGerman, kNoLanguage, 0x0416}, 0x0416, {{u"0x0416", 0x0416}, {u"German", kGerman}}, 0},
      {{}, kUs, {}, -1},
      // A damaged count: the values present are listed, and at once.
      {{kGerman, kUs}, kUs, {{u"English-US", kUs}, {u"German", kGerman}}, 0, 0xFFFFFFFF},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&row - rows));
    SetLanguages(row.supported);
    if (row.count != 0) SetRegDword(HKEY_LOCAL_MACHINE, kMultiLang, u"TatolSupport", row.count);
    SetCurrent(row.current);
    CLanguageDlg page(FALSE);
    RunDialog(page, {[&] {
      EXPECT_EQ(Items(), row.items);
      EXPECT_EQ(Selection(), row.selection);
      EXPECT_EQ(Text(IDC_LANGUAGE_DISPLAY), row.selection >= 0 ? row.items[row.selection].first : u"");
      EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_LANGUAGE_LIST);
      Key(VK_ESCAPE);
    }});
  }
}

// Up is next and Down previous whatever has the focus; Left and Right step from the list or the
// display box, and from anywhere else bring the focus to the display box; the arrow buttons step.
TEST_F(LanguageDlgTest, StepsByKeyAndButtonStopAtTheEnds) {
  constexpr BYTE kOnOk = 0xF0;  // the focus is put on OK first
  struct Row { std::vector<BYTE> inputs; int selection; int focus; } rows[] = {
      {{VK_UP}, 2, IDC_LANGUAGE_LIST},
      {{VK_UP, VK_UP, VK_UP}, 3, IDC_LANGUAGE_LIST},
      {{VK_DOWN}, 0, IDC_LANGUAGE_LIST},
      {{VK_DOWN, VK_DOWN}, 0, IDC_LANGUAGE_LIST},
      {{VK_RIGHT}, 2, IDC_LANGUAGE_LIST},
      {{VK_LEFT}, 0, IDC_LANGUAGE_LIST},
      {{kOnOk, VK_UP}, 2, IDC_LANGUAGE_LIST},
      {{kOnOk, VK_RIGHT}, 1, IDC_LANGUAGE_DISPLAY},
      {{kOnOk, VK_LEFT, VK_LEFT}, 0, IDC_LANGUAGE_LIST},
      {{kRightArrow}, 2, IDC_LANGUAGE_LIST},
      {{kLeftArrow, kLeftArrow}, 0, IDC_LANGUAGE_LIST},
  };
  SetLanguages({kUs, kUk, kGerman, kFrench});  // English-UK, English-US, French, German
  SetCurrent(kUs);
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&row - rows));
    std::deque<std::function<void()>> steps;
    for (BYTE input : row.inputs) {
      steps.push_back([input] {
        if (input == kOnOk) SetFocus(Item(IDOK));
        if (input != kOnOk) Input(input, IDC_LANGUAGE_PREVIOUS, IDC_LANGUAGE_NEXT);
      });
    }
    steps.push_back([&] {
      EXPECT_EQ(Selection(), row.selection);
      EXPECT_EQ(Text(IDC_LANGUAGE_DISPLAY), Items()[static_cast<std::size_t>(row.selection)].first);
      EXPECT_EQ(GetDlgCtrlID(GetFocus()), row.focus);
      Key(VK_ESCAPE);
    });
    CLanguageDlg page(FALSE);
    EXPECT_EQ(RunDialog(page, std::move(steps)), IDCANCEL);
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kNlsKey, kDefaultLcidValue), kUs);
  }
}

// OK writes the chosen language as the system's and the voice's. From the menu the package is
// installed under the battery-warning hold with the wait cursor up; every failure shows its message
// (or none for a failed copy) and writes the previous language back; an installer that does not
// finish is followed by the reset request.
TEST_F(LanguageDlgTest, OkWritesTheLanguageAndPutsThePreviousOneBackWhenTheSwitchFails) {
  const std::string kCard = "Storage Card/Installation/", kFlash = "SD Card/Installation/";
  const std::vector<std::string> kCardAll = {kCard + "Pelora_german_2.cab", kCard + "autorunce.exe"},
                                 kFlashAll = {kFlash + "Pelora_german_2.cab", kFlash + "Autorunce.exe"};
  // Pauses after the installer started: one attempt when it finishes, else all of them; the card's
  // failure then pauses before the reset while the flash disk's resets at once.
  const std::vector<DWORD> kFinished = {kInstallerStartPauseMs, kInstallerAttemptMs};
  std::vector<DWORD> kGaveUp(kInstallerAttempts + 1, kInstallerAttemptMs);
  kGaveUp[0] = kInstallerStartPauseMs;
  std::vector<DWORD> kCardGaveUp = kGaveUp;
  kCardGaveUp.push_back(CLanguageDlg::kResetPauseMs);
  struct Row {
    const char* name;
    BOOL install;
    DWORD platformType;
    std::vector<std::string> files;  // under the device root; the ".exe" ones are programs
    bool keyAppears;
    DWORD after;
    std::vector<UINT> messages;
    std::size_t resets;
    std::vector<DWORD> pauses;  // after the installer started (empty: none that long)
  } rows[] = {
      {"on its own: written, nothing installed", FALSE, 9, {}, false, kGerman, {}, 0, {}},
      {"card: installed", TRUE, 9, kCardAll, true, kGerman, {}, 0, kFinished},
      {"card: no package", TRUE, 9, {kCard + "Pelora_french_2.cab"}, false, kUs, {IDS_NO_NAVIGATOR_FILES}, 0, {}},
      {"unknown platform type", TRUE, 7, {kCardAll[0]}, false, kUs, {IDS_NO_NAVIGATOR_FILES}, 0, {}},
      {"card: installer does not finish", TRUE, 9, kCardAll, false, kUs, {IDS_SWITCH_FAILED}, 1, kCardGaveUp},
      {"flash disk: installed", TRUE, 8, kFlashAll, true, kGerman, {}, 0, kFinished},
      {"flash disk: copy fails", TRUE, 8, {kFlashAll[0]}, false, kUs, {}, 0, {}},
      {"flash disk: installer does not finish", TRUE, 8, kFlashAll, false, kUs, {IDS_SWITCH_FAILED}, 1, kGaveUp},
  };

  SetLanguages({kUs, kGerman, kFrench});  // English-US, French, German
  Store().SetInt(kernel::state::kResetFail, 1);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetCurrent(kUs);
    Store().SetInt(kernel::state::kPlatformType, static_cast<std::int64_t>(row.platformType));
    for (const char* folder : {"Storage Card", "SD Card", "My Flash Disk"}) {
      fs::remove_all(device.Host(folder));
      fs::create_directories(device.Host(folder));
    }
    for (const std::string& file : row.files) {
      fs::create_directories(device.Host(file).parent_path());
      std::ofstream(device.Host(file), std::ios::binary) << (file.ends_with(".exe") ? "#!/bin/sh\nexit 0\n" : "cab");
      if (file.ends_with(".exe")) fs::permissions(device.Host(file), fs::perms::owner_exec, fs::perm_options::add);
    }
    // Held so that the installer's event exists whoever made it.
    HANDLE setupFinished = CreateEventW(nullptr, FALSE, FALSE, kSetupFinishedEvent);
    m_keyAtFirstPause = row.keyAppears;
    std::size_t resetsBefore = Store().ResetLog().size();
    std::vector<UINT> messages;
    CLanguageDlg page(row.install);
    std::function<void()> answer = [&] {
      // Each message is shown under the hold with the wait cursor up, and answered with Enter.
      if (auto* message = dynamic_cast<CMessageDlg*>(CWnd::FromHandlePermanent(TopWindow()))) {
        messages.push_back(message->m_nTextId);
        EXPECT_EQ(GetEventData(m_hold), 1u);
        EXPECT_TRUE(WaitCursorShown(page.m_hWnd));
        Key(VK_RETURN);
      }
    };
    m_pauses.clear();
    // German is two steps up from English-US; each message expected is answered.
    std::deque<std::function<void()>> steps = {[] { Key(VK_UP); }, [] { Key(VK_UP); }, [] { Key(VK_RETURN); }};
    steps.insert(steps.end(), row.messages.size(), answer);
    EXPECT_EQ(RunDialog(page, std::move(steps)), IDOK);
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kNlsKey, kDefaultLcidValue), row.after);
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kVoiceKey, kVoiceIdValue), row.after);
    EXPECT_EQ(messages, row.messages);
    EXPECT_EQ(GetEventData(m_hold), 0u);
    EXPECT_EQ(Store().ResetLog().size() - resetsBefore, row.resets);
    // The pauses from the installer's start on, then the page's closing pause.
    std::vector<DWORD> expected = row.pauses;
    expected.push_back(CLanguageDlg::kClosePauseMs);
    ASSERT_GE(m_pauses.size(), expected.size());
    EXPECT_EQ(std::vector<DWORD>(m_pauses.end() - std::ssize(expected), m_pauses.end()), expected);
    CloseHandle(setupFinished);
  }
}

TEST_F(LanguageDlgTest, OkWithoutAChangeOrAnEntryWritesNothing) {
  for (std::vector<DWORD> supported : {std::vector<DWORD>{kUs, kGerman}, std::vector<DWORD>{}}) {
    SetLanguages(supported);
    SetCurrent(kUs);
    SetRegDword(HKEY_LOCAL_MACHINE, kVoiceKey, kVoiceIdValue, kJapanese);  // shows a write
    m_pauses.clear();
    CLanguageDlg page(TRUE);
    EXPECT_EQ(RunDialog(page, {[] { Key(VK_RETURN); }}), IDOK);
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kVoiceKey, kVoiceIdValue), kJapanese);
    EXPECT_TRUE(m_pauses.empty());
  }
}

}  // namespace
