// The backlight page: the level the backlight reports, steps that stop at the ends, drags applied
// live, OK with its one snapshot, and every way out but OK giving the opening level back.
#include <gtest/gtest.h>

#include "screens/backlight_dlg.h"
#include "tests/screens/page_fixture.h"

namespace {

constexpr int kSlider = IDC_BACKLIGHT_SLIDER;
// A level no request of the page sends: it shows that nothing was sent since it was put there.
constexpr std::int64_t kUntouched = 42;

class BacklightDlgTest : public screens_test::PageTest {
 protected:
  static std::int64_t Level() { return Store().GetInt(kernel::state::kBacklight).value_or(-1); }
  static void SetLevel(std::int64_t level) { Store().SetInt(kernel::state::kBacklight, level); }
};

// One input (arrow button or key), then a way out. A step sends its level at once and redraws the
// slider; at either end it does neither. Only OK keeps the level and writes the snapshot.
TEST_F(BacklightDlgTest, StepsSendTheLevelAndEveryWayButOkSendsBackTheReportedOne) {
  struct Case { std::int64_t reported; int shown; BYTE input; int pos; std::int64_t sent, after; Way way; } cases[] = {
      {5, 5, kRightArrow, 6, 6, 5, Way::CancelButton},
      {5, 5, VK_UP, 6, 6, 5, Way::Escape},  // Up is Right
      {5, 5, VK_DOWN, 4, 4, 5, Way::DeviceCancel},  // Down is Left
      {5, 5, kLeftArrow, 4, 4, 5, Way::DeviceClose},
      {5, 5, kRightArrow, 6, 6, 5, Way::CloseRequest},
      // Out of range: shown as 4, nothing sent at opening, given back as reported (and refused).
      {0, 4, 0, 4, kUntouched, kUntouched, Way::CancelButton},
      {12, 4, kRightArrow, 5, 5, 5, Way::DeviceClose},
      {1, 1, kLeftArrow, 1, kUntouched, kUntouched, Way::Ok},
      {8, 8, kRightArrow, 8, kUntouched, kUntouched, Way::Ok},
      {3, 3, kLeftArrow, 2, 2, 2, Way::Ok},
      {7, 7, kRightArrow, 8, 8, 8, Way::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "reported " << c.reported << " input " << int{c.input});
    SetLevel(c.reported);
    s_snapshots = 0;
    CBacklightDlg page;
    INT_PTR result = RunDialog(page, {[&] {
                                        EXPECT_EQ(Pos(kSlider), c.shown);
                                        EXPECT_EQ(Level(), c.reported);
                                        SetLevel(kUntouched);
                                        Mark(56 + 100, 112 + 20);
                                        Input(c.input, IDC_BACKLIGHT_LEFT, IDC_BACKLIGHT_RIGHT);
                                      },
                                      [&] {
                                        EXPECT_EQ(Pos(kSlider), c.pos);
                                        EXPECT_EQ(Level(), c.sent);
                                        EXPECT_EQ(GetFocus(), Item(kSlider));
                                        EXPECT_EQ(Marked(56 + 100, 112 + 20), c.pos == c.shown);
                                        Leave(c.way);
                                      }});
    EXPECT_EQ(result, c.way == Way::Ok ? IDOK : IDCANCEL);
    EXPECT_EQ(Level(), c.after);
    EXPECT_EQ(CloseRequestPosted(), c.way == Way::DeviceClose);
    EXPECT_EQ(s_snapshots, c.way == Way::Ok ? 1 : 0);
  }
}

TEST_F(BacklightDlgTest, ADragFromThreeToSixIsAppliedLive) {
  SetLevel(3);
  CBacklightDlg page;
  auto steps = Drag(kSlider, 27, 3, [](int i) { EXPECT_EQ(Level(), 3 + i); });
  steps.push_back([] { Key(VK_ESCAPE); });
  RunDialog(page, std::move(steps));
  EXPECT_EQ(Level(), 3);
}

}  // namespace
