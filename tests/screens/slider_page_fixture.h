// The slider pages (backlight, volume) run modally over a stand-in main window, so the device close
// key's close request can be seen; helpers to look at the page, drag its thumb and mark pixels.
#pragma once

#include <array>
#include <initializer_list>
#include <optional>

#include "platform/afx/winapp.h"
#include "platform/afx/wnd.h"
#include "platform/gwes/controls/trackbar.h"
#include "platform/gwes/surface.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "res/resource.h"
#include "screens/snapshot_request.h"
#include "tests/screens/screen_fixture.h"

namespace screens_test {

class SliderPageTest : public ScreenTest {
 protected:
  SliderPageTest() {
    main.CreateEx(0, nullptr, u"QuorvaneUtility", WS_POPUP | WS_VISIBLE, 0, 0, gwes::kScreenWidth, gwes::kScreenHeight,
                  nullptr, 0);
    app.m_pMainWnd = &main;
  }
  ~SliderPageTest() override {
    app.m_pMainWnd = nullptr;
    SetSnapshotWriter(nullptr);
  }

  // Takes a close request for the main window if one waits.
  bool CloseRequestPosted() {
    MSG msg;
    return PeekMessageW(&msg, main.m_hWnd, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
  }
  static HWND Item(int id) { return GetDlgItem(TopWindow(), id); }
  static int Pos(int sliderId) { return static_cast<int>(SendMessageW(Item(sliderId), TBM_GETPOS, 0, 0)); }
  static kernel::DeviceStore& Store() { return kernel::CurrentDevice().Store(); }

  // The 203 x 34 slider at (56, 112): where the trackbar has the thumb's centre, on screen.
  static POINT ThumbCentre(int sliderId) {
    RECT thumb{};
    SendMessageW(Item(sliderId), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    return {56 + (thumb.left + thumb.right) / 2, 112 + (thumb.top + thumb.bottom) / 2};
  }
  // Puts a colour no skin has on the screen at (x, y); it stays until something draws there.
  static void Mark(int x, int y) { gwes::Screen()->At(x, y) = kMark; }
  static bool Marked(int x, int y) { return (gwes::Screen()->Pixel(x, y) & gwes::kColourBits) == kMark; }
  static constexpr std::uint32_t kMark = 0x00123457;

  // What both pages show at opening: the title text, the arrows, slider and buttons in their
  // places with their faces (the slider focused), the page's background, hidden controls hidden.
  struct SliderPage {
    int title, left, slider, right;
    const char16_t* text;
    UINT background;
    std::initializer_list<int> hidden;
  };
  static void ExpectOpeningLayout(const SliderPage& page) {
    struct Place {
      int id;
      RECT place;  // x, y, width, height
      UINT face;   // 0: no face
    };
    const Place places[] = {
        {page.title, {85, 15, 235, 40}, 0},
        {page.left, {29, 112, 27, 27}, IDB_ARROW_LEFT_NORMAL},
        {page.slider, {56, 112, 203, 34}, 0},
        {page.right, {259, 112, 27, 27}, IDB_ARROW_RIGHT_NORMAL},
        {IDOK, {85, 192, 58, 28}, IDB_BUTTON_OK_NORMAL},
        {IDCANCEL, {175, 192, 58, 28}, IDB_BUTTON_CANCEL_NORMAL},
    };
    for (const Place& p : places) {
      RECT r = WindowRect(Item(p.id));
      EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                (std::array{p.place.left, p.place.top, p.place.right, p.place.bottom}))
          << p.id;
      if (p.face != 0) {
        EXPECT_EQ(Pixel(p.place.left + 13, p.place.top + 13), BitmapPixel(p.face, 13, 13)) << p.id;
      }
    }
    WCHAR text[32] = {};
    GetWindowTextW(Item(page.title), text, 32);
    EXPECT_EQ(std::u16string(text), page.text);
    EXPECT_EQ(GetFocus(), Item(page.slider));
    EXPECT_EQ(Pixel(300, 230), BitmapPixel(page.background, 300, 230));
    for (int hidden : page.hidden) EXPECT_FALSE(IsWindowVisible(Item(hidden))) << hidden;
  }

  CWinApp app;
  CWnd main;
};

}  // namespace screens_test
