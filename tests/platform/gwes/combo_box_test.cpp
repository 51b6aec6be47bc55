#include "platform/gwes/controls/combo_box.h"

#include "platform/gwes/controls/list_box.h"
#include "tests/platform/gwes/control_fixture.h"

namespace {

class ComboBoxTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    commandNames = {GWES_TEST_NAMED(CBN_SELCHANGE), GWES_TEST_NAMED(CBN_SETFOCUS), GWES_TEST_NAMED(CBN_KILLFOCUS),
                    GWES_TEST_NAMED(CBN_EDITCHANGE), GWES_TEST_NAMED(CBN_EDITUPDATE), GWES_TEST_NAMED(CBN_DROPDOWN),
                    GWES_TEST_NAMED(CBN_CLOSEUP), GWES_TEST_NAMED(CBN_SELENDOK), GWES_TEST_NAMED(CBN_SELENDCANCEL)};
    gwes::RegisterComboBoxClass();
  }
  // A drop-down list at (20, 40), 150 wide, given 100 pixels of height, id 9.
  HWND Combo(DWORD style = CBS_DROPDOWNLIST) {
    HWND combo = Make(kComboBoxClassName, u"", WS_VSCROLL | style, {20, 40, 170, 140}, 9);
    Drain();
    return combo;
  }
  static void Add(HWND combo, std::initializer_list<const char16_t*> texts) {
    for (const char16_t* text : texts) Send(combo, CB_ADDSTRING, 0, text);
  }
  static LRESULT Selection(HWND combo) { return Send(combo, CB_GETCURSEL); }
  // The selected row and the text shown.
  using Showing = std::pair<LRESULT, std::u16string>;
  static Showing Shown(HWND combo) { return {Selection(combo), Text(combo)}; }
  static HWND DroppedList() {
    HWND list = FindWindowW(kComboListClassName, nullptr);
    return IsWindowVisible(list) ? list : nullptr;
  }
  static RECT DroppedRect(HWND combo) {
    RECT rect{};
    EXPECT_TRUE(Send(combo, CB_GETDROPPEDCONTROLRECT, 0, &rect));
    return rect;
  }
  // A single tap on the middle of `row` (from 0) of a visible list, and what it caused.
  Events TapRow(HWND list, int x, int row) {
    int height = static_cast<int>(Send(list, LB_GETITEMHEIGHT));
    return TapAlone(x, Rect(list).top + 1 + row * height + height / 2);
  }
  const Events kPicked{"CBN_SELENDOK(9)", "CBN_CLOSEUP(9)", "CBN_SELCHANGE(9)"};
  const Events kCancelled{"CBN_SELENDCANCEL(9)", "CBN_CLOSEUP(9)"};
};

TEST_F(ComboBoxTest, WindowTextFollowsTheSelectionAndProgrammaticChangesAreSilent) {
  HWND combo = Combo(CBS_DROPDOWNLIST | CBS_SORT);
  Add(combo, {u"Madrid", u"berlin", u"Athens"});
  char16_t buffer[16] = {};
  Send(combo, CB_GETLBTEXT, 1, buffer);
  EXPECT_EQ(std::u16string(buffer), u"berlin");
  EXPECT_EQ(Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), u"MADRID"), 2);
  EXPECT_EQ(Send(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), u"be"), 1);

  Send(combo, CB_SETITEMDATA, 2, 29);
  EXPECT_EQ(Send(combo, CB_SETCURSEL, 2), 2);
  Add(combo, {u"Aachen"});  // sorted in before the selection, which stays on its text and data
  EXPECT_EQ(Shown(combo), (Showing{3, u"Madrid"}));
  EXPECT_EQ(Send(combo, CB_GETITEMDATA, 3), 29);

  // An index past the end answers CB_ERR; CB_SETCURSEL's clears the selection and the text too.
  for (UINT msg : {CB_GETLBTEXTLEN, CB_GETITEMDATA, CB_DELETESTRING, CB_SETCURSEL})
    EXPECT_EQ(Send(combo, msg, 4), CB_ERR) << msg;
  EXPECT_EQ(Send(combo, CB_GETCOUNT), 4);
  EXPECT_EQ(Shown(combo), (Showing{CB_ERR, u""}));

  // WM_SETTEXT on a drop-down list selects the row with that text, if there is one.
  EXPECT_TRUE(SetWindowTextW(combo, u"athens"));
  EXPECT_EQ(Shown(combo), (Showing{1, u"Athens"}));
  Send(combo, CB_DELETESTRING, 1);  // the selected row
  EXPECT_EQ(Shown(combo), (Showing{CB_ERR, u""}));
  Send(combo, CB_SETCURSEL, 0);
  Send(combo, CB_RESETCONTENT);
  EXPECT_EQ(Send(combo, CB_GETCOUNT), 0);
  EXPECT_EQ(Text(combo), u"");

  // A drop-down's edit empties as well when CB_SETCURSEL(-1) drops the selection.
  HWND editable = Combo(CBS_DROPDOWN);
  Add(editable, {u"Oslo"});
  Send(editable, CB_SETCURSEL, 0);
  EXPECT_EQ(Text(editable), u"Oslo");
  EXPECT_EQ(Send(editable, CB_SETCURSEL, static_cast<WPARAM>(-1)), CB_ERR);
  EXPECT_EQ(Text(editable), u"");
  EXPECT_EQ(Drain(), Events{});
}

