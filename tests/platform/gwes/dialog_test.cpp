#include "platform/gwes/dialog/dialog.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/gwes/focus.h"
#include "platform/gwes/input.h"
#include "platform/gwes/surface.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "tests/platform/gwes/message_log.h"
#include "tests/support/test_device.h"

using gwes_test::Edges;
using gwes_test::MakeWindow;
using gwes_test::MessageLog;
using Log = std::vector<std::string>;

namespace {

// What the test controls and the dialog procedure saw, in order.
Log g_events;
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> g_dialogHook;

std::string IdOf(HWND hwnd) { return std::to_string(GetDlgCtrlID(hwnd)); }

// A stand-in control: push buttons (styles 0 and 1) and auto radio buttons (9) answer
// WM_GETDLGCODE like the real ones; any other style answers with its GWL_USERDATA value.
LRESULT TestControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  static const std::map<UINT, std::string> kNoted = {
      {BM_CLICK, "BM_CLICK"}, {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_SETFOCUS, "WM_SETFOCUS"}};
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  if (msg == WM_GETDLGCODE) {
    switch (style & 0xF) {
      case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      case 9: return DLGC_BUTTON | DLGC_RADIOBUTTON;
      default: return GetWindowLongW(hwnd, GWL_USERDATA);
    }
  }
  if (msg == BM_SETSTYLE) {
    g_events.push_back(IdOf(hwnd) + ":BM_SETSTYLE:" + std::to_string(wParam));
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>((style & ~0xFu) | (wParam & 0xF)));
    return 0;
  }
  if (kNoted.count(msg)) {
    g_events.push_back(IdOf(hwnd) + ":" + kNoted.at(msg));
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

INT_PTR TestDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) g_events.push_back("dlg:WM_INITDIALOG:" + IdOf(reinterpret_cast<HWND>(wParam)));
  if (msg == WM_COMMAND) g_events.push_back("dlg:WM_COMMAND:" + std::to_string(LOWORD(wParam)));
  if (g_dialogHook) return g_dialogHook(dialog, msg, wParam, lParam);
  return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// Registers a class of test controls for the test's lifetime unless one of that name exists already.
struct ScopedClass {
  explicit ScopedClass(const char16_t* className) : name(className) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestControlProc;
    wc.lpszClassName = name;
    registered = RegisterClassW(&wc) != 0;
  }
  ~ScopedClass() {
    if (registered) UnregisterClassW(name, nullptr);
  }
  const char16_t* name;
  bool registered;
};

constexpr char16_t kTestControl[] = u"DlgTestControl";

// A standard DLGTEMPLATE built in memory: no menu, class or title, font System 8. Each item is a
// visible 10 x 10 test control at (0, y) titled "text".
class Template {
 public:
  Template(DWORD style, WORD cx, WORD cy) {
    style |= DS_SETFONT;
    Add({LOWORD(style), HIWORD(style), 0, 0, /*items*/ 0, 0, 0, cx, cy, /*menu, class, title*/ 0, 0, 0, 8});
    Add(u"System");
  }
  Template& Item(WORD id, DWORD style, WORD y = 0) {
    if (m_words.size() % 2) m_words.push_back(0);
    style |= WS_CHILD | WS_VISIBLE;
    Add({LOWORD(style), HIWORD(style), 0, 0, 0, y, 10, 10, id});
    Add(kTestControl);
    Add(u"text");
    m_words.push_back(0);  // no creation data
    ++m_words[4];
    return *this;
  }
  const void* Data() const { return m_words.data(); }

 private:
  void Add(std::u16string_view text) {
    m_words.insert(m_words.end(), text.begin(), text.end());
    m_words.push_back(0);
  }
  void Add(std::initializer_list<WORD> words) { m_words.insert(m_words.end(), words); }
  std::vector<WORD> m_words;
};

