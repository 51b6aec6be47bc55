#include "platform/afx/wnd.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/gwes/controls/static.h"
#include "tests/platform/gwes/message_log.h"

using gwes_test::MessageLog;
using Log = std::vector<std::string>;

namespace {

// Handler notes and window-procedure entries in one list, in the order they happened.
Log g_notes;

Log TakeAll() { return std::exchange(g_notes, {}); }

// Records the handlers the framework calls.
class CLoggingWnd : public CWnd {
 public:
  explicit CLoggingWnd(std::string name) : m_name(std::move(name)) {}

  void OnKeyDown(UINT key, UINT, UINT) override {
    Note("OnKeyDown:" + std::to_string(key));
    if (key != 'X') Default();  // 'X' is swallowed by the object
  }
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    Note("OnCommand:" + std::to_string(LOWORD(wParam)));
    return TRUE;
  }
  HBRUSH OnCtlColor(HDC, HWND, UINT kind) override {
    Note(std::string("OnCtlColor:") + (kind == CTLCOLOR_STATIC ? "CTLCOLOR_STATIC" : "other"));
    return nullptr;
  }
  void OnDrawItem(int id, LPARAM) override { Note("OnDrawItem:" + std::to_string(id)); }
  // Notes what it is offered and leaves it to the parent.
  BOOL OnChildNotify(UINT msg, WPARAM, LPARAM, LRESULT*) override {
    Note(std::string("OnChildNotify:") + (msg == WM_COMMAND ? "WM_COMMAND" : "other"));
    return FALSE;
  }
  int OnCreate(CREATESTRUCTW* create) override {
    Note("OnCreate");
    return m_refuseCreate ? -1 : CWnd::OnCreate(create);
  }
  void OnDestroy() override {
    Note(std::string("OnDestroy:") + (m_hWnd ? "bound" : "unbound"));
    CWnd::OnDestroy();
  }
  void PostNcDestroy() override {
    Note(std::string("PostNcDestroy:") + (m_hWnd ? "bound" : "unbound"));
    if (m_deleteSelf) delete this;
  }

  bool m_refuseCreate = false;
  bool m_deleteSelf = false;

 private:
  void Note(const std::string& text) { g_notes.push_back(m_name + "." + text); }
  std::string m_name;
};

// Windows of the "NotingRecorder" class put their recording procedure's entries into the notes as
// they happen.
class WndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gwes_test::DestroyAllWindows();
    g_notes.clear();
    gwes_test::RegisterRecordingClasses();
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      LRESULT result = MessageLog::Get().Record(hwnd, msg, wParam, lParam);
      for (auto& entry : MessageLog::Get().Take()) g_notes.push_back(entry);
      return result;
    };
    wc.lpszClassName = u"NotingRecorder";
    RegisterClassW(&wc);
    MessageLog::Get().Ignore({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS,
                              WM_KILLFOCUS, WM_SIZE, WM_MOVE, WM_CREATE, WM_PAINT, WM_ERASEBKGND});
  }
  void TearDown() override { gwes_test::DestroyAllWindows(); }

  HWND Make(const std::string& name, DWORD style, HWND parent = nullptr, int id = 0) {
    return gwes_test::MakeWindow(name, style, parent, {0, 0, 50, 20}, id, u"NotingRecorder");
  }
};

TEST_F(WndTest, SubclassedWindowRunsHandlersFirstAndDefaultReachesTheOldProcedure) {
  HWND parent = Make("parent", WS_VISIBLE);
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, parent, 5);
  CWnd parentWnd;
  ASSERT_TRUE(parentWnd.Attach(parent));
  CLoggingWnd control("control");
  ASSERT_TRUE(control.SubclassDlgItem(5, &parentWnd));
  EXPECT_EQ(CWnd::FromHandlePermanent(child), &control);
  EXPECT_FALSE(CLoggingWnd("second").SubclassWindow(child)) << "a window binds to one object";
  TakeAll();

  SendMessageW(child, WM_KEYDOWN, 'A', 1);
  SendMessageW(child, WM_KEYDOWN, 'X', 1);
  SendMessageW(child, WM_USER, 3, 4);  // no handler: straight to the old procedure
  EXPECT_EQ(TakeAll(), (Log{"control.OnKeyDown:65", "child:WM_KEYDOWN:65:1", "control.OnKeyDown:88",
                            "child:WM_USER:3:4"}));

  // Unbinding gives the window its own procedure back.
  EXPECT_EQ(control.UnsubclassWindow(), child);
  EXPECT_EQ(CWnd::FromHandlePermanent(child), nullptr);
  SendMessageW(child, WM_KEYDOWN, 'X', 1);
  EXPECT_EQ(TakeAll(), (Log{"child:WM_KEYDOWN:88:1"}));
  parentWnd.Detach();
}

