#include "ui/ani_wait_cursor.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/process.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "tests/platform/gwes/control_fixture.h"
#include "tests/support/device_fixture.h"
#include "tests/support/res_writer.h"

namespace {

// Where the cursor lies on a full-screen page, and its size (the first frame's).
constexpr RECT kPlace{100, 100, 220, 141};
constexpr int kWidth = kPlace.right - kPlace.left;

// Polls `ready` without sleeping until it holds or five seconds of real time have passed.
bool Await(const std::function<bool()>& ready) {
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::yield();
  }
  return true;
}

class AniWaitCursorTest : public gwes_test::ControlTest {
 protected:
  void SetUp() override {
    kernel::SetProgramResources(ProgramResourceBytes());
    ControlTest::SetUp();
    SetActiveWindow(parent);
    for (UINT id : CAniWaitCursor::kFrameIds) {
      CSkinBitmap bitmap;
      ASSERT_TRUE(LoadSkinBitmap(bitmap, id));
      auto surface = gwes::LookupGdi<gwes::BitmapObject>(bitmap.GetSafeHandle())->m_surface;
      frames[id].assign(surface->Pixels().begin(), surface->Pixels().end());
    }
  }

  void TearDown() override {
    if (LanguageModule != nullptr) FreeLibrary(std::exchange(LanguageModule, nullptr));
    ControlTest::TearDown();
  }

  // The pixels of columns [left, right) of the cursor's place that differ from frame `id`.
  int Differ(UINT id, int left = kPlace.left, int right = kPlace.right) {
    auto screen = gwes::Screen();
    std::lock_guard guard(screen->lock);  // the worker may be drawing
    int differ = 0;
    for (int y = kPlace.top; y < kPlace.bottom; ++y)
      for (int x = left; x < right; ++x)
        differ += ((screen->Pixel(x, y) ^ frames[id][(y - kPlace.top) * kWidth + (x - kPlace.left)]) & gwes::kColourBits) != 0;
    return differ;
  }
  // The frame whose pixels the cursor's place shows most closely (the text covers a part of any).
  UINT ShownFrame() {
    UINT best = CAniWaitCursor::kFrameIds[0];
    for (UINT id : CAniWaitCursor::kFrameIds)
      if (Differ(id) < Differ(best)) best = id;
    return best;
  }
  // Waits until the worker is blocked in its wait for the next period.
  static bool WorkerWaits() {
    return Await([] { return kernel::FollowersWaiting() == 1; });
  }
  // Moves time by one period and waits until the worker has drawn its next frame and waits again.
  // `meanwhile` runs on this thread while the worker draws.
  UINT NextPeriod(const std::function<void()>& meanwhile = [] {}) {
    UINT before = ShownFrame();
    kernel::AdvanceVirtualTime(CAniWaitCursor::kFramePeriodMs);
    meanwhile();
    EXPECT_TRUE(Await([&] { return ShownFrame() != before; })) << "no frame followed " << before;
    EXPECT_TRUE(WorkerWaits());
    return ShownFrame();
  }

  std::map<UINT, std::vector<std::uint32_t>> frames;
};

