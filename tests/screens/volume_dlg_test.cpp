// The volume page: the six steps stored to the wave output and the registry with one click each,
// drags stored on release only, the volume keys followed, and every way out but OK storing the
// opening word exactly.
#include <gtest/gtest.h>

#include <optional>

#include "platform/kernel/audio.h"
#include "screens/volume_dlg.h"
#include "tests/screens/page_fixture.h"

namespace {

constexpr int kSlider = IDC_VOLUME_SLIDER;
constexpr const char16_t* kVolumeKey = u"ControlPanel\\Volume";
// A word no request of the page stores: it shows that nothing was stored since it was put there.
constexpr DWORD kUntouched = 0x12345678;

class VolumeDlgTest : public screens_test::PageTest {
 protected:
  static DWORD Wave() {
    DWORD volume = 0;
    return waveOutGetVolume(nullptr, &volume), volume;
  }
  static std::optional<DWORD> Registry() { return RegDword(HKEY_CURRENT_USER, kVolumeKey, u"Volume"); }
  static void SetVolume(DWORD volume) {
    waveOutSetVolume(nullptr, volume);
    SetRegDword(HKEY_CURRENT_USER, kVolumeKey, u"Volume", volume);
  }
  // Clicks played since the last call, each checked to be the program's click played to its end.
  std::size_t NewClicks() {
    auto log = Store().SoundLog();
    for (std::size_t i = m_seen; i < log.size(); ++i) EXPECT_EQ(log[i].flags, SND_SYNC | SND_MEMORY);
    return log.size() - std::exchange(m_seen, log.size());
  }
  std::size_t m_seen = Store().SoundLog().size();
};

// One input (arrow button or key), then a way out. A step stores its word and clicks, also at the
// ends; OK stores nothing of its own; every other way stores the opening word, odd ones too.
TEST_F(VolumeDlgTest, StepsStoreAndClickAndEveryWayButOkStoresTheOpeningWord) {
  struct Case { DWORD opening; int shown; BYTE input; int pos; DWORD stored; Way way; DWORD after; } cases[] = {
      {0x80008000, 0, kRightArrow, 1, 0x33333333, Way::CancelButton, 0x80008000},
      {0x80008000, 0, VK_UP, 1, 0x33333333, Way::Escape, 0x80008000},  // Up raises
      {0x80008000, 0, kLeftArrow, 0, 0x00000000, Way::DeviceCancel, 0x80008000},
      {0x66666666, 2, VK_DOWN, 1, 0x33333333, Way::DeviceClose, 0x66666666},  // Down lowers
      {0x66666666, 2, 0, 2, kUntouched, Way::CloseRequest, 0x66666666},
      {0x80008000, 0, 0, 0, kUntouched, Way::Ok, kUntouched},
      {0xFFFFFFFF, 5, kRightArrow, 5, 0xFFFFFFFF, Way::Ok, 0xFFFFFFFF},
      {0x66666666, 2, kRightArrow, 3, 0x99999999, Way::Ok, 0x99999999},
      {0x66666666, 2, kLeftArrow, 1, 0x33333333, Way::Ok, 0x33333333},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.opening << " input " << int{c.input});
    SetVolume(c.opening);
    CVolumeDlg page;
    INT_PTR result = RunDialog(page, {[&] {
                                        EXPECT_EQ(Pos(kSlider), c.shown);
                                        EXPECT_EQ(NewClicks(), 0u);  // opening is silent
                                        SetVolume(kUntouched);
                                        Input(c.input, IDC_VOLUME_LEFT, IDC_VOLUME_RIGHT);
                                      },
                                      [&] {
                                        EXPECT_EQ(Pos(kSlider), c.pos);
                                        EXPECT_EQ(Wave(), c.stored);
                                        EXPECT_EQ(Registry(), c.stored);
                                        EXPECT_EQ(NewClicks(), c.input != 0 ? 1u : 0u);
                                        EXPECT_EQ(GetFocus(), Item(kSlider));
                                        Leave(c.way);
                                      }});
    EXPECT_EQ(result, c.way == Way::Ok ? IDOK : IDCANCEL);
    EXPECT_EQ(Wave(), c.after);
    EXPECT_EQ(Registry(), c.after);
    EXPECT_EQ(CloseRequestPosted(), c.way == Way::DeviceClose);
    EXPECT_EQ(NewClicks(), 0u);  // leaving is silent
  }
}

TEST_F(VolumeDlgTest, ADragFromOneToFourStoresOnceOnRelease) {
  SetVolume(0x33333333);
  CVolumeDlg page;
  // The trackbar's travel is 188 pixels over five positions.
  auto steps = Drag(kSlider, 38, 3, [this](int i) {
    EXPECT_EQ(Pos(kSlider), 1 + i);
    EXPECT_EQ(Wave(), 0x33333333u);
    EXPECT_EQ(NewClicks(), 0u);
  });
  steps.push_back([this] {
    EXPECT_EQ(Registry(), 0xCCCCCCCCu);
    EXPECT_EQ(NewClicks(), 1u);
    Key(VK_RETURN);  // the dialog's OK
  });
  EXPECT_EQ(RunDialog(page, std::move(steps)), IDOK);
  EXPECT_EQ(Wave(), 0xCCCCCCCCu);
}

// The device's keypad changes the wave volume before the key reaches the page; the page follows it
// with a click, stores it in the registry and draws the slider again only when its position
// changed. Without the registry key no key is made (it would hold the value), and a cancel still
// gives the wave output back.
TEST_F(VolumeDlgTest, TheVolumeKeysAreFollowed) {
  // `before` is set just before the key; the keypad then moves it one step or mutes.
  struct Case { BYTE key; DWORD before, after; int pos; bool registryKey; } cases[] = {
      {VK_F6, 0x99999999, 0xCCCCCCCC, 4, true},
      {VK_F7, 0x66666666, 0x33333333, 1, true},
      {VK_F10, 0x99999999, 0x00000000, 0, true},
      {VK_F6, 0x66666666, 0x99999999, 3, true},
      {VK_F7, 0x99999999, 0x66666666, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << int{c.key} << " volume " << std::hex << c.before);
    SetVolume(0x99999999);
    if (!c.registryKey) RegDeleteKeyW(HKEY_CURRENT_USER, kVolumeKey);  // the row's Registry() then shows it gone
    CVolumeDlg page;
    RunDialog(page, {[&] {
                       waveOutSetVolume(nullptr, c.before);
                       Mark(56 + 100, 112 + 20);
                       Key(c.key);
                     },
                     [&] {
                       EXPECT_EQ(Pos(kSlider), c.pos);
                       EXPECT_EQ(Registry(), c.registryKey ? std::optional(c.after) : std::nullopt);
                       EXPECT_EQ(NewClicks(), 1u);
                       EXPECT_EQ(Marked(56 + 100, 112 + 20), c.pos == 3);
                       Key(VK_ESCAPE);
                     }});
    EXPECT_EQ(Wave(), 0x99999999u);
  }
}

}  // namespace