TEST_F(WndTest, NotificationsAreOfferedToTheChildObjectBeforeTheParent) {
  HWND parent = Make("parent", WS_VISIBLE);
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, parent, 7);
  HWND plain = Make("plain", WS_CHILD | WS_VISIBLE, parent, 8);
  CLoggingWnd parentWnd("dlg");
  ASSERT_TRUE(parentWnd.SubclassWindow(parent));
  CLoggingWnd control("control");
  ASSERT_TRUE(control.SubclassDlgItem(7, &parentWnd));
  TakeAll();

  // A child answering its own drawing requests is the skin controls' test. A command the child
  // leaves goes on to the parent's handler; an unbound child's requests go straight to the parent.
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(7, 0), reinterpret_cast<LPARAM>(child));
  SendMessageW(parent, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(plain));
  SendMessageW(parent, WM_DRAWITEM, 8, 0);
  EXPECT_EQ(TakeAll(), (Log{"control.OnChildNotify:WM_COMMAND", "dlg.OnCommand:7", "dlg.OnCtlColor:CTLCOLOR_STATIC",
                        "dlg.OnDrawItem:8"}));
}

TEST_F(WndTest, DestroyedWindowLeavesTheMapAndItsObjectUnbound) {
  HWND parent = Make("parent", WS_VISIBLE);
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, parent, 7);
  CLoggingWnd control("control");
  ASSERT_TRUE(control.SubclassWindow(child));
  auto* owned = new CLoggingWnd("owned");
  owned->m_deleteSelf = true;
  ASSERT_TRUE(owned->SubclassWindow(parent));
  TakeAll();

  DestroyWindow(parent);
  EXPECT_EQ(TakeAll(), (Log{"owned.OnDestroy:bound", "parent:WM_DESTROY:0:0", "control.OnDestroy:bound",
                            "child:WM_DESTROY:0:0", "child:WM_NCDESTROY:0:0", "control.PostNcDestroy:unbound",
                            "parent:WM_NCDESTROY:0:0", "owned.PostNcDestroy:unbound"}));
  EXPECT_EQ(control.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(parent), nullptr);
  EXPECT_EQ(CWnd::FromHandle(child), nullptr);

  // An object that goes away first destroys its window without calling into itself.
  HWND other = Make("other", WS_VISIBLE);
  {
    CLoggingWnd shortLived("short");
    ASSERT_TRUE(shortLived.SubclassWindow(other));
    TakeAll();
  }
  EXPECT_FALSE(IsWindow(other));
  EXPECT_EQ(TakeAll(), (Log{"other:WM_DESTROY:0:0", "other:WM_NCDESTROY:0:0"}));
}

TEST_F(WndTest, CreateExBindsBeforeTheFirstMessageAndTemporariesStandForUnboundWindows) {
  CLoggingWnd created("made");
  ASSERT_TRUE(created.CreateEx(0, nullptr, u"title", WS_VISIBLE, 0, 0, 30, 30, nullptr, 0));
  EXPECT_EQ(CWnd::FromHandlePermanent(created.m_hWnd), &created);
  EXPECT_EQ(TakeAll().at(0), "made.OnCreate");

  CLoggingWnd refused("refused");
  refused.m_refuseCreate = true;
  EXPECT_FALSE(refused.CreateEx(0, nullptr, u"", 0, 0, 0, 10, 10, nullptr, 0));
  EXPECT_EQ(refused.m_hWnd, nullptr);

  HWND plain = Make("plain", WS_VISIBLE);
  CWnd* temporary = CWnd::FromHandle(plain);
  ASSERT_NE(temporary, nullptr);
  EXPECT_EQ(temporary->m_hWnd, plain);
  EXPECT_EQ(CWnd::FromHandle(plain), temporary);
  EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
}

TEST_F(WndTest, CenterWindowUsesTheParentsClientAreaForAChildElseTheOwnerOrTheScreen) {
  HWND page = gwes_test::MakeWindow("page", WS_VISIBLE, nullptr, {0, 0, 320, 240});
  HWND owner = gwes_test::MakeWindow("owner", WS_VISIBLE, nullptr, {200, 150, 300, 230});
  CWnd ownerWnd;
  ownerWnd.Attach(owner);
  struct Row { const char* what; DWORD style; HWND parent; RECT rect; CWnd* alternate; POINT expected; };
  for (const Row& row : {
           Row{"child of a page: halves rounded down", WS_CHILD | WS_VISIBLE, page, {5, 5, 125, 46}, nullptr, {100, 100}},
           Row{"child ignores an alternate owner", WS_CHILD | WS_VISIBLE, page, {0, 0, 51, 21}, &ownerWnd, {135, 110}},
           Row{"top-level: the screen", WS_VISIBLE, nullptr, {0, 0, 120, 41}, nullptr, {100, 100}},
           Row{"top-level over its owner, kept on the screen", WS_VISIBLE, nullptr, {0, 0, 160, 60}, &ownerWnd, {160, 160}},
       }) {
    HWND made = gwes_test::MakeWindow("made", row.style, row.parent, row.rect);
    CWnd wnd;
    wnd.Attach(made);
    wnd.CenterWindow(row.alternate);
    const POINT size{row.rect.right - row.rect.left, row.rect.bottom - row.rect.top};
    EXPECT_EQ(gwes_test::Edges(made), gwes_test::Edges({row.expected.x, row.expected.y, row.expected.x + size.x,
                                                        row.expected.y + size.y})) << row.what;
    wnd.Detach();
    DestroyWindow(made);
  }
  ownerWnd.Detach();
}

}  // namespace
