#include "platform/gwes/controls/edit.h"

#include "tests/platform/gwes/control_fixture.h"

using gwes_test::ScreenColour;
using Events = std::vector<std::string>;

namespace {

class EditTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    commandNames = {GWES_TEST_NAMED(EN_SETFOCUS), GWES_TEST_NAMED(EN_KILLFOCUS), GWES_TEST_NAMED(EN_CHANGE),
                    GWES_TEST_NAMED(EN_UPDATE), GWES_TEST_NAMED(EN_MAXTEXT)};
  }
  // A bordered single-line edit at (10, 100), 100 x 20, id 5.
  HWND Edit(DWORD style = ES_AUTOHSCROLL, const char16_t* text = u"") {
    HWND edit = Make(kEditClassName, text, WS_BORDER | style, {10, 100, 110, 120}, 5);
    Drain();
    return edit;
  }
  static std::pair<DWORD, DWORD> Selection(HWND hwnd) {
    DWORD start = 99, end = 99;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  void Type(std::u16string_view text) {
    for (char16_t ch : text) gwes::PostChar(ch);
  }
  static Events Changes(int count) {
    Events events;
    for (int i = 0; i < count; ++i) {
      events.push_back("EN_UPDATE(5)");
      events.push_back("EN_CHANGE(5)");
    }
    return events;
  }
};

TEST_F(EditTest, TypingAndEditingKeysChangeTheTextAtTheCaret) {
  HWND edit = Edit();
  SetFocus(edit);
  EXPECT_EQ(Drain(), (Events{"EN_SETFOCUS(5)"}));
  Type(u"abc");
  EXPECT_EQ(Drain(), Changes(3));
  EXPECT_EQ(Text(edit), u"abc");
  EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD>{3, 3}));

  Key(VK_LEFT);
  Key(VK_LEFT);
  gwes::PostChar(VK_BACK);
  EXPECT_EQ(Drain(), Changes(1));  // moving the caret tells nobody
  EXPECT_EQ(Text(edit), u"bc");
  Key(VK_END);
  Type(u"d");
  Key(VK_HOME);
  Key(VK_DELETE);
  Drain();
  EXPECT_EQ(Text(edit), u"cd");
  EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD>{0, 0}));

  gwes::PostKey(VK_SHIFT, true);
  Key(VK_RIGHT);
  gwes::PostKey(VK_SHIFT, false);
  Drain();
  EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD>{0, 1}));
  Type(u"X");
  Drain();
  EXPECT_EQ(Text(edit), u"Xd");
  gwes::PostChar(u'\r');  // a single line takes no Enter
  gwes::PostChar(VK_TAB);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Text(edit), u"Xd");

  SetFocus(nullptr);
  EXPECT_EQ(Drain(), (Events{"EN_KILLFOCUS(5)"}));
}

TEST_F(EditTest, ProgrammaticChangesLimitsAndReadOnly) {
  HWND single = Edit(ES_AUTOHSCROLL, u"start");
  SetWindowTextW(single, u"hello");
  EXPECT_EQ(Drain(), Changes(1));
  EXPECT_EQ(Selection(single), (std::pair<DWORD, DWORD>{0, 0}));
  SendMessageW(single, EM_SETSEL, 1, 3);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(SendMessageW(single, EM_GETSEL, 0, 0), MAKELPARAM(1, 3));
  SendMessageW(single, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"EL"));
  EXPECT_EQ(Drain(), Changes(1));
  EXPECT_EQ(Text(single), u"hELlo");
  SendMessageW(single, EM_SETSEL, 0, -1);
  EXPECT_EQ(Selection(single), (std::pair<DWORD, DWORD>{0, 5}));

  SendMessageW(single, EM_SETSEL, 5, 5);
  SendMessageW(single, EM_LIMITTEXT, 6, 0);
  SetFocus(single);
  Drain();
  Type(u"yz");
  EXPECT_EQ(Drain(), (Events{"EN_UPDATE(5)", "EN_CHANGE(5)", "EN_MAXTEXT(5)"}));
  EXPECT_EQ(Text(single), u"hELloy");

  SendMessageW(single, EM_SETREADONLY, TRUE, 0);
  Type(u"q");
  Key(VK_DELETE);
  gwes::PostChar(VK_BACK);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Text(single), u"hELloy");
  EXPECT_EQ(SendMessageW(single, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);

  // A multi-line edit is told nothing of WM_SETTEXT, and takes Enter as a line break.
  HWND multi = Make(kEditClassName, u"", ES_MULTILINE, {10, 130, 110, 200}, 6);
  Drain();
  SetWindowTextW(multi, u"one");
  EXPECT_EQ(Drain(), Events{});
  SetFocus(multi);
  Key(VK_END);
  gwes::PostChar(u'\r');
  Type(u"two");
  gwes::PostChar(VK_BACK);
  Drain();
  EXPECT_EQ(Text(multi), u"one\r\ntw");
  Key(VK_HOME);
  gwes::PostChar(VK_BACK);  // the line break goes as one
  Drain();
  EXPECT_EQ(Text(multi), u"onetw");
  EXPECT_EQ(SendMessageW(multi, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
}

TEST_F(EditTest, WithoutAutoScrollTypingStopsAtTheRightEdge) {
  HWND edit = Make(kEditClassName, u"", WS_BORDER, {10, 100, 40, 120}, 5);
  SetFocus(edit);
  Drain();
  Type(u"WWWWWWWWWW");
  Events told = Drain();
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(told.back(), "EN_MAXTEXT(5)");
  std::u16string shown = Text(edit);
  EXPECT_GT(shown.size(), 0u);
  EXPECT_LT(shown.size(), 10u);
}

TEST_F(EditTest, TheCaretBlinksWhileFocusedAndATapPlacesIt) {
  HWND edit = Edit();
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF paper = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(ScreenColour(12, 106), paper);
  SetFocus(edit);
  Drain();
  EXPECT_EQ(ScreenColour(12, 106), ink);  // a one-pixel line inside the border and margin
  EXPECT_EQ(ScreenColour(13, 106), paper);
  gwes::Screen()->At(60, 110) = 0x00123457;  // a blink redraws the caret's column only
  gwes::AdvanceTime(gwes::kCaretBlinkMs);
  Drain();
  EXPECT_EQ(ScreenColour(12, 106), paper);
  EXPECT_EQ(gwes::Screen()->Pixel(60, 110) & gwes::kColourBits, 0x00123457u);
  gwes::AdvanceTime(gwes::kCaretBlinkMs);
  Drain();
  EXPECT_EQ(ScreenColour(12, 106), ink);
  SetFocus(nullptr);
  Drain();
  EXPECT_EQ(ScreenColour(12, 106), paper);

  SetWindowTextW(edit, u"abcdef");
  Tap(105, 110);
  Drain();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD>{6, 6}));
  NextTap();
  Tap(11, 110);
  Drain();
  EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD>{0, 0}));
}

}  // namespace
