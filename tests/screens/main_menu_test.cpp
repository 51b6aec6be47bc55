// The main menu as a person works it: the keys between the two rows, pages opened and left, and
// every way out. How it looks with each button focused is in the golden images.
#include <gtest/gtest.h>

#include "platform/afx/win_thread.h"
#include "platform/afx/wnd.h"
#include "platform/gwes/surface.h"
#include "res/resource.h"
#include "screens/backlight_dlg.h"
#include "screens/main_menu_dlg.h"
#include "tests/screens/screen_fixture.h"

namespace {

using screens_test::ScreenTest;

class MainMenuTest : public ScreenTest {
 protected:
  static HWND Item(int id) { return GetDlgItem(TopWindow(), id); }
  static int FocusId() { return GetDlgCtrlID(GetFocus()); }
};

// The menu is the foreground main window with the program's icon, large and small, and goes with
// the program; Up and Down move between its rows, Left and Right along the tab order.
TEST_F(MainMenuTest, UpAndDownMoveBetweenTheRowsLeftAndRightAlongTheTabOrder) {
  // Each row: the focus, a key, and where the focus is then. Nothing lies above the upper row or
  // below the lower one; Left and Right are the dialog manager's walk along the tab order.
  const struct { int from; BYTE key; int to; } moves[] = {
      {IDC_MENU_BACKLIGHT, VK_DOWN, IDC_MENU_DATE_TIME}, {IDC_MENU_VOLUME, VK_DOWN, IDC_MENU_LANGUAGE},
      {IDC_MENU_CALIBRATION, VK_DOWN, IDC_MENU_EXIT},    {IDC_MENU_POWER, VK_DOWN, IDC_MENU_EXIT},
      {IDC_MENU_DATE_TIME, VK_UP, IDC_MENU_BACKLIGHT},   {IDC_MENU_LANGUAGE, VK_UP, IDC_MENU_VOLUME},
      {IDC_MENU_EXIT, VK_UP, IDC_MENU_CALIBRATION},      {IDC_MENU_POWER, VK_UP, IDC_MENU_POWER},
      {IDC_MENU_DATE_TIME, VK_DOWN, IDC_MENU_DATE_TIME}, {IDC_MENU_EXIT, VK_DOWN, IDC_MENU_EXIT},
      {IDC_MENU_BACKLIGHT, VK_RIGHT, IDC_MENU_VOLUME},   {IDC_MENU_DATE_TIME, VK_LEFT, IDC_MENU_POWER},
  };
  HWND menu = nullptr;
  std::deque<std::function<void()>> steps = {[&] {
    menu = TopWindow();
    EXPECT_EQ(AfxGetMainWnd()->m_hWnd, menu);
    EXPECT_EQ(GetForegroundWindow(), menu);
    LRESULT big = SendMessageW(menu, WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(big, 0);
    EXPECT_EQ(SendMessageW(menu, WM_GETICON, ICON_SMALL, 0), big);
  }};
  for (const auto& move : moves) {
    steps.push_back([move] {
      SetFocus(Item(move.from));
      Key(move.key);
    });
    steps.push_back([move] { EXPECT_EQ(FocusId(), move.to) << move.from << " key " << int{move.key}; });
  }
  steps.push_back([] {
    SetFocus(Item(IDC_MENU_EXIT));
    Key(VK_RETURN);  // Enter on the exit button leaves
  });
  Run(u"", std::move(steps));
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
  EXPECT_FALSE(exitFlag);
}

TEST_F(MainMenuTest, APageRunsOverTheDisabledMenuAndGivesTheFocusBackToItsButton) {
  HWND menu = nullptr;
  Run(u"", {[&] {
              menu = TopWindow();
              SetFocus(Item(IDC_MENU_POWER));
              Tap(25 + 27, 77 + 30);  // the backlight button
            },
            [&] {
              EXPECT_NE(dynamic_cast<CBacklightDlg*>(CWnd::FromHandlePermanent(TopWindow())), nullptr);
              EXPECT_FALSE(IsWindowEnabled(menu));
              Key(VK_DEVICE_CANCEL);  // the device cancel key leaves the page only
            },
            [&] {
              EXPECT_EQ(TopWindow(), menu);
              EXPECT_TRUE(IsWindowEnabled(menu));
              EXPECT_EQ(FocusId(), IDC_MENU_BACKLIGHT);
              Tap(173 + 27, 153 + 30);  // the exit button
            }});
  EXPECT_FALSE(exitFlag);
}

TEST_F(MainMenuTest, TheDeviceCloseKeyOnAPageEndsThePageThenTheMenuWithTheExitFlag) {
  HWND menu = nullptr;
  Run(u"", {[&] {
              menu = TopWindow();
              SetFocus(Item(IDC_MENU_DATE_TIME));
              Key(VK_RETURN);  // Enter opens the date and time page
            },
            [&] {
              HWND page = TopWindow();
              ASSERT_NE(page, menu);
              EXPECT_TRUE(IsChild(page, GetFocus()));  // the page has the keys now
              Key(VK_DEVICE_CLOSE);
            }});
  EXPECT_TRUE(exitFlag);
}

}  // namespace
