#include "platform/gwes/controls/list_box.h"

#include <tuple>

#include "platform/gwes/controls/combo_box.h"
#include "tests/platform/gwes/control_fixture.h"

using Texts = std::vector<std::u16string>;

namespace {

class ListBoxTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    commandNames = {GWES_TEST_NAMED(LBN_SELCHANGE), GWES_TEST_NAMED(LBN_DBLCLK), GWES_TEST_NAMED(LBN_SETFOCUS),
                    GWES_TEST_NAMED(LBN_KILLFOCUS)};
    gwes::RegisterComboBoxClass();
  }
  // A bordered list at (10, 50), 120 x 80, id 7, or a plain one beside it, id 8.
  HWND List(DWORD style, int id = 7) {
    list = Make(kListBoxClassName, u"", style | (id == 7 ? WS_BORDER : 0),
                id == 7 ? RECT{10, 50, 130, 130} : RECT{150, 50, 250, 130}, id);
    Drain();
    return list;
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return ControlTest::Send(list, msg, wParam, lParam); }
  LRESULT Send(UINT msg, WPARAM wParam, const void* pointer) { return ControlTest::Send(list, msg, wParam, pointer); }
  LRESULT Add(const char16_t* text, LPARAM data = 0) {
    LRESULT index = Send(LB_ADDSTRING, 0, text);
    EXPECT_EQ(Send(LB_SETITEMDATA, static_cast<WPARAM>(index), data), TRUE);
    return index;
  }
  Texts AllTexts() {
    Texts texts;
    for (LRESULT i = 0; i < Send(LB_GETCOUNT); ++i) {
      char16_t buffer[64] = {};
      Send(LB_GETTEXT, static_cast<WPARAM>(i), buffer);
      texts.push_back(buffer);
    }
    return texts;
  }
  LRESULT Data(LRESULT index) { return Send(LB_GETITEMDATA, static_cast<WPARAM>(index)); }
  LRESULT Selection() { return Send(LB_GETCURSEL); }
  void Fill(int count) {
    for (int i = 0; i < count; ++i) Add((u"item " + std::u16string(1, char16_t(u'A' + i))).c_str(), i + 100);
  }
  int RowHeight() { return static_cast<int>(Send(LB_GETITEMHEIGHT)); }

  HWND list = nullptr;
};

TEST_F(ListBoxTest, SortedListKeepsCaseInsensitiveOrderAndItemDataFollowsItsText) {
  List(LBS_SORT);
  // Each row: a text, its data, the index it is sorted to.
  for (auto [text, data, index] : {std::tuple{u"German", 1031, 0}, {u"english-US", 1033, 0}, {u"French", 1036, 1},
                                   {u"English-UK", 2057, 0}})
    EXPECT_EQ(Add(text, data), index);
  EXPECT_EQ(AllTexts(), (Texts{u"English-UK", u"english-US", u"French", u"German"}));
  EXPECT_EQ(Data(1), 1033);

  // The selection stays on its text while texts come and go before it.
  Send(LB_SETCURSEL, 2);
  Add(u"Danish", 1030);
  EXPECT_EQ(Selection(), 3);
  EXPECT_EQ(Send(LB_DELETESTRING, 0), 4);  // the remaining count
  EXPECT_EQ(Selection(), 2);
  EXPECT_EQ(std::pair(Data(2), Data(3)), (std::pair<LRESULT, LRESULT>(1036, 1031)));
  Send(LB_DELETESTRING, 2);  // the selected text itself
  EXPECT_EQ(Selection(), LB_ERR);

  // An unsorted list keeps the order of arrival; LB_INSERTSTRING puts a text where it is told.
  List(0, 8);
  for (const char16_t* text : {u"b", u"A"}) Add(text);
  Send(LB_SETCURSEL, 1);
  EXPECT_EQ(Send(LB_INSERTSTRING, 1, u"c"), 1);
  EXPECT_EQ(Selection(), 2);  // a text put in at the selected row pushes the selection down
  EXPECT_EQ(Send(LB_INSERTSTRING, static_cast<WPARAM>(-1), u"z"), 3);
  EXPECT_EQ(AllTexts(), (Texts{u"b", u"c", u"A", u"z"}));
  Send(LB_SETCURSEL, 3);
  Send(LB_RESETCONTENT);
  EXPECT_EQ(Send(LB_GETCOUNT), 0);
  EXPECT_EQ(Selection(), LB_ERR);
}

TEST_F(ListBoxTest, BadIndexesAnswerLbErrAndChangeNothing) {
  List(LBS_NOTIFY);
  Fill(3);
  Send(LB_SETCURSEL, 1);
  char16_t text[16] = {};
  for (auto [msg, index] : {std::pair<UINT, int>{LB_GETTEXT, 3}, {LB_GETTEXTLEN, 3}, {LB_GETTEXTLEN, -1},
                            {LB_SETITEMDATA, 3}, {LB_GETITEMDATA, 3}, {LB_DELETESTRING, 3},
                            {LB_INSERTSTRING, 4}, {LB_SETTOPINDEX, 3}, {LB_SETCURSEL, 3}})
    EXPECT_EQ(Send(msg, static_cast<WPARAM>(index), text), LB_ERR) << msg << " " << index;
  EXPECT_EQ(Selection(), 1);
  EXPECT_EQ(Send(LB_GETCOUNT), 3);

  // -1 clears the selection and still answers LB_ERR; none of it tells the parent.
  EXPECT_EQ(Send(LB_SETCURSEL, static_cast<WPARAM>(-1)), LB_ERR);
  EXPECT_EQ(Selection(), LB_ERR);
  EXPECT_EQ(Drain(), Events{});

  // A null text is kept as an empty one rather than read.
  EXPECT_EQ(Send(LB_ADDSTRING), 3);
  EXPECT_EQ(Send(LB_GETTEXTLEN, 3), 0);
}

