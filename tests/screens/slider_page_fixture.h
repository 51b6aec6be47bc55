// The slider pages (backlight, volume) run modally over a stand-in main window, so the device close
// key's close request can be seen; helpers to look at the page, drag its thumb and mark pixels.
#pragma once

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

  // Where the page placed control `id`, as (x, y, width, height).
  static RECT Placement(int id) {
    RECT r = WindowRect(Item(id));
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
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

  static bool SameRect(RECT a, RECT b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }

  CWinApp app;
  CWnd main;
};

// The places every slider page gives its controls (x, y, width, height), and the faces its buttons
// show with the slider focused.
struct PagePlace {
  int id;
  RECT place;
  UINT face;  // 0: a control without a face
};
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

}  // namespace screens_test
