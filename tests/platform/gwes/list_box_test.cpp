#include "platform/gwes/controls/list_box.h"

#include "platform/gwes/controls/combo_box.h"
#include "tests/platform/gwes/control_fixture.h"

using gwes_test::ScreenColour;
using Events = std::vector<std::string>;

namespace {

class ListBoxTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    gwes::RegisterComboBoxClass();
  }
  std::string CommandName(WORD code) override {
    switch (code) {
      case LBN_SELCHANGE: return "LBN_SELCHANGE";
      case LBN_DBLCLK: return "LBN_DBLCLK";
      case LBN_SETFOCUS: return "LBN_SETFOCUS";
      case LBN_KILLFOCUS: return "LBN_KILLFOCUS";
      default: return std::to_string(code);
    }
  }
  // A bordered list at (10, 50), 120 x 80, id 7.
  HWND List(DWORD style) {
    HWND list = Make(kListBoxClassName, u"", WS_BORDER | style, {10, 50, 130, 130}, 7);
    Drain();
    return list;
  }
  static LRESULT Add(HWND list, const char16_t* text, LPARAM data = 0) {
    LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0 && data) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return index;
  }
  static std::u16string Text(HWND list, LRESULT index) {
    char16_t buffer[64] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  static std::vector<std::u16string> Texts(HWND list) {
    std::vector<std::u16string> texts;
    for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) texts.push_back(Text(list, i));
    return texts;
  }
  static LRESULT Data(HWND list, LRESULT index) {
    return SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  }
  static LRESULT Selection(HWND list) { return SendMessageW(list, LB_GETCURSEL, 0, 0); }
  void Fill(HWND list, int count) {
    for (int i = 0; i < count; ++i) Add(list, (u"item " + std::u16string(1, char16_t(u'A' + i))).c_str(), i + 100);
  }
  int RowHeight(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)); }
};

TEST_F(ListBoxTest, SortedListKeepsCaseInsensitiveOrderAndItemDataFollowsItsText) {
  HWND list = List(LBS_SORT);
  EXPECT_EQ(Add(list, u"German", 1031), 0);
  EXPECT_EQ(Add(list, u"english-US", 1033), 0);
  EXPECT_EQ(Add(list, u"French", 1036), 1);
  EXPECT_EQ(Add(list, u"English-UK", 2057), 0);
  EXPECT_EQ(Texts(list), (std::vector<std::u16string>{u"English-UK", u"english-US", u"French", u"German"}));
  EXPECT_EQ(Data(list, 1), 1033);
  EXPECT_EQ(Data(list, 3), 1031);

  // The selection stays on its text while texts come and go before it.
  SendMessageW(list, LB_SETCURSEL, 2, 0);
  Add(list, u"Danish", 1030);
  EXPECT_EQ(Selection(list), 3);
  EXPECT_EQ(Text(list, Selection(list)), u"French");
  EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 0, 0), 4);  // the remaining count
  EXPECT_EQ(Selection(list), 2);
  EXPECT_EQ(Data(list, 2), 1036);
  EXPECT_EQ(Data(list, 3), 1031);
  SendMessageW(list, LB_DELETESTRING, 2, 0);  // the selected text itself
  EXPECT_EQ(Selection(list), LB_ERR);

  // An unsorted list keeps the order of arrival; LB_INSERTSTRING puts a text where it is told.
  HWND plain = Make(kListBoxClassName, u"", 0, {150, 50, 250, 130}, 8);
  Add(plain, u"b");
  Add(plain, u"A");
  EXPECT_EQ(SendMessageW(plain, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>(u"c")), 1);
  EXPECT_EQ(SendMessageW(plain, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"z")), 3);
  EXPECT_EQ(Texts(plain), (std::vector<std::u16string>{u"b", u"c", u"A", u"z"}));
  SendMessageW(plain, LB_SETCURSEL, 3, 0);
  SendMessageW(plain, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(plain, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Selection(plain), LB_ERR);
}

TEST_F(ListBoxTest, BadIndexesAnswerLbErrAndChangeNothing) {
  HWND list = List(LBS_NOTIFY);
  Fill(list, 3);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  char16_t buffer[16] = {};
  EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 3, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(-1), 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_SETITEMDATA, 3, 5), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 3, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 3, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_INSERTSTRING, 4, reinterpret_cast<LPARAM>(u"x")), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_SETTOPINDEX, 3, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 3, 0), LB_ERR);
  EXPECT_EQ(Selection(list), 1);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 1, 0), 6);

  // -1 clears the selection and still answers LB_ERR; none of it tells the parent.
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
  EXPECT_EQ(Selection(list), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(Drain(), Events{});

  // A null text is kept as an empty one rather than read.
  EXPECT_EQ(SendMessageW(list, LB_ADDSTRING, 0, 0), 3);
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 3, 0), 0);
}

