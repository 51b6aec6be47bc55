// Each start-up mode shows its screen as the window it belongs in, and leaves it by the keys the
// screen knows.
#include <gtest/gtest.h>

#include "platform/afx/win_thread.h"
#include "platform/afx/wnd.h"
#include "res/resource.h"
#include "tests/screens/screen_fixture.h"

namespace {

using screens_test::ScreenTest;

class StartUpScreens : public ScreenTest {};

TEST_F(StartUpScreens, TheMainMenuIsTheForegroundMainWindowWithTheProgramsIcon) {
  HWND menu = nullptr;
  Run(u"", {[&] {
              menu = TopWindow();
              // Where it lies and its title are in the golden images.
              EXPECT_EQ(AfxGetMainWnd()->m_hWnd, menu);
              EXPECT_EQ(GetForegroundWindow(), menu);
              // The program's icon, large and small.
              LRESULT big = SendMessageW(menu, WM_GETICON, ICON_BIG, 0);
              EXPECT_NE(big, 0);
              EXPECT_EQ(SendMessageW(menu, WM_GETICON, ICON_SMALL, 0), big);
              Key(VK_ESCAPE);
            }});
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
  EXPECT_FALSE(exitFlag);
}

// Where the panel and its OK lie is in the golden images.
TEST_F(StartUpScreens, TheMessageDialogIsTopMostWithoutAMainWindow) {
  Run(u"-LowPowerMsg", {[&] {
                          EXPECT_TRUE(GetWindowLongW(TopWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST);
                          EXPECT_EQ(AfxGetMainWnd(), nullptr);
                          Key(VK_ESCAPE);
                        }});
  EXPECT_FALSE(exitFlag);
}

}  // namespace
