#include "ui/skin_label.h"

#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "tests/platform/gwes/control_fixture.h"
#include "ui/skin_bitmap.h"

using gwes_test::ScreenColour;

namespace {

// The screen pixels of `screen` that differ from skin bitmap `id` read from `origin` on.
int InkOver(UINT id, RECT screen, POINT origin) {
  CSkinBitmap bitmap;
  LoadSkinBitmap(bitmap, id);
  auto skin = gwes::LookupGdi<gwes::BitmapObject>(bitmap.GetSafeHandle())->m_surface;
  int ink = 0;
  for (int y = screen.top; y < screen.bottom; ++y)
    for (int x = screen.left; x < screen.right; ++x)
      ink += ScreenColour(x, y) !=
             gwes::ColourOf(skin->At(origin.x + x - screen.left, origin.y + y - screen.top) & gwes::kColourBits);
  return ink;
}

// Whether some pixel of `screen` is exactly `colour` (a glyph's fully covered core).
bool Shows(RECT screen, COLORREF colour) {
  for (int y = screen.top; y < screen.bottom; ++y)
    for (int x = screen.left; x < screen.right; ++x)
      if (ScreenColour(x, y) == colour) return true;
  return false;
}

class SkinLabelTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    kernel::SetProgramResources(ProgramResourceBytes());
    ControlTest::SetUp();
    ASSERT_TRUE(parentWnd.SubclassWindow(parent));  // colour requests come back to the label
  }
  CSkinLabel& Bind(const char16_t* text, RECT rect, DWORD style = SS_LEFT) {
    Make(kStaticClassName, text, style, rect, 7);
    label = std::make_unique<CSkinLabel>();
    EXPECT_TRUE(label->SubclassDlgItem(7, &parentWnd));
    return *label;
  }

  CWnd parentWnd;
  std::unique_ptr<CSkinLabel> label;
};

// The sizes themselves show in the golden images; here each change repaints over the old glyphs.
TEST_F(SkinLabelTest, HeightWeightColourAndTextChangesRepaintWithoutLeavingOldGlyphs) {
  const RECT place{20, 100, 300, 160};
  CSkinLabel& caption = Bind(u"Time zone", place);
  auto ink = [&] {
    Drain();
    return InkOver(IDB_MENU_BACKGROUND, place, {20, 100});
  };
  caption.SetHeight(22);
  caption.SetBold(TRUE);
  int bold = ink();
  caption.SetColor(RGB(255, 0, 0));
  Drain();
  EXPECT_TRUE(Shows(place, RGB(255, 0, 0)));
  // Thinner and then smaller glyphs show only when the old ones are erased first.
  caption.SetBold(FALSE);
  int tall = ink();
  EXPECT_LT(tall, bold * 4 / 5);
  caption.SetHeight(13);
  EXPECT_LT(ink(), tall / 2);
  caption.SetText(u"");
  EXPECT_EQ(ink(), 0);
}

TEST_F(SkinLabelTest, RestylingKeepsOneFontAndDestructionFreesIt) {
  CSkinLabel& title = Bind(u"Power", {85, 15, 320, 55});
  Drain();
  std::size_t settled = gwes::GdiObjectCount();
  title.SetHeight(12);
  title.SetBold(TRUE);
  Drain();
  EXPECT_EQ(gwes::GdiObjectCount(), settled);
  label.reset();
  EXPECT_EQ(gwes::GdiObjectCount(), settled - 1);
}

TEST_F(SkinLabelTest, ATapOrDoubleTapOnALabelTellsTheParentNothing) {
  Bind(u"Language", {85, 15, 320, 55}, SS_NOTIFY);  // even a notifying static stays silent
  Drain();
  Tap(100, 30);
  Tap(100, 30);
  EXPECT_TRUE(Drain().empty());
}

}  // namespace
