#include "platform/afx/dialog.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/afx/winapp.h"
#include "tests/platform/gwes/message_log.h"
#include "tests/support/test_device.h"

using Log = std::vector<std::string>;

namespace {

constexpr UINT kStep = WM_USER + 5;

// A pop-up template without controls, in the classic layout: style, extended style, no items, the
// rectangle, no menu, the dialog class, no title.
std::vector<WORD> EmptyTemplate(DWORD style) { return {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, 100, 80, 0, 0, 0}; }

// A dialog whose step the test writes: OnInitDialog posts kStep, which runs the step.
class CScriptedDlg : public CDialog {
 public:
  CScriptedDlg(std::string name, const std::vector<WORD>& words, CWnd* parent, Log& log)
      : m_name(std::move(name)), m_log(log) {
    InitModalIndirect(words.data(), parent);
  }

  BOOL OnInitDialog() override {
    m_log.push_back(m_name + ".OnInitDialog:" + (FromHandlePermanent(m_hWnd) == this ? "bound" : "unbound"));
    PostMessage(kStep);
    return CDialog::OnInitDialog();
  }
  BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (msg == kStep && m_step) {
      m_step();
      return TRUE;
    }
    return CDialog::OnWndMsg(msg, wParam, lParam, result);
  }
  void OnOK() override {
    m_log.push_back(m_name + ".OnOK");
    CDialog::OnOK();
  }
  void OnCancel() override {
    m_log.push_back(m_name + ".OnCancel");
    CDialog::OnCancel();
  }

  std::function<void()> m_step;

 private:
  std::string m_name;
  Log& m_log;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { gwes_test::DestroyAllWindows(); }
  void TearDown() override { gwes_test::DestroyAllWindows(); }

  // Notes whether a window (or the dialog's window) is enabled or visible.
  void Enabled(const std::string& what, HWND hwnd) {
    m_log.push_back(what + (IsWindowEnabled(hwnd) ? ":enabled" : ":disabled"));
  }
  void Visible(const CWnd& wnd) { m_log.push_back(IsWindowVisible(wnd.m_hWnd) ? "visible:1" : "visible:0"); }
  testing_support::TestDevice device;
  std::vector<WORD> m_template = EmptyTemplate(WS_POPUP | WS_VISIBLE);
  Log m_log;
};

TEST_F(DialogTest, DoModalReturnsTheResultOfEndDialogAndDestroysTheDialog) {
  CScriptedDlg dlg("dlg", m_template, nullptr, m_log);
  HWND shown = nullptr;
  dlg.m_step = [&] {
    shown = dlg.m_hWnd;
    Visible(dlg);
    dlg.EndDialog(7);
  };
  EXPECT_EQ(dlg.DoModal(), 7);
  EXPECT_EQ(m_log, (Log{"dlg.OnInitDialog:bound", "visible:1"}));
  EXPECT_FALSE(IsWindow(shown));
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(shown), nullptr);

  // A hidden template stays hidden while posted messages wait (it is shown when the loop first runs
  // dry); commands and close requests end the dialog.
  std::vector<WORD> hidden = EmptyTemplate(WS_POPUP);
  CScriptedDlg second("second", hidden, nullptr, m_log);
  m_log.clear();
  second.m_step = [&] {
    Visible(second);
    second.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  };
  EXPECT_EQ(second.DoModal(), IDOK);
  second.m_step = [&] { second.PostMessage(WM_CLOSE); };
  EXPECT_EQ(second.DoModal(), IDCANCEL);
  EXPECT_EQ(m_log, (Log{"second.OnInitDialog:bound", "visible:0", "second.OnOK", "second.OnInitDialog:bound",
                        "second.OnCancel"}));

  // A template the program does not have gives -1.
  CDialog missing(0x7FFE);
  EXPECT_EQ(missing.DoModal(), -1);
}

// A page without a parent runs over the disabled main window: the main menu's test.
TEST_F(DialogTest, NestedDialogsDisableTheWindowTheyRunOverUntilTheyEnd) {
  CWinApp app;
  HWND mainHwnd = gwes_test::MakeWindow("main", WS_VISIBLE);
  CWnd mainWnd;
  ASSERT_TRUE(mainWnd.Attach(mainHwnd));
  app.m_pMainWnd = &mainWnd;

  CScriptedDlg outer("outer", m_template, nullptr, m_log);
  CScriptedDlg child("child", m_template, &outer, m_log);  // runs over its parent
  outer.m_step = [&] {
    m_log.push_back("child=" + std::to_string(child.DoModal()));
    Enabled("outer", outer.m_hWnd);
    outer.EndDialog(IDOK);
  };
  child.m_step = [&] {
    Enabled("outer", outer.m_hWnd);
    Enabled("main", mainHwnd);
    child.EndDialog(4);
  };
  EXPECT_EQ(outer.DoModal(), IDOK);
  EXPECT_EQ(m_log, (Log{"outer.OnInitDialog:bound", "child.OnInitDialog:bound", "outer:disabled", "main:disabled",
                        "child=4", "outer:enabled"}));
  EXPECT_TRUE(IsWindowEnabled(mainHwnd));

  // A main window that was disabled already stays so.
  EnableWindow(mainHwnd, FALSE);
  child.m_step = [&] { child.EndDialog(1); };
  outer.m_step = [&] { outer.EndDialog(1); };
  outer.DoModal();
  EXPECT_FALSE(IsWindowEnabled(mainHwnd));
  mainWnd.Detach();
}

TEST_F(DialogTest, QuitRequestEndsEveryLoopAndIsPostedAgain) {
  CScriptedDlg outer("outer", m_template, nullptr, m_log);
  CScriptedDlg inner("inner", m_template, nullptr, m_log);
  outer.m_step = [&] { m_log.push_back("inner=" + std::to_string(inner.DoModal())); };
  inner.m_step = [&] { PostQuitMessage(5); };
  EXPECT_EQ(outer.DoModal(), -1);
  EXPECT_EQ(m_log, (Log{"outer.OnInitDialog:bound", "inner.OnInitDialog:bound", "inner=-1"}));
  MSG msg{};
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 5u);
}

}  // namespace