HWND Create(const Template& tmpl) {
  return CreateDialogIndirectParamW(nullptr, tmpl.Data(), nullptr, TestDialogProc, 0);
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gwes_test::DestroyAllWindows();
    g_events.clear();
    g_dialogHook = nullptr;
  }
  void TearDown() override {
    gwes::SetIdleHook(nullptr);
    gwes::SetModalOwnerFallback(nullptr);
    g_dialogHook = nullptr;
    gwes_test::DestroyAllWindows();
  }
  // Posts key presses to the focus window and runs them through the dialog manager.
  void Keys(HWND dialog, std::initializer_list<std::pair<BYTE, bool>> keys) {
    for (auto [vk, down] : keys) gwes::PostKey(vk, down);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      if (!IsDialogMessageW(dialog, &msg)) DispatchMessageW(&msg);
  }
  void Press(HWND dialog, BYTE vk) { Keys(dialog, {{vk, true}, {vk, false}}); }
  // What the controls and the procedure saw of one key press.
  Log Heard(HWND dialog, BYTE vk) {
    g_events.clear();
    Press(dialog, vk);
    return std::exchange(g_events, {});
  }
  testing_support::TestDevice device;
  ScopedClass testControl{kTestControl};
};

// How the program's own templates look once made (their font, given before WM_INITDIALOG, too) is in
// the golden images of its pages.
TEST_F(DialogTest, InitDialogOffersTheFirstTabStopAndAProcedureMayChooseAnother) {
  Template tmpl(WS_POPUP | WS_VISIBLE, 100, 50);
  tmpl.Item(5, 0x100).Item(10, WS_TABSTOP, 10).Item(11, WS_TABSTOP, 20);
  HWND dialog = Create(tmpl);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(g_events, (Log{"dlg:WM_INITDIALOG:10", "10:WM_SETFOCUS", "10:BM_SETSTYLE:1"}));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 10));
  WCHAR text[8] = {};
  EXPECT_EQ(GetDlgItemTextW(dialog, 11, text, 8), 4u);  // the item's title in the template
  EXPECT_EQ(std::u16string(text), u"text");
  DestroyWindow(dialog);

  // A procedure that sets the focus itself and returns FALSE keeps its choice.
  g_dialogHook = [](HWND dlg, UINT msg, WPARAM, LPARAM) -> INT_PTR {
    if (msg == WM_INITDIALOG) SetFocus(GetDlgItem(dlg, 11));
    return FALSE;
  };
  dialog = Create(tmpl);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 11));

  kernel::SetProgramResources(ProgramResourceBytes());
  SetLastError(0);
  EXPECT_EQ(CreateDialogParamW(nullptr, MAKEINTRESOURCEW(999), nullptr, TestDialogProc, 0), nullptr);
  EXPECT_NE(GetLastError(), 0u);
}

TEST_F(DialogTest, TabVisitsTabStopsAndArrowsStayInTheGroup) {
  constexpr DWORD kRadio = 9;
  Template tmpl(WS_POPUP | WS_VISIBLE, 100, 100);
  tmpl.Item(20, kRadio | WS_GROUP | WS_TABSTOP).Item(21, kRadio, 10).Item(22, kRadio | WS_DISABLED, 20);
  tmpl.Item(23, kRadio, 30);
  tmpl.Item(30, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 40).Item(31, BS_PUSHBUTTON | WS_TABSTOP, 50);
  HWND dialog = Create(tmpl);
  auto focus = [] { return GetDlgCtrlID(GetFocus()); };
  ASSERT_EQ(focus(), 20);
  // A radio button is checked as it is reached.
  EXPECT_EQ(Heard(dialog, VK_RIGHT), (Log{"21:WM_SETFOCUS", "21:BM_CLICK"}));
  EXPECT_EQ(focus(), 21);
  // Each row: a key and where the focus goes. The disabled 22 is skipped; arrows wrap inside the
  // group, never to 30; Tab wraps to the first tab stop.
  const std::pair<BYTE, int> walk[] = {{VK_DOWN, 23}, {VK_RIGHT, 20}, {VK_LEFT, 23}, {VK_UP, 21}, {VK_TAB, 30}};
  for (auto [vk, id] : walk) {
    Press(dialog, vk);
    EXPECT_EQ(focus(), id) << "key " << int(vk);
  }
  // The default look moves with the focus between push buttons.
  EXPECT_EQ(Heard(dialog, VK_TAB), (Log{"31:WM_SETFOCUS", "30:BM_SETSTYLE:0", "31:BM_SETSTYLE:1"}));
  EXPECT_EQ(focus(), 31);
  Press(dialog, VK_TAB);
  EXPECT_EQ(focus(), 20);
  Keys(dialog, {{VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}});
  EXPECT_EQ(focus(), 31);
  Press(dialog, VK_RIGHT);
  EXPECT_EQ(focus(), 30);  // the buttons' group wraps too
  EXPECT_EQ(GetNextDlgTabItem(dialog, nullptr, FALSE), GetDlgItem(dialog, 20));
  EXPECT_EQ(GetNextDlgTabItem(dialog, nullptr, TRUE), GetDlgItem(dialog, 31));
}

