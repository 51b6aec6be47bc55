// The main menu as a person works it: the first display, the keys between the two rows, the title
// that follows the focus, pages opened and left, and every way out.
#include <gtest/gtest.h>

#include "platform/afx/wnd.h"
#include "platform/gwes/surface.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/sync_objects.h"
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
  static std::u16string Title() {
    WCHAR text[64] = {};
    GetWindowTextW(Item(IDC_MENU_TITLE), text, 64);
    return text;
  }
  // Whether the 54 x 59 button at (x, y) shows face `id` (checked at a few points).
  static bool ShowsFace(POINT at, UINT id) {
    for (POINT p : {POINT{27, 5}, POINT{27, 29}, POINT{10, 40}, POINT{45, 50}}) {
      if (Pixel(at.x + p.x, at.y + p.y) != BitmapPixel(id, p.x, p.y)) return false;
    }
    return true;
  }
};

TEST_F(MainMenuTest, FirstShowsTheBacklightButtonFocusedUnderItsTitle) {
  Run(u"", {[] {
              EXPECT_EQ(FocusId(), IDC_MENU_BACKLIGHT);
              EXPECT_EQ(Title(), u"Backlight");
              EXPECT_TRUE(ShowsFace({25, 77}, IDB_MENU_BACKLIGHT_SELECTED));    // focus face
              EXPECT_TRUE(ShowsFace({99, 77}, IDB_MENU_VOLUME_NORMAL));    // the others their normal faces
              EXPECT_TRUE(ShowsFace({173, 153}, IDB_MENU_BACK_NORMAL));
              EXPECT_NE(dynamic_cast<CMainMenuDlg*>(CWnd::FromHandlePermanent(TopWindow())), nullptr);
              // The program's icon, large and small.
              LRESULT big = SendMessageW(TopWindow(), WM_GETICON, ICON_BIG, 0);
              EXPECT_NE(big, 0);
              EXPECT_EQ(SendMessageW(TopWindow(), WM_GETICON, ICON_SMALL, 0), big);
              Key(VK_ESCAPE);
            }});
}

TEST_F(MainMenuTest, UpAndDownMoveBetweenTheRowsLeftAndRightAlongTheTabOrder) {
  struct Move {
    int from;
    BYTE key;
    int to;
  };
  const Move moves[] = {
      {IDC_MENU_BACKLIGHT, VK_DOWN, IDC_MENU_DATE_TIME}, {IDC_MENU_VOLUME, VK_DOWN, IDC_MENU_LANGUAGE}, {IDC_MENU_CALIBRATION, VK_DOWN, IDC_MENU_EXIT}, {IDC_MENU_POWER, VK_DOWN, IDC_MENU_EXIT},
      {IDC_MENU_DATE_TIME, VK_UP, IDC_MENU_BACKLIGHT},   {IDC_MENU_LANGUAGE, VK_UP, IDC_MENU_VOLUME},   {IDC_MENU_EXIT, VK_UP, IDC_MENU_CALIBRATION},
      // Nothing lies above the upper row or below the lower one.
      {IDC_MENU_POWER, VK_UP, IDC_MENU_POWER},   {IDC_MENU_DATE_TIME, VK_DOWN, IDC_MENU_DATE_TIME}, {IDC_MENU_EXIT, VK_DOWN, IDC_MENU_EXIT},
      // The dialog manager walks the tab order.
      {IDC_MENU_BACKLIGHT, VK_RIGHT, IDC_MENU_VOLUME}, {IDC_MENU_DATE_TIME, VK_LEFT, IDC_MENU_POWER},
  };
  std::deque<std::function<void()>> steps;
  for (const Move& move : moves) {
    steps.push_back([move] {
      SetFocus(Item(move.from));
      Key(move.key);
    });
    steps.push_back([move] { EXPECT_EQ(FocusId(), move.to) << move.from << " key " << int{move.key}; });
  }
  steps.push_back([] {
    SetFocus(Item(IDC_MENU_LANGUAGE));
  });
  steps.push_back([] {
    EXPECT_EQ(Title(), u"Switch Language");
    EXPECT_TRUE(ShowsFace({99, 153}, IDB_MENU_LANGUAGE_SELECTED));
    EXPECT_TRUE(ShowsFace({25, 77}, IDB_MENU_BACKLIGHT_NORMAL));
    SetFocus(Item(IDC_MENU_EXIT));
  });
  steps.push_back([] {
    EXPECT_EQ(Title(), u"Back");
    Key(VK_RETURN);  // Enter on the exit button leaves
  });
  Run(u"", std::move(steps));
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
              RECT page = WindowRect(TopWindow());
              EXPECT_EQ(page.right - page.left, gwes::kScreenWidth);
              EXPECT_EQ(Pixel(300, 230), BitmapPixel(IDB_BACKLIGHT_BACKGROUND, 300, 230));
              Key(VK_DEVICE_CANCEL);  // the device cancel key leaves the page only
            },
            [&] {
              EXPECT_EQ(TopWindow(), menu);
              EXPECT_TRUE(IsWindowEnabled(menu));
              EXPECT_EQ(FocusId(), IDC_MENU_BACKLIGHT);
              EXPECT_EQ(Title(), u"Backlight");
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

TEST_F(MainMenuTest, MessagesShowBesideAnotherInstanceTheMenuDoesNot) {
  HANDLE other = CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
  ASSERT_NE(other, nullptr);
  Run(u"", {});  // the menu's mode ends at once: no step is taken
  Run(u"-SelTimezone", {});
  Run(u"-NoDataMsg", {[] {
                        WCHAR text[64] = {};
                        GetWindowTextW(GetDlgItem(TopWindow(), IDC_MESSAGE_TEXT), text, 64);
                        EXPECT_EQ(std::u16string(text), u"Can't find Navigator files in SD card!");
                        Key(VK_RETURN);
                      }});
  CloseHandle(other);
}

}  // namespace
