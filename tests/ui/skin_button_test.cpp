#include "ui/skin_button.h"

#include "platform/gwes/dialog/dialog.h"
#include "platform/kernel/process.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "tests/platform/gwes/control_fixture.h"

namespace {

using Events = std::vector<std::string>;
using gwes_test::Pump;

// The main menu template's button style (visible, tab stop, BS_NOTIFY, plain push button).
constexpr DWORD kMenuButtonStyle = 0x50014000;

// The recording parent of the control fixture behind a framework object, so the parent offers
// its controls' notifications to them first; what they leave reaches the recording as events.
class SkinButtonTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    kernel::SetProgramResources(ProgramResourceBytes());
    ControlTest::SetUp();
    ASSERT_TRUE(framework.SubclassWindow(parent));
  }
  std::string CommandName(WORD code) override {
    return code == BN_CLICKED ? "clicked" : code == BN_SETFOCUS ? "setfocus" : std::to_string(code);
  }
  // Binds `button` to a new template-like button `id` with the given faces, placed at `rect`.
  void Place(CSkinButton& button, int id, UINT normal, UINT focus, UINT pressed, RECT rect, bool shown = true) {
    HWND hwnd = Make(kButtonClassName, u"Button", kMenuButtonStyle, {10, 10, 85, 33}, id);
    if (!shown) ShowWindow(hwnd, SW_HIDE);
    ASSERT_TRUE(button.SubclassDlgItem(id, &framework));
    button.m_nNormalId = normal;
    button.m_nFocusId = focus;
    button.m_nPressedId = pressed;
    button.MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    Pump();
  }
  CWnd framework;
};

// The id of the button face that covers the screen at (x, y) pixel for pixel; 0 for none.
UINT FaceAt(int x, int y) {
  for (UINT id : {IDB_MENU_BACKLIGHT_NORMAL, IDB_MENU_BACKLIGHT_SELECTED, IDB_BUTTON_OK_NORMAL, IDB_BUTTON_OK_FOCUS,
                  IDB_BUTTON_CANCEL_NORMAL, IDB_BUTTON_CANCEL_FOCUS, IDB_MESSAGE_OK_PRESSED}) {
    CSkinBitmap face;
    if (!LoadSkinBitmap(face, id)) continue;
    gwes::Surface& pixels = *gwes::LookupGdi<gwes::BitmapObject>(face.GetSafeHandle())->m_surface;
    bool same = true;
    for (int row = 0; row < pixels.height && same; ++row)
      for (int column = 0; column < pixels.width && same; ++column)
        same = ((gwes::Screen()->At(x + column, y + row) ^ pixels.At(column, row)) & gwes::kColourBits) == 0;
    if (same) return id;
  }
  return 0;
}

constexpr RECT kOkRect{85, 192, 143, 220};
// An id no bitmap of the program has.
constexpr UINT kMissingFace = 9999;

TEST_F(SkinButtonTest, ADoubleTapIsASecondClickAndDrawsReachNoParent) {
  CSkinButton backlight;
  Place(backlight, IDC_MENU_BACKLIGHT, IDB_MENU_BACKLIGHT_NORMAL, IDB_MENU_BACKLIGHT_SELECTED,
        IDB_MENU_BACKLIGHT_NORMAL, {20, 30, 74, 89});
  EXPECT_EQ(FaceAt(20, 30), IDB_MENU_BACKLIGHT_NORMAL);
  EXPECT_EQ(Drain(), Events{});

  Tap(40, 50);
  Tap(40, 50);  // the same instant: a double tap
  const std::string id = "(" + std::to_string(IDC_MENU_BACKLIGHT) + ")";
  EXPECT_EQ(Drain(), (Events{"setfocus" + id, "clicked" + id, "clicked" + id}));
  EXPECT_EQ(FaceAt(20, 30), IDB_MENU_BACKLIGHT_SELECTED);
}

