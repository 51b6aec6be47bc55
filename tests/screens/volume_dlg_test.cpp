// The volume page as a person works it: the six steps stored to the wave output and the registry
// with one click each, drags applied on release only, the volume keys followed, and every way out
// that stores the opening word exactly.
#include <gtest/gtest.h>

#include "platform/kernel/audio.h"
#include "platform/kernel/registry.h"
#include "screens/volume_dlg.h"
#include "tests/screens/slider_page_fixture.h"

namespace {

using screens_test::SliderPageTest;

constexpr int kSlider = IDC_VOLUME_SLIDER;
constexpr const char16_t* kVolumeKey = u"ControlPanel\\Volume";

class VolumeDlgTest : public SliderPageTest {
 protected:
  static DWORD Wave() {
    DWORD volume = 0;
    waveOutGetVolume(nullptr, &volume);
    return volume;
  }
  static std::optional<DWORD> Registry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kVolumeKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD value = 0, size = sizeof value, type = 0;
    LONG status = RegQueryValueExW(key, u"Volume", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return value;
  }
  static void SetVolume(DWORD volume) {
    waveOutSetVolume(nullptr, volume);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kVolumeKey, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, u"Volume", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&volume), sizeof volume);
    RegCloseKey(key);
  }
  // Clicks played since the last call, each checked to be the program's click played to its end.
  std::size_t NewClicks() {
    auto log = Store().SoundLog();
    std::size_t fresh = log.size() - m_seen;
    for (std::size_t i = m_seen; i < log.size(); ++i) EXPECT_EQ(log[i].flags, SND_SYNC | SND_MEMORY);
    m_seen = log.size();
    return fresh;
  }
  std::size_t m_seen = Store().SoundLog().size();
};

TEST_F(VolumeDlgTest, OpensWithTheTitleSliderArrowsAndButtonsInTheirPlacesAndFaces) {
  CVolumeDlg page;
  RunDialog(page, {[&] {
              ExpectOpeningLayout({IDC_VOLUME_TITLE, IDC_VOLUME_LEFT, kSlider, IDC_VOLUME_RIGHT, u"Volume",
                                   IDB_VOLUME_BACKGROUND, {IDC_VOLUME_HIDDEN_CAPTION, IDC_VOLUME_HIDDEN_LOUD}});
              EXPECT_EQ(SendMessageW(Item(kSlider), TBM_GETPAGESIZE, 0, 0), 1);
              EXPECT_EQ(NewClicks(), 0u);  // opening is silent
              Key(VK_ESCAPE);
            }});
}

TEST_F(VolumeDlgTest, EveryWayOutButOkStoresTheOpeningWordExactly) {
  enum class Way { CancelButton, Escape, DeviceCancel, DeviceClose, CloseRequest, Ok };
  struct Case {
    DWORD opening;
    int shown;
    int steps;  // Right taps before leaving
    Way way;
    DWORD after;
  } cases[] = {
      {0x80008000, 0, 1, Way::CancelButton, 0x80008000},
      {0x80008000, 0, 3, Way::Escape, 0x80008000},
      {0x80008000, 0, 1, Way::DeviceCancel, 0x80008000},
      {0x66666666, 2, 1, Way::DeviceClose, 0x66666666},
      {0x66666666, 2, 1, Way::CloseRequest, 0x66666666},
      {0x80008000, 0, 0, Way::Ok, 0x80008000},  // OK without a step leaves the odd word alone
      {0x80008000, 0, 2, Way::Ok, 0x66666666},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.opening << " way " << static_cast<int>(c.way));
    SetVolume(c.opening);
    CVolumeDlg page;
    std::deque<std::function<void()>> steps = {[&] { EXPECT_EQ(Pos(kSlider), c.shown); }};
    for (int i = 0; i < c.steps; ++i) steps.push_back([] { Tap(259 + 13, 112 + 13); });
    steps.push_back([&] {
      EXPECT_EQ(NewClicks(), static_cast<std::size_t>(c.steps));
      switch (c.way) {
        case Way::CancelButton: Tap(175 + 29, 192 + 14); break;
        case Way::Escape: Key(VK_ESCAPE); break;
        case Way::DeviceCancel: Key(VK_DEVICE_CANCEL); break;
        case Way::DeviceClose: Key(VK_DEVICE_CLOSE); break;
        case Way::CloseRequest: PostMessageW(TopWindow(), WM_CLOSE, 0, 0); break;
        case Way::Ok: Tap(85 + 29, 192 + 14); break;
      }
    });
    EXPECT_EQ(RunDialog(page, std::move(steps)), c.way == Way::Ok ? IDOK : IDCANCEL);
    EXPECT_EQ(Wave(), c.after);
    EXPECT_EQ(Registry(), c.after);
    EXPECT_EQ(CloseRequestPosted(), c.way == Way::DeviceClose);
    EXPECT_EQ(NewClicks(), 0u);  // leaving is silent
  }
}

