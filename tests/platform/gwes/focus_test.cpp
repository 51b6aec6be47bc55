#include "platform/gwes/focus.h"

#include <gtest/gtest.h>

#include "tests/platform/gwes/message_log.h"

using gwes_test::MakeWindow;
using gwes_test::MessageLog;
using Log = std::vector<std::string>;

namespace {

class FocusTest : public ::testing::Test {
 protected:
  void SetUp() override { gwes_test::DestroyAllWindows(); }
  void TearDown() override { gwes_test::DestroyAllWindows(); }
  MessageLog& log = MessageLog::Get();
};

// Focus and capture changes are told to the window losing them, the focus before the new window hears.
TEST_F(FocusTest, KillFocusGoesToTheOldWindowBeforeSetFocusToTheNewAndCaptureChangesAreAnnounced) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  HWND a = MakeWindow("a", WS_CHILD | WS_VISIBLE, top, {0, 0, 10, 10}, 1);
  HWND b = MakeWindow("b", WS_CHILD | WS_VISIBLE, top, {10, 0, 20, 10}, 2);
  EXPECT_EQ(SetFocus(a), top);
  log.Clear();
  // During WM_KILLFOCUS the focus already belongs to the new window.
  log.React(a, WM_KILLFOCUS, [&](WPARAM, LPARAM) -> LRESULT {
    EXPECT_EQ(GetFocus(), b);
    return 0;
  });
  EXPECT_EQ(SetFocus(b), a);
  EXPECT_EQ(log.Take(), (Log{"a:WM_KILLFOCUS:b:0", "b:WM_SETFOCUS:a:0"}));
  EXPECT_EQ(SetFocus(b), b);
  EXPECT_EQ(log.Take(), Log{});  // already focused: nothing is sent
  EXPECT_EQ(SetFocus(nullptr), b);
  EXPECT_EQ(log.Take(), (Log{"b:WM_KILLFOCUS:0:0"}));
  EXPECT_EQ(GetFocus(), nullptr);

  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(SetCapture(b), b);
  EXPECT_EQ(GetCapture(), b);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(log.Take(), (Log{"a:WM_CAPTURECHANGED:0:b", "b:WM_CAPTURECHANGED:0:0"}));
}

TEST_F(FocusTest, DisabledWindowsNeverTakeTheFocusHiddenOnesDo) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  HWND panel = MakeWindow("panel", WS_CHILD | WS_VISIBLE | WS_DISABLED, top, {0, 0, 50, 50}, 1);
  HWND inside = MakeWindow("inside", WS_CHILD | WS_VISIBLE, panel, {0, 0, 10, 10}, 2);
  HWND hidden = MakeWindow("hidden", WS_CHILD, top, {0, 0, 10, 10}, 3);
  HWND shown = MakeWindow("shown", WS_CHILD | WS_VISIBLE, top, {60, 0, 70, 10}, 4);
  log.Clear();
  EXPECT_EQ(SetFocus(panel), nullptr);
  EXPECT_EQ(SetFocus(inside), nullptr);
  EXPECT_EQ(GetFocus(), top);
  EXPECT_EQ(log.Take(), Log{});
  // A hidden control takes the keys all the same.
  EXPECT_EQ(SetFocus(hidden), top);
  EXPECT_EQ(GetFocus(), hidden);
  SetFocus(top);

  // Hiding the focus window gives the focus to its parent.
  SetFocus(shown);
  log.Clear();
  log.Ignore({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_PAINT, WM_ERASEBKGND});
  ShowWindow(shown, SW_HIDE);
  EXPECT_EQ(log.Take(), (Log{"shown:WM_SHOWWINDOW:0:0", "shown:WM_KILLFOCUS:top:0", "top:WM_SETFOCUS:shown:0"}));
}

