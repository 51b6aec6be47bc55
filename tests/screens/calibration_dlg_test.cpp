// The calibration page: an alignment run through the system's alignment screen by tapping its
// targets, the half-second wait, the store block, the registry failures, and the battery-warning
// hold's count back where it was whichever way the page ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/kernel/battery_monitor.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/sync_objects.h"
#include "screens/calibration_dlg.h"
#include "screens/platform_requests.h"
#include "tests/screens/page_fixture.h"

namespace {

constexpr const char16_t* kTouchKey = u"HARDWARE\\DEVICEMAP\\TOUCH";
constexpr BYTE kUntouched = 0xEE;
// Holds that other programs have taken: the page's own must come and go on top of them.
constexpr DWORD kOtherHolds = 2;
constexpr WORD kMessageBoxText = 0xFFFF;

class CalibrationDlgTest : public screens_test::PageTest {
 protected:
  CalibrationDlgTest() {
    kernel::StartBatteryMonitor();
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, kernel::kHoldBatteryWarningEvent);
    SetEventData(event, kOtherHolds);
    SetEvent(event);
    CloseHandle(event);
  }
  ~CalibrationDlgTest() override { kernel::StopBatteryMonitor(); }

  static void FillBlock() {
    std::vector<BYTE> block(kStoreBlockSize, kUntouched);
    WriteStoreBlock(block.data());
  }
  static DWORD Holds() { return kernel::InspectNamedEvent(kernel::kHoldBatteryWarningEvent).data; }
  static std::vector<BYTE> Block() {
    std::vector<BYTE> block(kStoreBlockSize);
    ReadStoreBlock(block.data());
    return block;
  }
  static bool BlockUntouched() { return Block() == std::vector<BYTE>(kStoreBlockSize, kUntouched); }
  static void SetCalibration(const std::u16string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTouchKey, 0, 0, &key), ERROR_SUCCESS);
    RegSetValueExW(key, u"CalibrationData", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
  }
  // The page's OK by Enter, then the taps the alignment screen asks for: its five targets, and
  // one more that keeps the new alignment; then the steps `then`, taken while the page waits.
  static std::deque<std::function<void()>> Align(std::initializer_list<std::function<void()>> then) {
    std::deque<std::function<void()>> steps = {[] { Key(VK_RETURN); }};
    for (POINT target : {POINT{160, 120}, POINT{32, 24}, POINT{32, 216}, POINT{288, 216}, POINT{288, 24}})
      steps.push_back([=] { Tap(target.x, target.y); });
    steps.push_back([] { Tap(100, 100); });
    steps.insert(steps.end(), then);
    return steps;
  }
  static void PassTheWait() { kernel::AdvanceVirtualTime(CCalibrationDlg::kStoreDelayMs); }
};

// What the wait ends in: the message and the block holding the magic and the string, or the
// standard box without a caption and the block untouched.
TEST_F(CalibrationDlgTest, TheStoreCopiesTheStringAfterTheMagicOrReportsTheRegistryFailure) {
  const std::u16string k45 = u"1000,2000 3000,4000 1500,2500 3500,4500 1234,";
  ASSERT_EQ(k45.size(), 45u);
  const struct { const char* what; std::function<void()> setUp; const char16_t* shown; bool succeeded; } rows[] = {
      {"45 characters", [&] { SetCalibration(k45); }, u"Calibration succeeded", true},
      {"no key", [] { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTouchKey); }, u"Failed to open register!", false},
      {"no value", [] { SetRegDword(HKEY_LOCAL_MACHINE, kTouchKey, u"CalibrationData", std::nullopt); },
       u"Failed to query register!", false},
      {"126 characters: more than 253 bytes", [] { SetCalibration(std::u16string(126, u'7')); },
       u"Failed to query register!", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    FillBlock();
    CCalibrationDlg page;
    std::u16string shown, caption;
    auto steps = Align({[&] {
                          EXPECT_EQ(TopWindow(), page.m_hWnd) << "the page waits";
                          EXPECT_EQ(Holds(), kOtherHolds + 1);
                          row.setUp();
                          PassTheWait();
                        },
                        [&] {
                          shown = Text(row.succeeded ? IDC_MESSAGE_TEXT : kMessageBoxText);
                          caption = CWnd::FromHandle(TopWindow())->GetWindowText();
                          Key(VK_RETURN);
                        }});
    EXPECT_EQ(RunDialog(page, std::move(steps)), IDCANCEL);
    EXPECT_EQ(shown, row.shown);
    if (!row.succeeded) {
      EXPECT_EQ(caption, u"");
    }
    EXPECT_EQ(Holds(), kOtherHolds);
    EXPECT_EQ(GetForegroundWindow(), main.m_hWnd);
    std::vector<BYTE> expected(kStoreBlockSize, kUntouched);
    if (row.succeeded) {
      std::copy(std::begin(CCalibrationDlg::kBlockMagic), std::end(CCalibrationDlg::kBlockMagic), expected.begin());
      std::copy(k45.begin(), k45.end(), expected.begin() + 4);
    }
    EXPECT_EQ(Block(), expected);
  }
}

