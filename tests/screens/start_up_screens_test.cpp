// A message shown on its own at start-up is the top-most window, with no main window. The main
// menu's start is the main menu test's.
#include <gtest/gtest.h>

#include "platform/afx/win_thread.h"
#include "platform/afx/wnd.h"
#include "res/resource.h"
#include "tests/screens/screen_fixture.h"

namespace {

using screens_test::ScreenTest;

class StartUpScreens : public ScreenTest {};

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