TEST_F(FocusTest, ActivationMovesBetweenTopLevelWindowsAndCarriesTheFocus) {
  log.Ignore({WM_CREATE, WM_SIZE, WM_MOVE, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_PAINT, WM_ERASEBKGND,
              WM_SHOWWINDOW});
  HWND main = MakeWindow("main", WS_VISIBLE);
  HWND button = MakeWindow("button", WS_CHILD | WS_VISIBLE, main, {0, 0, 10, 10}, 1);
  SetFocus(button);
  log.Clear();
  HWND dialog = MakeWindow("dialog", WS_VISIBLE | WS_POPUP, main, {20, 20, 200, 200});
  HWND edit = MakeWindow("edit", WS_CHILD | WS_VISIBLE, dialog, {0, 0, 10, 10}, 2);
  EXPECT_EQ(log.Take(), (Log{"main:WM_ACTIVATE:0:dialog", "dialog:WM_ACTIVATE:1:main", "button:WM_KILLFOCUS:dialog:0",
                             "dialog:WM_SETFOCUS:button:0"}));
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(GetForegroundWindow(), dialog);

  // Focusing a window of an inactive top-level window activates that window first (which focuses
  // it), so the previous focus returned is that window.
  EXPECT_EQ(SetFocus(button), main);
  EXPECT_EQ(log.Take(), (Log{"dialog:WM_ACTIVATE:0:main", "main:WM_ACTIVATE:1:dialog", "dialog:WM_KILLFOCUS:main:0",
                             "main:WM_SETFOCUS:dialog:0", "main:WM_KILLFOCUS:button:0",
                             "button:WM_SETFOCUS:main:0"}));
  EXPECT_EQ(SetActiveWindow(edit), main);  // a child is never active
  SetActiveWindow(dialog);
  SetFocus(edit);
  log.Clear();

  // Hiding the active popup activates its owner.
  ShowWindow(dialog, SW_HIDE);
  EXPECT_EQ(log.Take(), (Log{"dialog:WM_ACTIVATE:0:main", "main:WM_ACTIVATE:1:dialog", "edit:WM_KILLFOCUS:main:0",
                             "main:WM_SETFOCUS:edit:0"}));
  EXPECT_TRUE(SetForegroundWindow(dialog));
  EXPECT_EQ(gwes::TopLevelWindowList().front(), dialog);
  EXPECT_EQ(GetActiveWindow(), dialog);
}

// The window calls a modal dialog makes, in their order: the owner is disabled under the dialog
// and, enabled again before the dialog goes, takes the activation back.
TEST_F(FocusTest, AModalPopupTakesActivationFromItsDisabledOwnerAndGivesItBack) {
  HWND main = MakeWindow("main", WS_VISIBLE);
  HWND list = MakeWindow("list", WS_CHILD | WS_VISIBLE, main, {0, 0, 10, 10}, 1);
  SetFocus(list);
  EnableWindow(main, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  HWND dialog = MakeWindow("dialog", WS_VISIBLE | WS_POPUP, main, {20, 20, 200, 200});
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(GetFocus(), dialog);
  EXPECT_EQ(SetActiveWindow(main), dialog);  // Win32 lets a disabled window be activated...
  EXPECT_EQ(GetFocus(), nullptr);            // ...but it cannot take the focus
  SetActiveWindow(dialog);
  log.Clear();
  log.Ignore({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_PAINT, WM_ERASEBKGND});
  EnableWindow(main, TRUE);
  DestroyWindow(dialog);
  EXPECT_EQ(log.Take(), (Log{"main:WM_ENABLE:1:0", "dialog:WM_ACTIVATE:0:main", "main:WM_ACTIVATE:1:dialog",
                             "dialog:WM_KILLFOCUS:main:0", "main:WM_SETFOCUS:dialog:0", "dialog:WM_DESTROY:0:0",
                             "dialog:WM_NCDESTROY:0:0"}));
  EXPECT_EQ(GetActiveWindow(), main);
}

}  // namespace