TEST_F(ListBoxTest, FindingTextsByPrefixOrWholeWrapsFromTheStart) {
  List(0);
  for (const char16_t* text : {u"Paris", u"par", u"Berlin", u"PARIS"}) Add(text);
  // Each row: a message, the index to search after, the text, the index found.
  const std::tuple<UINT, int, const char16_t*, LRESULT> rows[] = {
      {LB_FINDSTRING, -1, u"PA", 0},         {LB_FINDSTRING, 0, u"pa", 1},  // after the start
      {LB_FINDSTRING, 3, u"pa", 0},          // wrapping round
      {LB_FINDSTRINGEXACT, -1, u"paris", 0}, {LB_FINDSTRINGEXACT, 0, u"paris", 3},
      {LB_FINDSTRINGEXACT, -1, u"pari", LB_ERR}, {LB_FINDSTRING, -1, u"Rome", LB_ERR},
      {LB_SELECTSTRING, -1, u"ber", 2}};
  for (auto [msg, start, text, found] : rows)
    EXPECT_EQ(Send(msg, static_cast<WPARAM>(start), text), found) << msg << " " << start;
  EXPECT_EQ(Selection(), 2);
  EXPECT_EQ(Drain(), Events{});
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndStopAtTheEnds) {
  List(LBS_NOTIFY);
  Fill(10);
  EXPECT_EQ(Send(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
  EXPECT_EQ(Focus(list), (Events{"LBN_SETFOCUS(7)"}));
  Keys({VK_DOWN, VK_DOWN});  // no selection yet: the first row, then the second
  EXPECT_EQ(Drain(), (Events{"LBN_SELCHANGE(7)", "LBN_SELCHANGE(7)"}));
  EXPECT_EQ(Selection(), 1);
  Keys({VK_UP, VK_UP, VK_HOME});  // the second Up and Home find it already at the top
  EXPECT_EQ(Drain(), (Events{"LBN_SELCHANGE(7)"}));
  EXPECT_EQ(Selection(), 0);

  EXPECT_EQ(AfterKeys({VK_END, VK_DOWN, VK_NEXT}), (Events{"LBN_SELCHANGE(7)"}));
  EXPECT_EQ(Selection(), 9);
  int page = 78 / RowHeight();  // whole rows inside the border
  EXPECT_EQ(Send(LB_GETTOPINDEX), 10 - page);  // scrolled to keep the selection in view
  AfterKeys({VK_PRIOR});
  EXPECT_EQ(Selection(), 9 - (page - 1));
  AfterTyping(u"I");  // the next text that starts with the letter, in either case
  EXPECT_EQ(Selection(), 11 - page);

  // A programmatic change scrolls too but tells nobody.
  Send(LB_SETCURSEL, 0);
  EXPECT_EQ(Send(LB_GETTOPINDEX), 0);
  EXPECT_EQ(Send(LB_SETTOPINDEX, 9), LB_OKAY);
  EXPECT_EQ(Send(LB_GETTOPINDEX), 10 - page);  // never past the last page
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Focus(nullptr), (Events{"LBN_KILLFOCUS(7)"}));

  // Without LBS_NOTIFY the parent still hears of the focus, but not of the selection.
  List(0, 8);
  Fill(3);
  EXPECT_EQ(Focus(list), (Events{"LBN_SETFOCUS(8)"}));
  EXPECT_EQ(AfterKeys({VK_DOWN}), Events{});
  EXPECT_EQ(Selection(), 0);
}

// How the selected row is drawn, and redrawn as the selection moves, shows on the language page's golden images.
TEST_F(ListBoxTest, TapsSelectTheRowUnderTheStylusAndDoubleTapsNotify) {
  List(LBS_NOTIFY);
  Fill(3);
  int row = RowHeight();
  EXPECT_EQ(AfterTap(20, 51 + row + row / 2), (Events{"LBN_SETFOCUS(7)", "LBN_SELCHANGE(7)"}));  // the second row
  EXPECT_EQ(Selection(), 1);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(AfterTap(20, 51 + row + row / 2), (Events{"LBN_DBLCLK(7)"}));  // the same instant and place: a double tap
  TapAlone(20, 120);  // below the last row: nothing changes
  EXPECT_EQ(Selection(), 1);

  // Dragging moves the selection; the parent hears once, at the release.
  Press(20, 52);
  MoveTo(20, 51 + 2 * row + 1);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Selection(), 2);
  Release(20, 51 + 2 * row + 1);
  EXPECT_EQ(Drain(), (Events{"LBN_SELCHANGE(7)"}));


  // Losing the focus in the middle of a press ends the press as a release does.
  NextTap();
  Press(20, 52);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Focus(nullptr), (Events{"LBN_SELCHANGE(7)", "LBN_KILLFOCUS(7)"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