TEST_F(ListBoxTest, FindingTextsByPrefixOrWholeWrapsFromTheStart) {
  HWND list = List(0);
  for (const char16_t* text : {u"Paris", u"par", u"Berlin", u"PARIS"}) Add(list, text);
  auto find = [list](UINT msg, int start, const char16_t* text) {
    return SendMessageW(list, msg, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text));
  };
  EXPECT_EQ(find(LB_FINDSTRING, -1, u"PA"), 0);
  EXPECT_EQ(find(LB_FINDSTRING, 0, u"pa"), 1);      // after the start
  EXPECT_EQ(find(LB_FINDSTRING, 3, u"pa"), 0);      // wrapping round
  EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, u"paris"), 0);
  EXPECT_EQ(find(LB_FINDSTRINGEXACT, 0, u"paris"), 3);
  EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, u"pari"), LB_ERR);
  EXPECT_EQ(find(LB_FINDSTRING, -1, u"Rome"), LB_ERR);
  EXPECT_EQ(find(LB_SELECTSTRING, -1, u"ber"), 2);
  EXPECT_EQ(Selection(list), 2);
  EXPECT_EQ(Drain(), Events{});
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndStopAtTheEnds) {
  HWND list = List(LBS_NOTIFY);
  Fill(list, 10);
  EXPECT_EQ(SendMessageW(list, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
  SetFocus(list);
  EXPECT_EQ(Drain(), (Events{"LBN_SETFOCUS(7)"}));

  Key(VK_DOWN);  // no selection yet: the first row
  Key(VK_DOWN);
  EXPECT_EQ(Drain(), (Events{"LBN_SELCHANGE(7)", "LBN_SELCHANGE(7)"}));
  EXPECT_EQ(Selection(list), 1);
  Key(VK_UP);
  Key(VK_UP);  // already at the top
  Key(VK_HOME);
  EXPECT_EQ(Drain(), (Events{"LBN_SELCHANGE(7)"}));
  EXPECT_EQ(Selection(list), 0);

  Key(VK_END);
  Key(VK_DOWN);
  Key(VK_NEXT);
  EXPECT_EQ(Drain(), (Events{"LBN_SELCHANGE(7)"}));
  EXPECT_EQ(Selection(list), 9);
  int page = 78 / RowHeight(list);  // whole rows inside the border
  LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  EXPECT_EQ(top, 10 - page);  // scrolled to keep the selection in view
  Key(VK_PRIOR);
  Drain();
  EXPECT_EQ(Selection(list), 9 - (page - 1));
  gwes::PostChar(u'I');  // the next text that starts with the letter, in either case
  Drain();
  EXPECT_EQ(Selection(list), 11 - page);

  // A programmatic change scrolls too but tells nobody.
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);
  EXPECT_EQ(SendMessageW(list, LB_SETTOPINDEX, 9, 0), LB_OKAY);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 10 - page);  // never past the last page
  EXPECT_EQ(Drain(), Events{});

  SetFocus(nullptr);
  EXPECT_EQ(Drain(), (Events{"LBN_KILLFOCUS(7)"}));

  // Without LBS_NOTIFY the parent still hears of the focus, but not of the selection.
  HWND quiet = Make(kListBoxClassName, u"", 0, {150, 50, 250, 130}, 8);
  Fill(quiet, 3);
  SetFocus(quiet);
  Key(VK_DOWN);
  EXPECT_EQ(Drain(), (Events{"LBN_SETFOCUS(8)"}));
  EXPECT_EQ(Selection(quiet), 0);
}

TEST_F(ListBoxTest, TapsSelectTheRowUnderTheStylusAndDoubleTapsNotify) {
  HWND list = List(LBS_NOTIFY);
  Fill(list, 3);
  int row = RowHeight(list);
  Tap(20, 51 + row + row / 2);  // the second row
  EXPECT_EQ(Drain(), (Events{"LBN_SETFOCUS(7)", "LBN_SELCHANGE(7)"}));
  EXPECT_EQ(Selection(list), 1);
  EXPECT_EQ(GetCapture(), nullptr);

  Tap(20, 51 + row + row / 2);  // the same instant and place: a double tap
  EXPECT_EQ(Drain(), (Events{"LBN_DBLCLK(7)"}));
  gwes::AdvanceTime(GetDoubleClickTime() + 1);

  Tap(20, 120);  // below the last row: nothing changes
  Drain();
  EXPECT_EQ(Selection(list), 1);

  // Dragging moves the selection; the parent hears once, at the release.
  gwes::PostStylus(gwes::StylusAction::Down, 20, 52);
  gwes::PostStylus(gwes::StylusAction::Move, 20, 51 + 2 * row + 1);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Selection(list), 2);
  gwes::PostStylus(gwes::StylusAction::Up, 20, 51 + 2 * row + 1);
  EXPECT_EQ(Drain(), (Events{"LBN_SELCHANGE(7)"}));
}

TEST_F(ListBoxTest, DrawsTheSelectedRowHighlighted) {
  HWND list = List(0);
  Fill(list, 3);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  Drain();
  int row = RowHeight(list);
  EXPECT_EQ(ScreenColour(10, 60), GetSysColor(COLOR_WINDOWFRAME));  // the border
  EXPECT_EQ(ScreenColour(125, 51 + row + 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ScreenColour(125, 51 + 1), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ScreenColour(125, 51 + 3 * row + 1), GetSysColor(COLOR_WINDOW));
  SendMessageW(list, LB_SETCURSEL, 2, 0);
  Drain();
  EXPECT_EQ(ScreenColour(125, 51 + row + 1), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ScreenColour(125, 51 + 2 * row + 1), GetSysColor(COLOR_HIGHLIGHT));
}

}  // namespace