TEST_F(SkinButtonTest, FocusWinsOverPressedAndMissingFacesFallBackToNormal) {
  CSkinButton ok, cancel;
  Place(ok, IDOK, IDB_BUTTON_OK_NORMAL, IDB_BUTTON_OK_FOCUS, IDB_MESSAGE_OK_PRESSED, kOkRect);
  Place(cancel, IDCANCEL, IDB_BUTTON_CANCEL_NORMAL, kMissingFace, kMissingFace, {175, 192, 233, 220});
  SendMessageW(ok, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(FaceAt(85, 192), IDB_MESSAGE_OK_PRESSED);
  SetFocus(ok);
  EXPECT_EQ(FaceAt(85, 192), IDB_BUTTON_OK_FOCUS);

  SetFocus(cancel);
  SendMessageW(cancel, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(FaceAt(175, 192), IDB_BUTTON_CANCEL_NORMAL);
  EXPECT_EQ(FaceAt(85, 192), IDB_MESSAGE_OK_PRESSED);
}

TEST_F(SkinButtonTest, WithoutANormalFaceTheButtonNeverDraws) {
  CSkinButton button;
  Place(button, IDOK, CSkinButton::kNoFace, IDB_BUTTON_OK_FOCUS, IDB_BUTTON_OK_FOCUS, kOkRect);
  SetFocus(button);
  EXPECT_EQ(gwes_test::ScreenColour(100, 200), kBackground);
  // The failed preparation is not tried again during this window's life.
  button.m_nNormalId = IDB_BUTTON_OK_NORMAL;
  button.Invalidate();
  EXPECT_EQ(Drain(), Events{"setfocus(1)"});
  EXPECT_EQ(FaceAt(85, 192), 0u);
  EXPECT_EQ(gwes_test::ScreenColour(100, 200), kBackground);
}

TEST_F(SkinButtonTest, FacesAreReadAtTheFirstVisibleDrawAndKeptUntilDestroy) {
  DeleteDC(CreateCompatibleDC(nullptr));  // memory contexts share one default bitmap, made at first use
  const std::size_t before = gwes::GdiObjectCount();
  CSkinButton button;
  Place(button, IDOK, IDB_BUTTON_OK_NORMAL, IDB_BUTTON_OK_FOCUS, IDB_BUTTON_OK_NORMAL, kOkRect, false);
  DRAWITEMSTRUCT item{ODT_BUTTON, IDOK, 0, ODA_DRAWENTIRE, 0, button, CreateCompatibleDC(nullptr), {}, 0};
  SendMessageW(parent, WM_DRAWITEM, IDOK, reinterpret_cast<LPARAM>(&item));
  DeleteDC(item.hDC);
  EXPECT_EQ(gwes::GdiObjectCount(), before);  // hidden: nothing read yet

  button.m_nNormalId = IDB_BUTTON_CANCEL_NORMAL;
  button.ShowWindow(SW_SHOW);
  Pump();
  EXPECT_EQ(FaceAt(85, 192), IDB_BUTTON_CANCEL_NORMAL);
  EXPECT_EQ(gwes::GdiObjectCount(), before + 4);  // the memory surface and three faces
  button.m_nFocusId = IDB_BUTTON_CANCEL_FOCUS;
  SetFocus(button);
  EXPECT_EQ(FaceAt(85, 192), IDB_BUTTON_OK_FOCUS);

  // Destroy gives everything back; the next window bound to the object reads the ids afresh.
  button.DestroyWindow();
  EXPECT_EQ(gwes::GdiObjectCount(), before);
  Place(button, IDOK, IDB_BUTTON_OK_NORMAL, IDB_BUTTON_CANCEL_FOCUS, IDB_BUTTON_OK_NORMAL, kOkRect);
  SetFocus(button);
  EXPECT_EQ(FaceAt(85, 192), IDB_BUTTON_CANCEL_FOCUS);
}

}  // namespace
