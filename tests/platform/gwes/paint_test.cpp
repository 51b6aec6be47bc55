#include "platform/gwes/paint.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/fill.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "tests/platform/gwes/message_log.h"

using gwes_test::MakeWindow;
using gwes_test::MessageLog;
using gwes_test::Pump;
using Log = std::vector<std::string>;

namespace {

using gwes_test::Edges;

std::vector<LONG> UpdateOf(HWND hwnd) {
  RECT rect{};
  if (!GetUpdateRect(hwnd, &rect, FALSE)) return {};
  return Edges(rect);
}

COLORREF ScreenAt(int x, int y) { return gwes::ColourOf(gwes::Screen()->At(x, y) & gwes::kColourBits); }

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override { gwes_test::DestroyAllWindows(); }
  void TearDown() override {
    gwes_test::DestroyAllWindows();
    for (HBRUSH brush : brushes) DeleteObject(brush);
  }
  // The window paints its whole client area with a solid colour and erases nothing.
  void PaintWith(HWND hwnd, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    brushes.push_back(brush);
    log.React(hwnd, WM_PAINT, [hwnd, brush](WPARAM, LPARAM) -> LRESULT {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(dc, &client, brush);
      EndPaint(hwnd, &ps);
      return 0;
    });
    InvalidateRect(hwnd, nullptr, FALSE);
  }
  MessageLog& log = MessageLog::Get();
  std::vector<HBRUSH> brushes;
};

TEST_F(PaintTest, ParentsEraseAndPaintBeforeChildrenAndNothingRepaintsWithoutCause) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  HWND child = MakeWindow("child", WS_CHILD | WS_VISIBLE, top, {10, 10, 30, 30}, 1);
  HWND hidden = MakeWindow("hidden", WS_CHILD, top, {40, 40, 50, 50}, 2);
  log.Clear();
  Pump();
  EXPECT_EQ(log.Take(), (Log{"top:WM_PAINT:0:0", "top:WM_ERASEBKGND:*:*", "child:WM_PAINT:0:0", "child:WM_ERASEBKGND:*:*"}));
  Pump();
  EXPECT_EQ(log.Take(), Log{});

  // The parent clips its children, so invalidating it leaves them alone.
  RECT part{0, 0, 50, 50};
  InvalidateRect(top, &part, FALSE);
  InvalidateRect(hidden, nullptr, TRUE);
  EXPECT_EQ(UpdateOf(top), (std::vector<LONG>{0, 0, 50, 50}));
  EXPECT_EQ(UpdateOf(child), std::vector<LONG>{});
  EXPECT_EQ(UpdateOf(hidden), std::vector<LONG>{});
  Pump();
  EXPECT_EQ(log.Take(), (Log{"top:WM_PAINT:0:0"}));
  InvalidateRect(child, nullptr, TRUE);
  ValidateRect(child, nullptr);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(log.Take(), (Log{"top:WM_PAINT:0:0", "child:WM_PAINT:0:0"}));
  Pump();
  EXPECT_EQ(log.Take(), Log{});
}

TEST_F(PaintTest, HidingMovingAndRestackingInvalidateWhatTheyUncover) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  HWND a = MakeWindow("a", WS_CHILD | WS_VISIBLE, top, {10, 10, 30, 30}, 1);
  HWND far = MakeWindow("far", WS_CHILD | WS_VISIBLE, top, {200, 200, 220, 220}, 2);
  HWND over = MakeWindow("over", WS_CHILD | WS_VISIBLE, top, {100, 100, 140, 140}, 3);
  HWND under = MakeWindow("under", WS_CHILD | WS_VISIBLE, top, {120, 100, 160, 140}, 4);
  Pump();
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(UpdateOf(top), (std::vector<LONG>{10, 10, 30, 30}));
  EXPECT_EQ(UpdateOf(far), std::vector<LONG>{});
  Pump();

  MoveWindow(far, 200, 190, 20, 20, TRUE);
  EXPECT_EQ(UpdateOf(top), (std::vector<LONG>{200, 210, 220, 220}));  // the part no longer covered
  EXPECT_EQ(UpdateOf(far), (std::vector<LONG>{0, 0, 20, 20}));
  Pump();

  // Raising the lower sibling repaints it; the one now below needs nothing.
  SetWindowPos(under, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(UpdateOf(under), (std::vector<LONG>{0, 0, 40, 40}));
  EXPECT_EQ(UpdateOf(over), std::vector<LONG>{});
  Pump();
  SetWindowPos(under, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(UpdateOf(over), (std::vector<LONG>{20, 0, 40, 40}));
  Pump();
  log.Clear();
  SetWindowPos(over, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(log.Take(), (Log{"over:WM_WINDOWPOSCHANGING:0:0x7"}));  // no change, no repaint
}

TEST_F(PaintTest, PaintDcsClipToTheUpdateRegionChildrenAndSiblingsAbove) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  MakeWindow("ghost", WS_CHILD, top, {60, 10, 70, 20}, 4);  // hidden above the others: clips nothing
  PaintWith(top, RGB(255, 0, 0));
  PaintWith(MakeWindow("child", WS_CHILD | WS_VISIBLE, top, {10, 10, 20, 20}, 1), RGB(0, 0, 255));
  PaintWith(MakeWindow("upper", WS_CHILD | WS_VISIBLE, top, {40, 10, 60, 20}, 2), RGB(0, 255, 0));
  PaintWith(MakeWindow("lower", WS_CHILD | WS_VISIBLE, top, {50, 10, 70, 20}, 3), RGB(255, 255, 0));
  std::uint64_t dirty = gwes::ScreenDirtyCount();
  Pump();
  EXPECT_GT(gwes::ScreenDirtyCount(), dirty);
  EXPECT_EQ(ScreenAt(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(ScreenAt(15, 15), RGB(0, 0, 255));
  EXPECT_EQ(ScreenAt(55, 15), RGB(0, 255, 0));  // the upper sibling wins the overlap
  EXPECT_EQ(ScreenAt(65, 15), RGB(255, 255, 0));

  // Repainting only part of the parent touches only that part, and never its child.
  PaintWith(top, RGB(0, 0, 0));
  ValidateRect(top, nullptr);
  RECT part{0, 0, 12, 12};
  InvalidateRect(top, &part, FALSE);
  Pump();
  EXPECT_EQ(ScreenAt(11, 11), RGB(0, 0, 255));
  EXPECT_EQ(ScreenAt(9, 9), RGB(0, 0, 0));
  EXPECT_EQ(ScreenAt(12, 5), RGB(255, 0, 0));

  // A second thread draws through GetDC, clipped to what of the window shows now: also a window
  // shown above it after the context was made stays whole.
  HDC dc = GetDC(top);
  PaintWith(MakeWindow("over", WS_POPUP | WS_VISIBLE, nullptr, {90, 90, 110, 110}), RGB(0, 255, 255));
  Pump();
  std::thread worker([&] {
    RECT all{0, 0, 320, 240};
    FillRect(dc, &all, static_cast<HBRUSH>(GetSysColorBrush(COLOR_WINDOW)));
    ReleaseDC(top, dc);
  });
  worker.join();
  EXPECT_EQ(ScreenAt(120, 120), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ScreenAt(100, 100), RGB(0, 255, 255));
  EXPECT_EQ(ScreenAt(15, 15), RGB(0, 0, 255));

  // What no window covers any more shows the black desktop.
  DestroyWindow(top);
  EXPECT_EQ(ScreenAt(15, 15), RGB(0, 0, 0));
  EXPECT_EQ(ScreenAt(319, 239), RGB(0, 0, 0));
}

}  // namespace