TEST_F(CalibrationDlgTest, DuringTheWaitOkAndTheCloseKeyDoNothingWhileEscapeEndsThePageWithoutAStore) {
  for (auto [key, endsAtOnce] : {std::pair{VK_RETURN, false}, {VK_DEVICE_CLOSE, false}, {VK_ESCAPE, true},
                                 {VK_DEVICE_CANCEL, true}}) {
    SCOPED_TRACE(testing::Message() << "key " << int{key});
    FillBlock();
    CCalibrationDlg page;
    auto steps = Align({[key] { Key(key); }});
    if (!endsAtOnce) {
      steps.push_back([&] {
        EXPECT_EQ(TopWindow(), page.m_hWnd) << "no second alignment, no end";
        PassTheWait();
      });
      steps.push_back([] { Key(VK_RETURN); });  // "Calibration succeeded"
    }
    EXPECT_EQ(RunDialog(page, std::move(steps)), IDCANCEL);
    EXPECT_EQ(BlockUntouched(), endsAtOnce);
    EXPECT_FALSE(CloseRequestPosted());
    EXPECT_EQ(Holds(), kOtherHolds);
  }
}

TEST_F(CalibrationDlgTest, AnAlignmentLeftUnfinishedLeavesThePageIdleAndTheCloseKeyThenClosesTheProgram) {
  FillBlock();
  CCalibrationDlg page;
  EXPECT_EQ(RunDialog(page, {[] { Key(VK_RETURN); },
                             [] { Tap(160, 120); },
                             [] { Key(VK_ESCAPE); },  // the alignment screen's, not the page's
                             [&] {
                               EXPECT_EQ(TopWindow(), page.m_hWnd);
                               EXPECT_EQ(Holds(), kOtherHolds);
                               Key(VK_DEVICE_CLOSE);
                             }}),
            IDCANCEL);
  EXPECT_TRUE(BlockUntouched());
  EXPECT_TRUE(CloseRequestPosted());
}

TEST_F(CalibrationDlgTest, ThePageKeysCountOnlyWhileTheMainWindowIsTheOneItOpenedWith) {
  CCalibrationDlg page;
  CWnd other;
  EXPECT_EQ(RunDialog(page, {[&] {
                               other.CreateEx(0, nullptr, u"Other", WS_POPUP, 0, 0, 10, 10, nullptr, 0);
                               app.m_pMainWnd = &other;
                               Key(VK_DEVICE_CLOSE);
                             },
                             [&] {
                               EXPECT_EQ(TopWindow(), page.m_hWnd);
                               app.m_pMainWnd = &main;
                               Key(VK_ESCAPE);
                             }}),
            IDCANCEL);
  EXPECT_FALSE(CloseRequestPosted());
  other.DestroyWindow();
}

}  // namespace
