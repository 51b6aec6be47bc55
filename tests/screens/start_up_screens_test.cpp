// Each start-up mode shows its screen where it belongs, over its own background, and leaves it by
// the keys the screen knows.
#include <gtest/gtest.h>

#include "platform/afx/win_thread.h"
#include "platform/afx/wnd.h"
#include "platform/gwes/surface.h"
#include "res/resource.h"
#include "tests/screens/screen_fixture.h"

namespace {

using screens_test::ScreenTest;

class StartUpScreens : public ScreenTest {};

TEST_F(StartUpScreens, TheMainMenuFillsTheScreenAsTheMainWindowOverItsBackground) {
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
              // The tools icon at the top left and the brushed metal at the bottom right.
              for (POINT p : {POINT{10, 10}, POINT{40, 5}, POINT{315, 235}}) {
                EXPECT_EQ(Pixel(p.x, p.y), BitmapPixel(IDB_MENU_BACKGROUND, p.x, p.y)) << p.x << "," << p.y;
              }
              Key(VK_ESCAPE);
            }});
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
  EXPECT_FALSE(exitFlag);
}

TEST_F(StartUpScreens, OnlyTheDeviceCloseKeyAndACloseRequestSetTheMenusExitFlag) {
  struct Way {
    const char* name;
    std::function<void()> leave;
    bool flag;
  };
  const Way ways[] = {
      {"escape", [] { Key(VK_ESCAPE); }, false},
      {"device cancel key", [] { Key(VK_DEVICE_CANCEL); }, false},
      {"device close key", [] { Key(VK_DEVICE_CLOSE); }, true},
      {"close request", [] { PostMessageW(TopWindow(), WM_CLOSE, 0, 0); }, true},
  };
  for (const Way& way : ways) {
    Run(u"", {way.leave});
    EXPECT_EQ(exitFlag, way.flag) << way.name;
  }
}

TEST_F(StartUpScreens, TheMessageDialogIsTopMostAtItsPlaceWithThePanelDrawnWhole) {
  Run(u"-LowPowerMsg", {[&] {
                          HWND dialog = TopWindow();
                          RECT rect = WindowRect(dialog);
                          EXPECT_EQ(rect.left, 20);
                          EXPECT_EQ(rect.top, 55);
                          EXPECT_EQ(rect.right - rect.left, 300);
                          EXPECT_EQ(rect.bottom - rect.top, 185);
                          EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
                          EXPECT_EQ(AfxGetMainWnd(), nullptr);
                          // The panel's corners sit at (20, 55) and (299, 184).
                          for (POINT p : {POINT{0, 0}, POINT{279, 129}, POINT{10, 60}, POINT{20, 120}}) {
                            EXPECT_EQ(Pixel(20 + p.x, 55 + p.y), BitmapPixel(IDB_MESSAGE_PANEL, p.x, p.y))
                                << p.x << "," << p.y;
                          }
                          // Below and right of the panel the dialog paints nothing: the empty
                          // screen shows through.
                          EXPECT_EQ(Pixel(20 + 290, 55 + 50), RGB(0, 0, 0));
                          EXPECT_EQ(Pixel(20 + 50, 55 + 150), RGB(0, 0, 0));
                          // OK, focused at start, shows its normal face at (110, 85) of the dialog.
                          for (POINT p : {POINT{0, 0}, POINT{29, 14}, POINT{57, 27}}) {
                            EXPECT_EQ(Pixel(20 + 110 + p.x, 55 + 85 + p.y), BitmapPixel(IDB_MESSAGE_OK_NORMAL, p.x, p.y))
                                << p.x << "," << p.y;
                          }
                          Key(VK_ESCAPE);
                        }});
  EXPECT_FALSE(exitFlag);
}

TEST_F(StartUpScreens, APageAloneShowsItsOkAndCancelFacesWhereNothingLiesBeneath) {
  struct Face {
    POINT at;
    UINT normal, focus;
  };
  const Face faces[] = {{{85, 192}, IDB_BUTTON_OK_NORMAL, IDB_BUTTON_OK_FOCUS},
                        {{175, 192}, IDB_BUTTON_CANCEL_NORMAL, IDB_BUTTON_CANCEL_FOCUS}};
  for (const char16_t* mode : {u"-SelTimezone", u"-SelLang"}) {
    Run(mode, {[&] {
          for (const Face& face : faces) {
            for (POINT p : {POINT{2, 2}, POINT{29, 14}, POINT{55, 25}}) {
              COLORREF shown = Pixel(face.at.x + p.x, face.at.y + p.y);
              bool faced = shown == BitmapPixel(face.normal, p.x, p.y) || shown == BitmapPixel(face.focus, p.x, p.y);
              EXPECT_TRUE(faced)
                  << face.at.x << " + " << p.x << "," << p.y;
            }
          }
          Key(VK_ESCAPE);
        }});
  }
}

}  // namespace