TEST_F(VolumeDlgTest, EachStepStoresItsWordAndClicksOnceAlsoAtTheEnds) {
  enum class Input { LeftButton, RightButton, UpKey, DownKey };
  struct Case {
    DWORD opening;
    Input input;
    int pos;
    DWORD stored;
  } cases[] = {
      {0xFFFFFFFF, Input::RightButton, 5, 0xFFFFFFFF},
      {0x00000000, Input::LeftButton, 0, 0x00000000},
      {0x66666666, Input::RightButton, 3, 0x99999999},
      {0x66666666, Input::LeftButton, 1, 0x33333333},
      {0x80008000, Input::RightButton, 1, 0x33333333},
      {0x66666666, Input::UpKey, 3, 0x99999999},    // Up raises
      {0x66666666, Input::DownKey, 1, 0x33333333},  // Down lowers
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.opening << " input " << static_cast<int>(c.input));
    SetVolume(c.opening);
    CVolumeDlg page;
    RunDialog(page, {[&] {
                       // Give the stored word a value the step must overwrite.
                       SetVolume(0x12345678);
                       switch (c.input) {
                         case Input::LeftButton: Tap(29 + 13, 112 + 13); break;
                         case Input::RightButton: Tap(259 + 13, 112 + 13); break;
                         case Input::UpKey: Key(VK_UP); break;
                         case Input::DownKey: Key(VK_DOWN); break;
                       }
                     },
                     [&] {
                       EXPECT_EQ(Pos(kSlider), c.pos);
                       EXPECT_EQ(Wave(), c.stored);
                       EXPECT_EQ(Registry(), c.stored);
                       EXPECT_EQ(NewClicks(), 1u);
                       EXPECT_EQ(GetFocus(), Item(kSlider));
                       Tap(85 + 29, 192 + 14);
                     }});
  }
}

TEST_F(VolumeDlgTest, ADragFromOneToFourStoresOnceOnRelease) {
  SetVolume(0x33333333);
  POINT grab{};
  CVolumeDlg page;
  std::deque<std::function<void()>> steps = {[&] {
    grab = ThumbCentre(kSlider);
    gwes::PostStylus(gwes::StylusAction::Down, grab.x, grab.y);
  }};
  // The trackbar's travel is 188 pixels over five positions.
  for (int pos = 2; pos <= 4; ++pos) {
    steps.push_back([&, pos] { gwes::PostStylus(gwes::StylusAction::Move, grab.x + 188 * (pos - 1) / 5, grab.y); });
    steps.push_back([&, pos] {
      EXPECT_EQ(Pos(kSlider), pos);
      EXPECT_EQ(Wave(), 0x33333333u);
      EXPECT_EQ(NewClicks(), 0u);
    });
  }
  steps.push_back([&] { gwes::PostStylus(gwes::StylusAction::Up, grab.x + 188 * 3 / 5, grab.y); });
  steps.push_back([&] {
    EXPECT_EQ(Wave(), 0xCCCCCCCCu);
    EXPECT_EQ(Registry(), 0xCCCCCCCCu);
    EXPECT_EQ(NewClicks(), 1u);
    Key(VK_RETURN);  // the dialog's OK
  });
  EXPECT_EQ(RunDialog(page, std::move(steps)), IDOK);
  EXPECT_EQ(Wave(), 0xCCCCCCCCu);
}

TEST_F(VolumeDlgTest, TheVolumeKeysAreFollowedWithAClickAndRepaintOnlyOnAChange) {
  // The device's keypad changes the volume before the key reaches the page; the page follows.
  struct Case {
    BYTE key;
    DWORD before;
    DWORD after;
    int pos;
  } cases[] = {
      {VK_F6, 0x99999999, 0xCCCCCCCC, 4},
      {VK_F7, 0x66666666, 0x33333333, 1},
      {VK_F10, 0x99999999, 0x00000000, 0},
      {VK_F6, 0x66666666, 0x99999999, 3},  // no change: the slider is not drawn again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << int{c.key} << " volume " << std::hex << c.before);
    SetVolume(0x99999999);
    CVolumeDlg page;
    RunDialog(page, {[&] {
                       waveOutSetVolume(nullptr, c.before);
                       Mark(56 + 100, 112 + 20);
                       Key(c.key);
                     },
                     [&] {
                       EXPECT_EQ(Pos(kSlider), c.pos);
                       EXPECT_EQ(Registry(), c.after);
                       EXPECT_EQ(Wave(), c.after);
                       EXPECT_EQ(NewClicks(), 1u);
                       EXPECT_EQ(Marked(56 + 100, 112 + 20), c.pos == 3);
                       Key(VK_ESCAPE);
                     }});
  }
}

TEST_F(VolumeDlgTest, WithoutTheRegistryKeyTheWaveVolumeStillChangesAndNoKeyIsMade) {
  SetVolume(0x33333333);
  ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, kVolumeKey), ERROR_SUCCESS);
  CVolumeDlg page;
  RunDialog(page, {[] { Tap(259 + 13, 112 + 13); },
                   [&] {
                     EXPECT_EQ(Wave(), 0x66666666u);
                     EXPECT_EQ(NewClicks(), 1u);
                     Key(VK_ESCAPE);
                   }});
  EXPECT_EQ(Wave(), 0x33333333u);
  EXPECT_EQ(Registry(), std::nullopt);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kVolumeKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

}  // namespace
