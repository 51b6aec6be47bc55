// The backlight page as a person works it: the level the backlight reports, steps at the ends,
// drags applied live, OK with its one snapshot, and every way out that gives the old level back.
#include <gtest/gtest.h>

#include "app/settings_snapshot.h"
#include "screens/backlight_dlg.h"
#include "tests/screens/slider_page_fixture.h"

namespace {

using screens_test::SliderPageTest;

constexpr int kSlider = IDC_BACKLIGHT_SLIDER;
// A level no request of the page ever sends: it shows that nothing was sent since it was put there.
constexpr std::int64_t kUntouched = 42;

int g_snapshotWrites = 0;
bool CountedSnapshot() {
  ++g_snapshotWrites;
  return SaveSnapshot();
}

class BacklightDlgTest : public SliderPageTest {
 protected:
  BacklightDlgTest() {
    g_snapshotWrites = 0;
    SetSnapshotWriter(&CountedSnapshot);
  }
  static std::int64_t Level() { return Store().GetInt(kernel::state::kBacklight).value_or(-1); }
  static void SetLevel(std::int64_t level) { Store().SetInt(kernel::state::kBacklight, level); }
};

TEST_F(BacklightDlgTest, OpensWithTheTitleSliderArrowsAndButtonsInTheirPlacesAndFaces) {
  CBacklightDlg page;
  RunDialog(page, {[] {
              ExpectOpeningLayout({IDC_BACKLIGHT_TITLE, IDC_BACKLIGHT_LEFT, kSlider, IDC_BACKLIGHT_RIGHT, u"Backlight",
                                   IDB_BACKLIGHT_BACKGROUND,
                                   {IDC_BACKLIGHT_HIDDEN_CAPTION, IDC_BACKLIGHT_HIDDEN_COMBO,
                                    IDC_BACKLIGHT_HIDDEN_NOTE, IDC_BACKLIGHT_HIDDEN_SLIDER,
                                    IDC_BACKLIGHT_HIDDEN_LEVEL, IDC_BACKLIGHT_HIDDEN_MARK}});
              Key(VK_ESCAPE);
            }});
}

TEST_F(BacklightDlgTest, EveryWayOutButOkSendsBackTheLevelReportedAtOpening) {
  enum class Way { CancelButton, Escape, DeviceCancel, DeviceClose, CloseRequest };
  struct Case {
    std::int64_t reported;
    int shown;
    bool stepFirst;  // Right once before leaving
    Way way;
    std::int64_t levelAfter;
  } cases[] = {
      {5, 5, true, Way::CancelButton, 5},
      {5, 5, true, Way::Escape, 5},
      {5, 5, true, Way::DeviceCancel, 5},
      {5, 5, true, Way::DeviceClose, 5},
      {5, 5, true, Way::CloseRequest, 5},
      // Out of range: shown as 4 but given back as reported (the backlight refuses it and keeps
      // what it has); nothing is sent at opening.
      {0, 4, false, Way::CancelButton, 0},
      {12, 4, false, Way::DeviceClose, 12},
      {12, 4, true, Way::Escape, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "reported " << c.reported << " way " << static_cast<int>(c.way));
    SetLevel(c.reported);
    CBacklightDlg page;
    INT_PTR result = RunDialog(page, {[&] {
                                        EXPECT_EQ(Pos(kSlider), c.shown);
                                        EXPECT_EQ(Level(), c.reported);
                                        if (c.stepFirst) Tap(259 + 13, 112 + 13);
                                      },
                                      [&] {
                                        if (c.stepFirst) {
                                          EXPECT_EQ(Level(), c.shown + 1);
                                        }
                                        switch (c.way) {
                                          case Way::CancelButton: Tap(175 + 29, 192 + 14); break;
                                          case Way::Escape: Key(VK_ESCAPE); break;
                                          case Way::DeviceCancel: Key(VK_DEVICE_CANCEL); break;
                                          case Way::DeviceClose: Key(VK_DEVICE_CLOSE); break;
                                          case Way::CloseRequest: PostMessageW(TopWindow(), WM_CLOSE, 0, 0); break;
                                        }
                                      }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Level(), c.levelAfter);
    EXPECT_EQ(g_savedBacklightLevel, static_cast<DWORD>(c.reported));
    EXPECT_EQ(CloseRequestPosted(), c.way == Way::DeviceClose);
    EXPECT_EQ(g_snapshotWrites, 0);
  }
}

TEST_F(BacklightDlgTest, StepsAndArrowKeysMoveOneLevelAndAtTheEndsNeitherSendNorRedraw) {
  enum class Input { LeftButton, RightButton, UpKey, DownKey };
  struct Case {
    int start;
    Input input;
    int pos;
    std::int64_t levelAfter;
  } cases[] = {
      {1, Input::LeftButton, 1, kUntouched},
      {8, Input::RightButton, 8, kUntouched},
      {3, Input::LeftButton, 2, 2},
      {7, Input::RightButton, 8, 8},
      {3, Input::UpKey, 4, 4},    // Up is Right
      {3, Input::DownKey, 2, 2},  // Down is Left
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.start << " input " << static_cast<int>(c.input));
    SetLevel(c.start);
    CBacklightDlg page;
    RunDialog(page, {[&] {
                       SetLevel(kUntouched);
                       Mark(56 + 100, 112 + 20);
                       switch (c.input) {
                         case Input::LeftButton: Tap(29 + 13, 112 + 13); break;
                         case Input::RightButton: Tap(259 + 13, 112 + 13); break;
                         case Input::UpKey: Key(VK_UP); break;
                         case Input::DownKey: Key(VK_DOWN); break;
                       }
                     },
                     [&] {
                       EXPECT_EQ(Pos(kSlider), c.pos);
                       EXPECT_EQ(Level(), c.levelAfter);
                       EXPECT_EQ(GetFocus(), Item(kSlider));
                       // The slider is drawn again only when its position changed.
                       EXPECT_EQ(Marked(56 + 100, 112 + 20), c.pos == c.start);
                       Tap(85 + 29, 192 + 14);
                     }});
  }
}

TEST_F(BacklightDlgTest, ADragFromThreeToSixIsAppliedLiveAndOkWritesTheSnapshotOnce) {
  SetLevel(3);
  POINT grab{};
  CBacklightDlg page;
  std::deque<std::function<void()>> steps = {[&] {
    grab = ThumbCentre(kSlider);
    gwes::PostStylus(gwes::StylusAction::Down, grab.x, grab.y);
  }};
  for (int level = 4; level <= 6; ++level) {
    steps.push_back([&, level] { gwes::PostStylus(gwes::StylusAction::Move, grab.x + 27 * (level - 3), grab.y); });
    steps.push_back([&, level] { EXPECT_EQ(Level(), level); });
  }
  steps.push_back([&] { gwes::PostStylus(gwes::StylusAction::Up, grab.x + 81, grab.y); });
  steps.push_back([&] {
    EXPECT_EQ(Pos(kSlider), 6);
    EXPECT_EQ(g_snapshotWrites, 0);
    Tap(85 + 29, 192 + 14);
  });
  EXPECT_EQ(RunDialog(page, std::move(steps)), IDOK);
  EXPECT_EQ(Level(), 6);
  EXPECT_EQ(g_snapshotWrites, 1);
  auto bytes = testing_support::ReadHostFile(device.Host("My Flash Disk/Setting.dat"));
  ASSERT_EQ(bytes.size(), 18u);
  EXPECT_EQ(ReadSnapshotBytes(bytes).values->backlightLevel, 6u);
}

}  // namespace
