#include "platform/gwes/window.h"

#include <gtest/gtest.h>

#include "platform/gwes/focus.h"
#include "platform/kernel/last_error.h"
#include "tests/platform/gwes/message_log.h"

using gwes_test::MakeWindow;
using gwes_test::MessageLog;
using Log = std::vector<std::string>;

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { gwes_test::DestroyAllWindows(); }
  void TearDown() override { gwes_test::DestroyAllWindows(); }
  MessageLog& log = MessageLog::Get();
};

TEST_F(WindowTest, CreationSendsCreateSizeMoveThenShowsAVisibleWindow) {
  HWND top = MakeWindow("top", WS_VISIBLE, nullptr, {10, 20, 110, 70});
  EXPECT_EQ(log.Take(), (Log{"top:WM_CREATE:*:*", "top:WM_SIZE:0:3276900", "top:WM_MOVE:0:1310730",
                             "top:WM_SHOWWINDOW:1:0", "top:WM_WINDOWPOSCHANGING:0:0x43", "top:WM_ACTIVATE:1:0",
                             "top:WM_SETFOCUS:0:0", "top:WM_WINDOWPOSCHANGED:0:0x1843"}));
  MakeWindow("child", WS_CHILD | WS_VISIBLE, top, {1, 2, 11, 12}, 7);
  EXPECT_EQ(log.Take(), (Log{"child:WM_CREATE:*:*", "child:WM_SIZE:0:655370", "child:WM_MOVE:0:131073",
                             "child:WM_SHOWWINDOW:1:0", "child:WM_WINDOWPOSCHANGING:0:0x57",
                             "child:WM_WINDOWPOSCHANGED:0:0x1857"}));
  HWND hidden = MakeWindow("hidden", WS_CHILD, top, {0, 0, 5, 5}, 8);
  EXPECT_EQ(log.Take(), (Log{"hidden:WM_CREATE:*:*", "hidden:WM_SIZE:0:327685", "hidden:WM_MOVE:0:0"}));
  EXPECT_FALSE(IsWindowVisible(hidden));

  // A child without a parent, an unknown class and a refused WM_CREATE give no window.
  EXPECT_EQ(CreateWindowExW(0, gwes_test::kRecordingClass, u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    return msg == WM_CREATE ? -1 : gwes_test::RecordingProc(hwnd, msg, w, l);
  };
  wc.lpszClassName = u"Refusing";
  RegisterClassW(&wc);
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  log.Clear();
  log.NameNext("refused");
  EXPECT_EQ(CreateWindowExW(0, u"REFUSING", u"", WS_VISIBLE, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(log.Take(), (Log{"refused:WM_DESTROY:0:0", "refused:WM_NCDESTROY:0:0"}));
}

TEST_F(WindowTest, DestroySendsDestroyParentFirstAndNcDestroyChildrenFirstThenTheHandleIsDead) {
  HWND owner = MakeWindow("owner", WS_VISIBLE);
  HWND top = MakeWindow("top", WS_VISIBLE | WS_POPUP, owner);
  HWND a = MakeWindow("a", WS_CHILD | WS_VISIBLE, top, {0, 0, 50, 50}, 1);
  HWND b = MakeWindow("b", WS_CHILD | WS_VISIBLE, top, {50, 0, 100, 50}, 2);
  HWND b1 = MakeWindow("b1", WS_CHILD | WS_VISIBLE, b, {0, 0, 10, 10}, 3);
  HWND popup = MakeWindow("popup", WS_POPUP, top);
  SetFocus(b1);
  SetCapture(a);
  PostMessageW(b1, WM_USER, 0, 0);
  log.Clear();
  log.Ignore({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_PAINT, WM_ERASEBKGND});
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_EQ(log.Take(), (Log{"top:WM_ACTIVATE:0:owner", "owner:WM_ACTIVATE:1:top", "b1:WM_KILLFOCUS:owner:0",
                             "owner:WM_SETFOCUS:b1:0", "popup:WM_DESTROY:0:0", "popup:WM_NCDESTROY:0:0",
                             "top:WM_DESTROY:0:0", "a:WM_CAPTURECHANGED:0:0", "a:WM_DESTROY:0:0",
                             "b:WM_DESTROY:0:0", "b1:WM_DESTROY:0:0", "a:WM_NCDESTROY:0:0", "b1:WM_NCDESTROY:0:0",
                             "b:WM_NCDESTROY:0:0", "top:WM_NCDESTROY:0:0"}));
  for (HWND dead : {top, a, b, b1, popup}) EXPECT_FALSE(IsWindow(dead));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_EQ(gwes::TopLevelWindowList(), std::vector<HWND>{owner});
  SetLastError(0);
  EXPECT_EQ(SendMessageW(b1, WM_USER, 0, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(PostMessageW(b1, WM_USER, 0, 0));
  gwes_test::Pump();  // the message posted before the window died is never delivered
  EXPECT_EQ(log.Take(), Log{});
  EXPECT_FALSE(DestroyWindow(top));
}

// Subclassing through GWL_WNDPROC is the framework's binding of objects to windows, tested there.
TEST_F(WindowTest, WindowLongsKeepDialogSlotsApartAndRefuseBadIndexes) {
  HWND top = MakeWindow("top", 0);
  HWND child = MakeWindow("child", WS_CHILD, top, {0, 0, 5, 5}, 42);
  EXPECT_EQ(GetWindowLongW(child, GWL_HWNDPARENT), reinterpret_cast<LONG_PTR>(top));
  for (int index : {DWL_MSGRESULT, DWL_DLGPROC, DWL_USER}) SetWindowLongW(top, index, 0x100000000LL + index);
  EXPECT_EQ(GetWindowLongW(top, DWL_USER), 0x100000000LL + DWL_USER);
  EXPECT_EQ(GetWindowLongW(top, DWL_MSGRESULT), 0x100000000LL + DWL_MSGRESULT);
  for (int bad : {2, DLGWINDOWEXTRA, -100}) {
    SetLastError(0);
    EXPECT_EQ(GetWindowLongW(top, bad), 0) << bad;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX) << bad;
  }
}

TEST_F(WindowTest, RelationsTextAndLookupByTitle) {
  HWND owner = MakeWindow("owner", 0);
  HWND popup = MakeWindow("popup", WS_POPUP, owner);
  HWND plain = MakeWindow("plain", 0);
  HWND c1 = MakeWindow("c1", WS_CHILD, owner, {0, 0, 1, 1}, 1);
  HWND c2 = MakeWindow("c2", WS_CHILD, owner, {0, 0, 1, 1}, 2);
  HWND c3 = MakeWindow("c3", WS_CHILD, owner, {0, 0, 1, 1}, 3);
  HWND inner = MakeWindow("inner", WS_CHILD, c2, {0, 0, 1, 1}, 4);
  EXPECT_EQ(GetParent(popup), owner);  // a popup's parent is its owner
  EXPECT_EQ(GetParent(plain), nullptr);
  // Children keep creation order from the top (a dialog's tab order).
  EXPECT_EQ((std::vector<HWND>{GetWindow(owner, GW_CHILD), GetWindow(c1, GW_HWNDNEXT), GetWindow(c3, GW_HWNDNEXT),
                               GetWindow(c3, GW_HWNDPREV), GetWindow(c2, GW_HWNDLAST), GetWindow(c3, GW_HWNDFIRST)}),
            (std::vector<HWND>{c1, c2, nullptr, c2, c3, c1}));
  EXPECT_TRUE(IsChild(owner, inner));
  EXPECT_FALSE(IsChild(owner, popup));
  EXPECT_EQ(GetDlgItem(owner, 4), nullptr);  // only direct children
  EXPECT_EQ(gwes::TopLevelWindowList(), (std::vector<HWND>{plain, popup, owner}));

  log.Clear();
  EXPECT_TRUE(SetWindowTextW(popup, u"Settings"));
  WCHAR buffer[5];
  EXPECT_EQ(GetWindowTextW(popup, buffer, 5), 4);
  EXPECT_EQ(std::u16string(buffer), u"Sett");
  EXPECT_EQ(GetWindowTextLengthW(popup), 8);
  EXPECT_EQ(log.Take(), (Log{"popup:WM_SETTEXT:*:*", "popup:WM_GETTEXT:5:*", "popup:WM_GETTEXTLENGTH:0:0"}));
  EXPECT_EQ(FindWindowW(nullptr, u"SETTINGS"), popup);
  EXPECT_EQ(FindWindowW(gwes_test::kRecordingClass, u"Settings"), popup);
  EXPECT_EQ(FindWindowW(gwes_test::kRecordingDblClass, u"Settings"), nullptr);
  EXPECT_FALSE(UnregisterClassW(gwes_test::kRecordingClass, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
}

TEST_F(WindowTest, EnablingSendsWmEnableAndDisablingAnAncestorTakesFocusAndCapture) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  HWND group = MakeWindow("group", WS_CHILD | WS_VISIBLE, top, {0, 0, 100, 100}, 1);
  HWND edit = MakeWindow("edit", WS_CHILD | WS_VISIBLE, group, {0, 0, 10, 10}, 2);
  SetFocus(edit);
  SetCapture(group);
  log.Clear();
  EXPECT_FALSE(EnableWindow(group, FALSE));
  EXPECT_EQ(log.Take(), (Log{"group:WM_CANCELMODE:0:0", "group:WM_CAPTURECHANGED:0:0", "edit:WM_KILLFOCUS:0:0",
                             "group:WM_ENABLE:0:0"}));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(edit));  // only the window's own style counts
  EXPECT_TRUE(EnableWindow(group, FALSE));
  EXPECT_EQ(log.Take(), Log{});  // no change, no message
  EXPECT_TRUE(EnableWindow(group, TRUE));
  EXPECT_FALSE(EnableWindow(group, TRUE));
  EXPECT_EQ(log.Take(), (Log{"group:WM_ENABLE:1:0"}));
  ShowWindow(top, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(edit));  // an ancestor is hidden
  EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(WindowTest, SetWindowPosMovesSizesAndSendsOnlyWhatChanged) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  HWND child = MakeWindow("child", WS_CHILD | WS_VISIBLE, top, {10, 10, 30, 30}, 1);
  log.Clear();
  log.Ignore({WM_PAINT, WM_ERASEBKGND});
  EXPECT_TRUE(MoveWindow(child, 20, 10, 20, 20, TRUE));
  EXPECT_EQ(log.Take(), (Log{"child:WM_WINDOWPOSCHANGING:0:0x15", "child:WM_WINDOWPOSCHANGED:0:0x815",
                             "child:WM_MOVE:0:655380"}));
  EXPECT_TRUE(SetWindowPos(child, nullptr, 0, 0, 40, 25, SWP_NOMOVE | SWP_NOZORDER));
  EXPECT_EQ(log.Take(), (Log{"child:WM_WINDOWPOSCHANGING:0:0x6", "child:WM_WINDOWPOSCHANGED:0:0x1006",
                             "child:WM_SIZE:0:1638440"}));
  EXPECT_TRUE(SetWindowPos(child, nullptr, 20, 10, 40, 25, SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_EQ(log.Take(), (Log{"child:WM_WINDOWPOSCHANGING:0:0x17"}));  // nothing changed: no CHANGED

  EXPECT_EQ(gwes_test::Edges(child), (std::vector<LONG>{20, 10, 60, 35}));
  SetWindowPos(top, nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(gwes_test::Edges(child), (std::vector<LONG>{120, 60, 160, 85}));
  POINT screen{5, 6}, client{125, 66};
  ClientToScreen(child, &screen);
  ScreenToClient(top, &client);
  EXPECT_EQ((std::vector<LONG>{screen.x, screen.y, client.x, client.y}), (std::vector<LONG>{125, 66, 25, 16}));
}

TEST_F(WindowTest, TopMostWindowsStayAboveAndOwnedWindowsAboveTheirOwner) {
  HWND a = MakeWindow("a", WS_VISIBLE);
  HWND pinned = MakeWindow("pinned", WS_VISIBLE, nullptr, {0, 0, 50, 50}, 0, gwes_test::kRecordingClass, WS_EX_TOPMOST);
  HWND b = MakeWindow("b", WS_VISIBLE);
  // Each step puts a window at a place in the z-order; the list is the order from the top after it.
  auto place = [](HWND hwnd, HWND after, UINT flags = SWP_NOACTIVATE) {
    SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | flags);
    return gwes::TopLevelWindowList();
  };
  EXPECT_EQ(gwes::TopLevelWindowList(), (std::vector<HWND>{pinned, b, a}));
  EXPECT_EQ(place(a, HWND_TOP, 0), (std::vector<HWND>{pinned, a, b}));
  EXPECT_EQ(GetActiveWindow(), a);  // a z-order request without SWP_NOACTIVATE activates
  EXPECT_EQ(place(b, HWND_TOPMOST), (std::vector<HWND>{b, pinned, a}));
  EXPECT_TRUE(GetWindowLongW(b, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(place(pinned, HWND_NOTOPMOST), (std::vector<HWND>{b, pinned, a}));
  EXPECT_EQ(place(b, HWND_BOTTOM), (std::vector<HWND>{pinned, a, b}));
  EXPECT_FALSE(GetWindowLongW(b, GWL_EXSTYLE) & WS_EX_TOPMOST);

  HWND dialog = MakeWindow("dialog", WS_VISIBLE | WS_POPUP, b, {10, 10, 20, 20});
  gwes_test::Pump();
  EXPECT_EQ(place(b, HWND_TOP), (std::vector<HWND>{dialog, b, pinned, a}));
  RECT update;
  EXPECT_TRUE(GetUpdateRect(dialog, &update, FALSE));  // raised over its owner, it repaints
}

TEST_F(WindowTest, HitTestingFindsTheDeepestVisibleWindowAndChildWindowFromPointAnyChild) {
  HWND back = MakeWindow("back", WS_VISIBLE);
  HWND front = MakeWindow("front", WS_VISIBLE, nullptr, {100, 100, 200, 200});
  HWND panel = MakeWindow("panel", WS_CHILD | WS_VISIBLE, front, {0, 0, 60, 60}, 1);
  HWND button = MakeWindow("button", WS_CHILD | WS_VISIBLE, panel, {10, 10, 30, 30}, 2);
  HWND hidden = MakeWindow("hidden", WS_CHILD, front, {60, 0, 100, 50}, 3);
  HWND off = MakeWindow("off", WS_CHILD | WS_VISIBLE | WS_DISABLED, front, {60, 50, 100, 100}, 4);
  EXPECT_EQ(WindowFromPoint({115, 115}), button);
  EXPECT_EQ(WindowFromPoint({130, 130}), panel);  // right and bottom edges are outside
  EXPECT_EQ(WindowFromPoint({170, 110}), front);
  EXPECT_EQ(WindowFromPoint({170, 170}), front);  // disabled: the point falls to the parent
  EXPECT_EQ(WindowFromPoint({50, 50}), back);
  EXPECT_EQ(ChildWindowFromPoint(front, {70, 10}), hidden);  // includes hidden and disabled
  EXPECT_EQ(ChildWindowFromPoint(front, {70, 70}), off);
  EXPECT_EQ(ChildWindowFromPoint(front, {150, 0}), nullptr);
  ShowWindow(front, SW_HIDE);
  EXPECT_EQ(WindowFromPoint({115, 115}), back);
}

}  // namespace
