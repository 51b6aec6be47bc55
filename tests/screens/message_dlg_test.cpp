// The message dialog opened by a page while the main menu is the main window: Enter and the device
// close key have their own rules then, and only then.
#include <gtest/gtest.h>

#include "platform/afx/winapp.h"
#include "platform/afx/wnd.h"
#include "platform/gwes/surface.h"
#include "platform/gwes/window_class.h"
#include "res/resource.h"
#include "screens/message_dlg.h"
#include "tests/screens/screen_fixture.h"

namespace {

using screens_test::ScreenTest;

class MessageDlgTest : public ScreenTest {
 protected:
  MessageDlgTest() {
    main.CreateEx(0, nullptr, u"QuorvaneUtility", WS_POPUP | WS_VISIBLE, 0, 0, gwes::kScreenWidth, gwes::kScreenHeight, nullptr, 0);
    app.m_pMainWnd = &main;
  }
  ~MessageDlgTest() override { app.m_pMainWnd = nullptr; }

  // Whether a close request for the main window waits in the queue (taking it).
  bool CloseRequestPosted() {
    MSG msg;
    return PeekMessageW(&msg, main.m_hWnd, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
  }

  CWinApp app;
  CWnd main;
};

TEST_F(MessageDlgTest, EnterBringsTheMainWindowForwardAndEndsWithOk) {
  CMessageDlg message;
  message.SetTextId(IDS_CALIBRATION_SUCCEEDED);
  EXPECT_EQ(RunDialog(message, {[&] {
                                  EXPECT_EQ(message.m_pMainWndAtInit, &main);
                                  EXPECT_EQ(GetForegroundWindow(), TopWindow());  // the dialog
                                  Key(VK_RETURN);
                                }}),
            IDOK);
  EXPECT_EQ(GetForegroundWindow(), main.m_hWnd);
  EXPECT_FALSE(CloseRequestPosted());
}

TEST_F(MessageDlgTest, TheCloseKeyEndsWithCancelAndAsksTheMainWindowToClose) {
  CMessageDlg message;
  message.SetTextId(IDS_CALIBRATION_SUCCEEDED);
  EXPECT_EQ(RunDialog(message, {[] { Key(VK_DEVICE_CLOSE); }}), IDCANCEL);
  EXPECT_TRUE(CloseRequestPosted());
}

TEST_F(MessageDlgTest, OnceTheMainWindowChangedTheKeysAreTheDialogManagers) {
  CMessageDlg message;
  message.SetTextId(IDS_SWITCH_FAILED);
  CWnd later;
  later.CreateEx(0, nullptr, u"Later", WS_POPUP, 0, 0, 10, 10, nullptr, 0);
  EXPECT_EQ(RunDialog(message, {[&] {
                                  // That string holds a line break: the text shows on two lines.
                                  HWND label = GetDlgItem(TopWindow(), IDC_MESSAGE_TEXT);
                                  int inkRows = 0, bands = 0;
                                  bool inInk = false;
                                  for (int y = 55 + 15; y < 55 + 65; ++y) {
                                    bool ink = false;
                                    for (int x = 20 + 80; x < 20 + 270 && !ink; ++x) ink = Pixel(x, y) == RGB(255, 255, 255);
                                    inkRows += ink;
                                    bands += ink && !inInk;
                                    inInk = ink;
                                  }
                                  EXPECT_NE(label, nullptr);
                                  EXPECT_EQ(bands, 2);
                                  app.m_pMainWnd = &later;
                                  Key(VK_DEVICE_CLOSE);  // no rule of its own now: nothing happens
                                },
                                [] { Key(VK_RETURN); }}),  // the focused OK button ends it
            IDOK);
  EXPECT_FALSE(CloseRequestPosted());
}

}  // namespace
