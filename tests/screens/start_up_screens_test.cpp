// Each start-up mode shows its screen as the window it belongs in, and leaves it by the keys the
// screen knows.
#include <gtest/gtest.h>

#include "platform/afx/win_thread.h"
#include "platform/afx/wnd.h"
#include "platform/gwes/surface.h"
#include "res/resource.h"
#include "tests/screens/screen_fixture.h"

namespace {

using screens_test::ScreenTest;

class StartUpScreens : public ScreenTest {};

TEST_F(StartUpScreens, TheMainMenuFillsTheScreenAsTheMainWindowWithTheProgramsIcon) {
  HWND menu = nullptr;
  Run(u"", {[&] {
              menu = TopWindow();
              RECT rect = WindowRect(menu);
              EXPECT_EQ(rect.left, 0);
              EXPECT_EQ(rect.top, 0);
              EXPECT_EQ(rect.right, gwes::kScreenWidth);
              EXPECT_EQ(rect.bottom, gwes::kScreenHeight);
              EXPECT_EQ(AfxGetMainWnd()->m_hWnd, menu);
              WCHAR title[32] = {};
              GetWindowTextW(menu, title, 32);
              EXPECT_EQ(std::u16string(title), u"QuorvaneUtility");
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
