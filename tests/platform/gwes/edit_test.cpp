#include "platform/gwes/controls/edit.h"

#include "tests/platform/gwes/control_fixture.h"

using gwes_test::ScreenColour;
using Sel = std::pair<DWORD, DWORD>;

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
  static Sel Selection(HWND hwnd) {
    DWORD start = 99, end = 99;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  static Events Changes(int count) {
    Events events;
    for (int i = 0; i < count; ++i) events.insert(events.end(), {"EN_UPDATE(5)", "EN_CHANGE(5)"});
    return events;
  }
};

TEST_F(EditTest, TypingAndEditingKeysChangeTheTextAtTheCaret) {
  HWND edit = Edit();
  EXPECT_EQ(Focus(edit), (Events{"EN_SETFOCUS(5)"}));
  EXPECT_EQ(AfterTyping(u"abc"), Changes(3));
  EXPECT_EQ(Text(edit), u"abc");
  EXPECT_EQ(Selection(edit), Sel(3, 3));

  Keys({VK_LEFT, VK_LEFT});
  gwes::PostChar(VK_BACK);
  EXPECT_EQ(Drain(), Changes(1));  // moving the caret tells nobody
  EXPECT_EQ(Text(edit), u"bc");
  Key(VK_END);
  Type(u"d");
  AfterKeys({VK_HOME, VK_DELETE});
  EXPECT_EQ(Text(edit), u"cd");
  EXPECT_EQ(Selection(edit), Sel(0, 0));

  gwes::PostKey(VK_SHIFT, true);
  Key(VK_RIGHT);
  gwes::PostKey(VK_SHIFT, false);
  Drain();
  EXPECT_EQ(Selection(edit), Sel(0, 1));
  EXPECT_EQ(AfterTyping(u"X\r\t"), Changes(1));  // a single line takes no Enter and no Tab
  EXPECT_EQ(Text(edit), u"Xd");
  EXPECT_EQ(Focus(nullptr), (Events{"EN_KILLFOCUS(5)"}));
}

TEST_F(EditTest, ProgrammaticChangesLimitsAndReadOnly) {
  HWND single = Edit(ES_AUTOHSCROLL, u"start");
  SetWindowTextW(single, u"hello");
  EXPECT_EQ(Drain(), Changes(1));
  EXPECT_EQ(Selection(single), Sel(0, 0));
  Send(single, EM_SETSEL, 1, 3);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Send(single, EM_GETSEL), MAKELPARAM(1, 3));
  Send(single, EM_REPLACESEL, FALSE, u"EL");
  EXPECT_EQ(Drain(), Changes(1));
  EXPECT_EQ(Text(single), u"hELlo");
  Send(single, EM_SETSEL, 0, -1);
  EXPECT_EQ(Selection(single), Sel(0, 5));

  Send(single, EM_SETSEL, 5, 5);
  Send(single, EM_LIMITTEXT, 6);
  Focus(single);
  EXPECT_EQ(AfterTyping(u"yz"), (Events{"EN_UPDATE(5)", "EN_CHANGE(5)", "EN_MAXTEXT(5)"}));
  EXPECT_EQ(Text(single), u"hELloy");

  Send(single, EM_SETREADONLY, TRUE);
  Type(u"q");
  Key(VK_DELETE);
  gwes::PostChar(VK_BACK);
  EXPECT_EQ(Drain(), Events{});
  EXPECT_EQ(Text(single), u"hELloy");
  EXPECT_EQ(Send(single, WM_GETDLGCODE), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);

  // A multi-line edit is told nothing of WM_SETTEXT, and takes Enter as a line break.
  HWND multi = Make(kEditClassName, u"", ES_MULTILINE, {10, 130, 110, 200}, 6);
  Drain();
  SetWindowTextW(multi, u"one");
  EXPECT_EQ(Drain(), Events{});
  SetFocus(multi);
  Key(VK_END);
  AfterTyping(u"\rtwo\b");
  EXPECT_EQ(Text(multi), u"one\r\ntw");
  Key(VK_HOME);
  AfterTyping(u"\b");  // the line break goes as one
  EXPECT_EQ(Text(multi), u"onetw");
  EXPECT_EQ(Send(multi, WM_GETDLGCODE) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
}

TEST_F(EditTest, WithoutAutoScrollTypingStopsAtTheRightEdge) {
  Focus(Make(kEditClassName, u"", WS_BORDER, {10, 100, 40, 120}, 5));
  Type(u"WWWWWWWWWW");
  Events told = Drain();
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(told.back(), "EN_MAXTEXT(5)");
  EXPECT_GT(Text(GetFocus()).size(), 0u);
  EXPECT_LT(Text(GetFocus()).size(), 10u);
}

TEST_F(EditTest, TheCaretBlinksWhileFocusedAndATapPlacesIt) {
  HWND edit = Edit();
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF paper = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(ScreenColour(12, 106), paper);
  Focus(edit);
  EXPECT_EQ(ScreenColour(12, 106), ink);  // a one-pixel line inside the border and margin
  EXPECT_EQ(ScreenColour(13, 106), paper);
  gwes::Screen()->At(60, 110) = 0x00123457;  // a blink redraws the caret's column only
  After(gwes::kCaretBlinkMs);
  EXPECT_EQ(ScreenColour(12, 106), paper);
  EXPECT_EQ(gwes::Screen()->Pixel(60, 110) & gwes::kColourBits, 0x00123457u);
  After(gwes::kCaretBlinkMs);
  EXPECT_EQ(ScreenColour(12, 106), ink);
  Focus(nullptr);
  EXPECT_EQ(ScreenColour(12, 106), paper);

  SetWindowTextW(edit, u"abcdef");
  AfterTap(105, 110);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Selection(edit), Sel(6, 6));
  TapAlone(11, 110);
  EXPECT_EQ(Selection(edit), Sel(0, 0));
}

}  // namespace