TEST_F(DialogTest, EnterAndEscapeBecomeCommands) {
  constexpr DWORD kOther = 0xE;  // answers its GWL_USERDATA to WM_GETDLGCODE
  Template tmpl(WS_POPUP | WS_VISIBLE, 100, 100);
  tmpl.Item(40, kOther | WS_TABSTOP).Item(IDOK, BS_PUSHBUTTON | WS_TABSTOP, 10);
  tmpl.Item(41, BS_DEFPUSHBUTTON | WS_TABSTOP, 20);
  HWND dialog = Create(tmpl);
  HWND field = GetDlgItem(dialog, 40);
  ASSERT_EQ(GetFocus(), field);
  // The template's default push button is the dialog's default id, not IDOK.
  EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELPARAM(41, DC_HASDEFID));
  EXPECT_EQ(Heard(dialog, VK_RETURN), (Log{"dlg:WM_COMMAND:41"}));
  EXPECT_EQ(Heard(dialog, VK_ESCAPE), (Log{"dlg:WM_COMMAND:2"}));
  // It stays the default while the focus passes over IDOK and on to a plain control by SetFocus.
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
  SetFocus(GetDlgItem(dialog, 41));
  EXPECT_EQ(Heard(dialog, VK_RETURN), (Log{"dlg:WM_COMMAND:41"}));

  SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
  EXPECT_EQ(Heard(dialog, VK_RETURN), (Log{"dlg:WM_COMMAND:1"}));

  // A control that wants every key gets Enter itself.
  SetWindowLongW(field, GWL_USERDATA, DLGC_WANTALLKEYS);
  EXPECT_EQ(Heard(dialog, VK_RETURN), (Log{"40:WM_KEYDOWN"}));
  // One that wants arrows keeps them.
  SetWindowLongW(field, GWL_USERDATA, DLGC_WANTARROWS);
  EXPECT_EQ(Heard(dialog, VK_DOWN), (Log{"40:WM_KEYDOWN"}));
  EXPECT_EQ(GetFocus(), field);

  // Enter on a focused push button clicks that button, whatever the default id.
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, 41)), TRUE);
  EXPECT_EQ(Heard(dialog, VK_RETURN), (Log{"dlg:WM_COMMAND:41"}));
}

