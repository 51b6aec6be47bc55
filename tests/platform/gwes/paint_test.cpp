#include "platform/gwes/paint.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/fill.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "tests/platform/gwes/control_fixture.h"

using gwes_test::MakeWindow;
using gwes_test::MessageLog;
using gwes_test::Pump;
using Log = std::vector<std::string>;

namespace {

using gwes_test::Edges;
using Colours = std::vector<COLORREF>;

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0), kCyan = RGB(0, 255, 255);

// The screen's colours at the given points.
Colours ColoursAt(std::initializer_list<POINT> points) {
  Colours colours;
  for (POINT p : points) colours.push_back(gwes_test::ScreenColour(p.x, p.y));
  return colours;
}

using Rects = std::vector<std::vector<LONG>>;

// Each window's update rectangle, empty when it needs no paint.
Rects UpdatesOf(std::initializer_list<HWND> windows) {
  Rects updates;
  for (HWND hwnd : windows) {
    RECT rect{};
    updates.push_back(GetUpdateRect(hwnd, &rect, FALSE) ? Edges(rect) : std::vector<LONG>{});
  }
  return updates;
}

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
  EXPECT_EQ(UpdatesOf({top, child, hidden}), (Rects{{0, 0, 50, 50}, {}, {}}));
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
  EXPECT_EQ(UpdatesOf({top, far}), (Rects{{10, 10, 30, 30}, {}}));
  Pump();

  MoveWindow(far, 200, 190, 20, 20, TRUE);
  EXPECT_EQ(UpdatesOf({top, far}), (Rects{{200, 210, 220, 220}, {0, 0, 20, 20}}));  // top: what is uncovered
  Pump();

  // Raising the lower sibling repaints it; the one now below needs nothing.
  SetWindowPos(under, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(UpdatesOf({under, over}), (Rects{{0, 0, 40, 40}, {}}));
  Pump();
  SetWindowPos(under, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(UpdatesOf({over}), (Rects{{20, 0, 40, 40}}));
  Pump();
  log.Clear();
  SetWindowPos(over, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(log.Take(), (Log{"over:WM_WINDOWPOSCHANGING:0:0x7"}));  // no change, no repaint
}

TEST_F(PaintTest, PaintDcsClipToTheUpdateRegionChildrenAndSiblingsAbove) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  MakeWindow("ghost", WS_CHILD, top, {60, 10, 70, 20}, 4);  // hidden above the others: clips nothing
  PaintWith(top, kRed);
  PaintWith(MakeWindow("child", WS_CHILD | WS_VISIBLE, top, {10, 10, 20, 20}, 1), kBlue);
  PaintWith(MakeWindow("upper", WS_CHILD | WS_VISIBLE, top, {40, 10, 60, 20}, 2), kGreen);
  PaintWith(MakeWindow("lower", WS_CHILD | WS_VISIBLE, top, {50, 10, 70, 20}, 3), kYellow);
  std::uint64_t dirty = gwes::ScreenDirtyCount();
  Pump();
  EXPECT_GT(gwes::ScreenDirtyCount(), dirty);
  // The upper sibling wins the overlap at (55, 15).
  EXPECT_EQ(ColoursAt({{5, 5}, {15, 15}, {55, 15}, {65, 15}}), (Colours{kRed, kBlue, kGreen, kYellow}));

  // Repainting only part of the parent touches only that part, and never its child.
  PaintWith(top, kBlack);
  ValidateRect(top, nullptr);
  RECT part{0, 0, 12, 12};
  InvalidateRect(top, &part, FALSE);
  Pump();
  EXPECT_EQ(ColoursAt({{11, 11}, {9, 9}, {12, 5}}), (Colours{kBlue, kBlack, kRed}));

  // A second thread draws through GetDC, clipped to what of the window shows now: also a window
  // shown above it after the context was made stays whole.
  HDC dc = GetDC(top);
  PaintWith(MakeWindow("over", WS_POPUP | WS_VISIBLE, nullptr, {90, 90, 110, 110}), kCyan);
  Pump();
  std::thread worker([&] {
    RECT all{0, 0, 320, 240};
    FillRect(dc, &all, static_cast<HBRUSH>(GetSysColorBrush(COLOR_WINDOW)));
    ReleaseDC(top, dc);
  });
  worker.join();
  EXPECT_EQ(ColoursAt({{120, 120}, {100, 100}, {15, 15}}), (Colours{GetSysColor(COLOR_WINDOW), kCyan, kBlue}));

  // What no window covers any more shows the black desktop.
  DestroyWindow(top);
  EXPECT_EQ(ColoursAt({{15, 15}, {319, 239}}), (Colours{kBlack, kBlack}));
}

// A flush (an animation's finished frame) counts as drawing and calls the front end's hook, from
// whichever thread flushed, until the hook is taken away.
TEST(ScreenFlushHook, EachFlushMarksTheScreenAndCallsTheHook) {
  static std::atomic<int> calls{0};
  gwes::SetScreenFlushHook([] { ++calls; });
  const std::uint64_t dirty = gwes::ScreenDirtyCount();
  GdiFlush();
  std::thread([] { GdiFlush(); }).join();
  gwes::SetScreenFlushHook(nullptr);
  GdiFlush();
  EXPECT_EQ(calls.load(), 2);
  EXPECT_EQ(gwes::ScreenDirtyCount(), dirty + 3);
}

}  // namespace