TEST_F(ComboBoxTest, UpAndDownChangeTheSelectionWhileClosed) {
  HWND combo = Combo();
  Add(combo, {u"GMT-12", u"GMT-11", u"GMT-10"});
  EXPECT_EQ(Send(combo, WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
  EXPECT_EQ(Focus(combo), (Events{"CBN_SETFOCUS(9)"}));
  EXPECT_EQ(AfterKeys({VK_DOWN, VK_DOWN}), (Events{"CBN_SELCHANGE(9)", "CBN_SELCHANGE(9)"}));
  EXPECT_EQ(Text(combo), u"GMT-11");
  Keys({VK_END, VK_DOWN, VK_HOME, VK_UP});  // Down at the end and Up at the start do nothing
  EXPECT_EQ(Drain(), (Events{"CBN_SELCHANGE(9)", "CBN_SELCHANGE(9)"}));

  // With the extended interface Down opens the list instead, whose highlight then moves alone.
  Send(combo, CB_SETEXTENDEDUI, TRUE);
  EXPECT_EQ(AfterKeys({VK_DOWN}), (Events{"CBN_DROPDOWN(9)"}));
  EXPECT_EQ(Send(combo, WM_GETDLGCODE) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
  EXPECT_EQ(AfterKeys({VK_DOWN}), Events{});
  EXPECT_EQ(Text(combo), u"GMT-12");
  EXPECT_EQ(AfterKeys({VK_RETURN}), kPicked);
  EXPECT_EQ(Text(combo), u"GMT-11");
  EXPECT_EQ(Focus(nullptr), (Events{"CBN_KILLFOCUS(9)"}));
}

TEST_F(ComboBoxTest, ADropDownComboIsAsTallAsItsFieldAndItsListOpensBelow) {
  HWND combo = Combo();
  Add(combo, {u"one", u"two", u"three", u"four", u"five", u"six", u"seven", u"eight", u"nine", u"ten"});
  RECT field = Rect(combo);
  LRESULT fieldHeight = Send(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1));
  EXPECT_EQ(field.bottom - field.top, fieldHeight);
  EXPECT_LT(fieldHeight, 40);
  EXPECT_EQ(DroppedRect(combo).top, field.bottom);
  EXPECT_EQ(DroppedRect(combo).bottom, 40 + 100);  // the height the combo was given, field and list
  EXPECT_EQ(Send(combo, CB_SETDROPPEDWIDTH, 100), 150);  // never narrower than the combo
  EXPECT_EQ(Send(combo, CB_SETDROPPEDWIDTH, 200), 200);

  // Moved low on the screen, the list opens above; a resize sets the list's height again.
  MoveWindow(combo, 20, 200, 150, 60, TRUE);
  EXPECT_EQ(Rect(combo).bottom - Rect(combo).top, fieldHeight);
  const RECT dropped = DroppedRect(combo);
  EXPECT_EQ(dropped.bottom, 200);
  EXPECT_EQ(dropped.bottom - dropped.top, 60 - fieldHeight);
  EXPECT_EQ(dropped.right - dropped.left, 200);
}

TEST_F(ComboBoxTest, ATapOpensTheListAndATapOnARowPicksItAndClosesIt) {
  HWND combo = Combo();
  Add(combo, {u"GMT London", u"GMT+1 Paris", u"GMT+2 Athens"});
  Send(combo, CB_SETCURSEL, 0);
  RECT field = Rect(combo);

  EXPECT_EQ(AfterTap(60, field.top + 4), (Events{"CBN_SETFOCUS(9)", "CBN_DROPDOWN(9)"}));
  HWND list = DroppedList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Send(combo, CB_GETDROPPEDSTATE), TRUE);
  EXPECT_EQ(Rect(list).top, field.bottom);
  EXPECT_EQ(GetFocus(), combo);  // the list never takes the focus
  EXPECT_EQ(GetActiveWindow(), parent);

  EXPECT_EQ(TapRow(list, 60, 2), kPicked);
  EXPECT_EQ(DroppedList(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Text(combo), u"GMT+2 Athens");

  // A tap outside the open list closes it unchanged, and goes no further.
  EXPECT_EQ(TapAlone(60, field.top + 4), (Events{"CBN_DROPDOWN(9)"}));
  NextTap();
  Press(60, Rect(list).top + 1);  // highlights the first row
  MoveTo(300, 10);
  Release(300, 10);
  Drain();
  EXPECT_EQ(Send(combo, CB_GETDROPPEDSTATE), TRUE);  // released off the rows: still open
  EXPECT_EQ(TapAlone(300, 10), kCancelled);
  EXPECT_EQ(Shown(combo), (Showing{2, u"GMT+2 Athens"}));

  // Opened and closed by message, the parent still hears of both; losing the focus closes it too.
  for (BOOL show : {TRUE, TRUE, FALSE, TRUE}) Send(combo, CB_SHOWDROPDOWN, show);
  SetFocus(nullptr);
  EXPECT_EQ(Drain(), (Events{"CBN_DROPDOWN(9)", "CBN_SELENDCANCEL(9)", "CBN_CLOSEUP(9)", "CBN_DROPDOWN(9)",
                             "CBN_SELENDCANCEL(9)", "CBN_CLOSEUP(9)", "CBN_KILLFOCUS(9)"}));
  EXPECT_EQ(DroppedList(), nullptr);
  DestroyWindow(combo);  // the combo's list goes with it
  EXPECT_FALSE(IsWindow(list));
}

TEST_F(ComboBoxTest, AnEditableComboTypesIntoItsEditAndSelectionsFillIt) {
  HWND combo = Combo(CBS_DROPDOWN | CBS_AUTOHSCROLL);
  Add(combo, {u"alpha", u"beta"});
  HWND edit = GetDlgItem(combo, gwes::kComboEditId);
  ASSERT_NE(edit, nullptr);
  Send(combo, CB_SETCURSEL, 1);
  EXPECT_EQ(Text(edit), u"beta");
  EXPECT_EQ(Drain(), Events{});

  SetFocus(combo);  // passes on to the edit
  EXPECT_EQ(GetFocus(), edit);
  gwes::PostChar(u'x');  // replaces the selected text
  EXPECT_EQ(Drain(), (Events{"CBN_SETFOCUS(9)", "CBN_EDITUPDATE(9)", "CBN_EDITCHANGE(9)"}));
  EXPECT_EQ(Text(combo), u"x");
  EXPECT_EQ(AfterKeys({VK_UP}), (Events{"CBN_SELCHANGE(9)"}));
  EXPECT_EQ(Text(combo), u"alpha");

  // The arrow button opens the list; a tap on the edit does not.
  RECT field = Rect(combo);
  EXPECT_EQ(TapAlone(30, field.top + 4), Events{});
  EXPECT_EQ(TapAlone(field.right - 4, field.top + 4), (Events{"CBN_DROPDOWN(9)"}));
  EXPECT_EQ(AfterKeys({VK_ESCAPE}), kCancelled);
  EXPECT_EQ(Focus(nullptr), (Events{"CBN_KILLFOCUS(9)"}));

  // A simple combo shows its list under the field at all times.
  HWND simple = Make(kComboBoxClassName, u"", CBS_SIMPLE, {180, 40, 300, 140}, 10);
  Add(simple, {u"one", u"two"});
  HWND list = GetDlgItem(simple, gwes::kComboListId);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(Rect(simple).bottom - Rect(simple).top, 100);
  EXPECT_EQ(TapRow(list, 200, 1), (Events{"CBN_SETFOCUS(10)", "CBN_SELENDOK(10)", "CBN_SELCHANGE(10)"}));
  EXPECT_EQ(Text(simple), u"two");
}

}  // namespace