TEST_F(DialogTest, GroupItemsSkipHiddenAndDisabledControls) {
  constexpr DWORD kOther = 0xE;  // neither a button nor a radio button
  constexpr DWORD kHidden = 0x80000000u;  // hidden once created (the template shows every item)
  const std::pair<WORD, DWORD> items[] = {
      {63, WS_DISABLED}, {64, kHidden}, {65, WS_DISABLED | kHidden}, {66, 0},  // a first group without WS_GROUP
      {23, WS_GROUP}, {67, 0},
      {24, WS_GROUP | WS_DISABLED | kHidden}, {68, WS_DISABLED}, {69, kHidden},  // nothing to choose
      {25, WS_GROUP}, {70, 0}, {71, WS_DISABLED}, {72, 0}, {73, WS_DISABLED},
      {26, WS_GROUP}, {74, 0}, {75, 0},
      {27, WS_GROUP | WS_DISABLED}, {76, 0}, {77, 0},  // a disabled control still ends a group
      {28, WS_GROUP | kHidden}, {78, 0}, {79, 0}, {80, WS_DISABLED}};  // so does a hidden one
  Template tmpl(WS_POPUP, 100, 100);
  for (auto [id, style] : items) tmpl.Item(id, kOther | (style & ~kHidden));
  HWND dialog = Create(tmpl);
  for (auto [id, style] : items)
    if (style & kHidden) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
  // Each row: the control the search starts from (0: none), backwards or not, the answer (0: none).
  const struct { int from; BOOL previous; int found; } rows[] = {
      {0, FALSE, 66},  {0, TRUE, 0},   {70, FALSE, 72}, {72, FALSE, 25}, {75, FALSE, 26}, {77, FALSE, 76},
      {79, FALSE, 78}, {71, FALSE, 72}, {64, FALSE, 66}, {25, FALSE, 70}, {68, FALSE, 68}, {25, TRUE, 72}};
  for (const auto& row : rows) {
    HWND from = row.from ? GetDlgItem(dialog, row.from) : nullptr;
    EXPECT_EQ(GetDlgCtrlID(GetNextDlgGroupItem(dialog, from, row.previous)), row.found)
        << "from " << row.from << (row.previous ? " backwards" : " forwards");
  }
}

TEST_F(DialogTest, CloseTurnsIntoCancelUnlessCancelIsDisabled) {
  Template tmpl(WS_POPUP | WS_VISIBLE, 100, 100);
  tmpl.Item(IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP);
  HWND dialog = Create(tmpl);
  auto close = [&] {
    g_events.clear();
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(dialog));  // not destroyed the way a plain window is
    gwes_test::Pump();
    return g_events;
  };
  EXPECT_EQ(close(), (Log{"dlg:WM_COMMAND:2"}));
  EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
  EXPECT_EQ(close(), Log{});

  // A result the procedure leaves in DWL_MSGRESULT is the message's answer.
  g_dialogHook = [](HWND dlg, UINT msg, WPARAM, LPARAM) -> INT_PTR {
    if (msg != WM_USER + 5) return FALSE;
    SetWindowLongW(dlg, DWL_MSGRESULT, 77);
    return TRUE;
  };
  EXPECT_EQ(SendMessageW(dialog, WM_USER + 5, 0, 0), 77);
}