// The frames follow one another a period apart, also while the user-interface thread repaints the
// cursor again and again as the worker changes frames; a repaint then draws the current frame.
TEST_F(AniWaitCursorTest, ShowsTheNineFramesInOrderOnePerPeriodAtTheCentreWithGreyText) {
  auto cursor = std::make_unique<CAniWaitCursor>();
  RECT rect{};
  GetWindowRect(*cursor, &rect);
  EXPECT_TRUE(EqualRect(&rect, &kPlace));
  EXPECT_EQ(GetDlgCtrlID(*cursor), 1);
  EXPECT_EQ(GetParent(*cursor), parent);
  ASSERT_TRUE(WorkerWaits());

  DWORD start = GetTickCount();
  std::vector<UINT> shown{ShownFrame()};
  for (int period = 0; period < 11; ++period) {
    shown.push_back(NextPeriod([&] {
      for (int repaint = 0; repaint < 5; ++repaint) {
        InvalidateRect(*cursor, nullptr, TRUE);
        UpdateWindow(*cursor);
      }
    }));
  }
  EXPECT_EQ(shown, (std::vector<UINT>{IDB_WAIT_FRAME_0, IDB_WAIT_FRAME_1, IDB_WAIT_FRAME_2, IDB_WAIT_FRAME_3,
                                      IDB_WAIT_FRAME_4, IDB_WAIT_FRAME_5, IDB_WAIT_FRAME_6, IDB_WAIT_FRAME_7,
                                      IDB_WAIT_FRAME_8, IDB_WAIT_FRAME_0, IDB_WAIT_FRAME_1, IDB_WAIT_FRAME_2}));
  EXPECT_EQ(GetTickCount() - start, 11 * CAniWaitCursor::kFramePeriodMs) << "the worker follows time, never moves it";
  InvalidateRect(parent, nullptr, TRUE);
  Drain();
  EXPECT_EQ(ShownFrame(), static_cast<UINT>(IDB_WAIT_FRAME_2));

  // "Please wait..." lies over the frame at the right, in grey, two pixels kept free at the edge.
  EXPECT_GT(Differ(IDB_WAIT_FRAME_2, kPlace.right - 60, kPlace.right - 2), 50);
  EXPECT_EQ(Differ(IDB_WAIT_FRAME_2, kPlace.left, kPlace.left + 30), 0);
  EXPECT_EQ(Differ(IDB_WAIT_FRAME_2, kPlace.right - 2, kPlace.right), 0);
  auto screen = gwes::Screen();
  std::lock_guard guard(screen->lock);
  bool grey = false;
  for (int y = kPlace.top; y < kPlace.bottom; ++y)
    for (int x = kPlace.left; x < kPlace.right; ++x) grey |= gwes::ColourOf(screen->Pixel(x, y) & gwes::kColourBits) == RGB(128, 128, 128);
  EXPECT_TRUE(grey) << "the glyphs' cores are grey";
}

TEST_F(AniWaitCursorTest, StopsWithinAPeriodAndNeverDrawsAfterItsDestruction) {
  std::size_t handles = kernel::OpenHandleCount();
  auto cursor = std::make_unique<CAniWaitCursor>();
  HWND window = *cursor;
  ASSERT_TRUE(WorkerWaits());
  kernel::AdvanceVirtualTime(CAniWaitCursor::kFramePeriodMs - 1);
  EXPECT_EQ(ShownFrame(), static_cast<UINT>(IDB_WAIT_FRAME_0));
  DWORD ticks = GetTickCount();
  cursor.reset();  // the worker is woken by the stop, not by time
  EXPECT_EQ(GetTickCount(), ticks);
  EXPECT_EQ(kernel::FollowersWaiting(), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(kernel::OpenHandleCount(), handles) << "thread and event handles closed";

  // The place is the parent's again; later periods draw nothing there.
  InvalidateRect(parent, nullptr, TRUE);
  Drain();
  std::uint64_t dirty = gwes::ScreenDirtyCount();
  for (int period = 0; period < 4; ++period) kernel::AdvanceVirtualTime(CAniWaitCursor::kFramePeriodMs);
  Drain();
  EXPECT_EQ(gwes::ScreenDirtyCount(), dirty);
  EXPECT_EQ(gwes_test::ScreenColour(kPlace.left + 1, kPlace.top + 1), kBackground);
}

TEST_F(AniWaitCursorTest, ALanguageModuleWithoutTheTextLeavesTheFramesBare) {
  test::Bytes bytes =
      test::ResWriter().Add(WORD{6}, WORD{1}, 1031, test::StringBlock({{1, u"Dienstprogramm"}})).bytes;
  testing_support::WriteHostFile(device.Host("Windows/Utility.exe.0407.mui"), bytes);
  LanguageModule = LoadLibraryW(u"\\Windows\\Utility.exe.0407.mui");
  ASSERT_NE(LanguageModule, nullptr);
  {
    CAniWaitCursor cursor;
    ASSERT_TRUE(WorkerWaits());
    EXPECT_EQ(Differ(IDB_WAIT_FRAME_0, kPlace.left, kPlace.right), 0);
    NextPeriod();
    EXPECT_EQ(Differ(IDB_WAIT_FRAME_1, kPlace.left, kPlace.right), 0);
  }
}

}  // namespace