TEST_F(DialogTest, ModalDialogsNestAndGiveTheirOwnersBack) {
  HWND main = MakeWindow("main", WS_VISIBLE);
  SetActiveWindow(main);
  gwes::SetModalOwnerFallback([main] { return main; });
  Template outerTmpl(WS_POPUP, 100, 100);
  outerTmpl.Item(50, BS_PUSHBUTTON | WS_TABSTOP).Item(51, BS_PUSHBUTTON | WS_TABSTOP, 10);
  Template innerTmpl(WS_POPUP, 50, 50);
  innerTmpl.Item(60, BS_PUSHBUTTON | WS_TABSTOP);
  HWND outer = nullptr;
  INT_PTR innerResult = 0;
  Log checks;
  auto check = [&](const std::string& what, bool yes) { checks.push_back(what + (yes ? " yes" : " no")); };
  g_dialogHook = [&](HWND dlg, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
    if (msg == WM_INITDIALOG) {
      MessageLog::Get().Name(dlg, outer ? "inner" : "outer");
      PostMessageW(dlg, WM_APP, 0, 0);
    }
    if (msg != WM_APP) return msg == WM_INITDIALOG;
    if (!outer) {  // the outer dialog's turn: open the inner one from its handler
      outer = dlg;
      check("main enabled", IsWindowEnabled(main));
      SetFocus(GetDlgItem(dlg, 51));
      innerResult = DialogBoxIndirectParamW(nullptr, innerTmpl.Data(), dlg, TestDialogProc, 0);
      check("outer enabled", IsWindowEnabled(dlg));
      check("outer active", GetActiveWindow() == dlg);
      checks.push_back("focus " + IdOf(GetFocus()));
      EndDialog(dlg, 42);
    } else if (dlg != outer) {
      check("outer enabled", IsWindowEnabled(outer));
      checks.push_back("focus " + IdOf(GetFocus()));
      EndDialog(dlg, 7 + static_cast<INT_PTR>(wParam));
    }
    return TRUE;
  };
  MessageLog::Get().Clear();
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, outerTmpl.Data(), nullptr, TestDialogProc, 0), 42);
  EXPECT_EQ(innerResult, 7);
  EXPECT_EQ(checks, (Log{"main enabled no", "outer enabled no", "focus 60", "outer enabled yes", "outer active yes",
                         "focus 51"}));
  EXPECT_FALSE(IsWindow(outer));
  EXPECT_TRUE(IsWindowEnabled(main));
  // The owner is enabled before the dialog hides, so the activation goes straight back to it.
  Log activations = MessageLog::Get().Take();
  std::erase_if(activations, [](const std::string& entry) { return entry.rfind("main:WM_ACTIVATE", 0) != 0; });
  EXPECT_EQ(activations, (Log{"main:WM_ACTIVATE:0:outer", "main:WM_ACTIVATE:1:outer"}));
}

TEST_F(DialogTest, QuitEndsTheModalLoopAndReachesTheOuterLoop) {
  HWND main = MakeWindow("main", WS_VISIBLE);
  Template tmpl(WS_POPUP, 100, 100);
  tmpl.Item(50, BS_PUSHBUTTON | WS_TABSTOP);
  HWND dialog = nullptr;
  g_dialogHook = [&](HWND dlg, UINT msg, WPARAM, LPARAM) -> INT_PTR {
    if (msg == WM_INITDIALOG) {
      dialog = dlg;
      PostQuitMessage(3);
    }
    return msg == WM_INITDIALOG;
  };
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, tmpl.Data(), main, TestDialogProc, 0), -1);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(IsWindowEnabled(main));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);

  // EndDialog during WM_INITDIALOG: the dialog never shows and the loop returns at once.
  g_dialogHook = [](HWND dlg, UINT msg2, WPARAM, LPARAM) -> INT_PTR {
    if (msg2 == WM_INITDIALOG) EndDialog(dlg, 9);
    return TRUE;
  };
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, tmpl.Data(), main, TestDialogProc, 0), 9);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_FALSE(EndDialog(main, 1));  // not a dialog
}

TEST_F(DialogTest, MessageBoxIsACentredModalBoxDismissedByEnter) {
  ScopedClass button(u"Button");
  ScopedClass label(u"Static");
  HWND main = MakeWindow("main", WS_VISIBLE);
  HWND box = nullptr;
  bool mainEnabledDuring = true;
  std::vector<LONG> boxEdges;
  gwes::SetIdleHook([&] {
    if (box) return;
    box = GetActiveWindow();
    boxEdges = Edges(box);
    mainEnabledDuring = IsWindowEnabled(main);
    gwes::PostKey(VK_RETURN, true);
    gwes::PostKey(VK_RETURN, false);
  });
  EXPECT_EQ(MessageBoxW(main, u"Failed to open register!", u"Utility", MB_OK | MB_ICONERROR), IDOK);
  ASSERT_TRUE(box);
  EXPECT_NE(box, main);
  EXPECT_FALSE(mainEnabledDuring);
  EXPECT_LE(std::abs(boxEdges[0] + boxEdges[2] - gwes::kScreenWidth), 1);
  EXPECT_LE(std::abs(boxEdges[1] + boxEdges[3] - gwes::kScreenHeight), 1);
  EXPECT_GT(boxEdges[2] - boxEdges[0], 60);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_TRUE(IsWindowEnabled(main));
}

}  // namespace
