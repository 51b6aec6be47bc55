#include "platform/gwes/input.h"

#include <gtest/gtest.h>

#include "platform/gwes/focus.h"
#include "platform/kernel/audio.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/keyboard.h"
#include "platform/kernel/power_manager.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/touch_panel.h"
#include "tests/platform/gwes/message_log.h"
#include "tests/support/test_device.h"

using gwes::StylusAction;
using gwes_test::MakeWindow;
using gwes_test::MessageLog;
using gwes_test::Pump;
using Log = std::vector<std::string>;

namespace {

// A client point as mouse messages pack it, 16 bits each way.
std::string At(int x, int y) { return std::to_string(MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y))); }

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gwes_test::DestroyAllWindows();
    gwes::PostStylus(StylusAction::Up, 0, 0);  // no press left over from another test
    Pump();
  }
  void TearDown() override { gwes_test::DestroyAllWindows(); }
  // Input messages only: what the test drives.
  Log Input() {
    Log input;
    for (const auto& entry : log.Take())
      for (const char* kind : {"BUTTON", "MOUSEMOVE", "DBLCLK", "KEY", "CHAR", "CAPTURE", "ACTIVATE"})
        if (entry.find(kind) != std::string::npos) {
          input.push_back(entry);
          break;
        }
    return input;
  }
  void Tap(int x, int y) {
    gwes::PostStylus(StylusAction::Down, x, y);
    gwes::PostStylus(StylusAction::Up, x, y);
  }
  void Press(BYTE vk) {
    gwes::PostKey(vk, true);
    gwes::PostKey(vk, false);
  }
  testing_support::TouchDevice device;
  MessageLog& log = MessageLog::Get();
};

TEST_F(InputTest, TheStylusGoesToTheDeepestEnabledWindowAndStaysWithItWhilePressed) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  HWND panel = MakeWindow("panel", WS_CHILD | WS_VISIBLE, top, {100, 100, 200, 200}, 1);
  MakeWindow("button", WS_CHILD | WS_VISIBLE, panel, {10, 10, 50, 30}, 2);
  MakeWindow("off", WS_CHILD | WS_VISIBLE | WS_DISABLED, panel, {60, 60, 90, 90}, 3);
  Pump();
  log.Clear();
  gwes::PostStylus(StylusAction::Move, 120, 115);  // no hover on a touch screen
  gwes::PostStylus(StylusAction::Down, 120, 115);
  gwes::PostStylus(StylusAction::Move, 90, 95);  // outside, still to the pressed window
  gwes::PostStylus(StylusAction::Up, 91, 96);
  gwes::PostStylus(StylusAction::Move, 120, 115);
  Tap(170, 170);  // a disabled child passes the tap to its parent
  Pump();
  EXPECT_EQ(Input(), (Log{"button:WM_LBUTTONDOWN:1:" + At(10, 5), "button:WM_MOUSEMOVE:1:" + At(-20, -15),
                          "button:WM_LBUTTONUP:0:" + At(-19, -14), "panel:WM_LBUTTONDOWN:1:" + At(70, 70),
                          "panel:WM_LBUTTONUP:0:" + At(70, 70)}));

  // An explicit capture takes every stylus event, pressed or not.
  SetCapture(panel);
  log.Clear();
  Tap(5, 5);
  Pump();
  EXPECT_EQ(Input(), (Log{"panel:WM_LBUTTONDOWN:1:" + At(-95, -95), "panel:WM_LBUTTONUP:0:" + At(-95, -95)}));
  ReleaseCapture();
}

TEST_F(InputTest, APressReadsThePanelAsItIsAndItsMovesAndReleaseKeepThatReading) {
  MakeWindow("top", WS_VISIBLE);
  Pump();
  log.Clear();
  gwes::PostStylus(StylusAction::Down, 50, 50);
  kernel::WriteTouchPanel({12, -9, 1000, 1000});  // worn while the stylus is down
  gwes::PostStylus(StylusAction::Move, 60, 60);
  gwes::PostStylus(StylusAction::Up, 60, 60);
  gwes::PostStylus(StylusAction::Down, 60, 60);
  std::vector<kernel::TouchPoint> raw, pt;
  for (MSG msg; PeekMessageW(&msg, nullptr, WM_MOUSEMOVE, WM_LBUTTONUP, PM_REMOVE);) {
    DispatchMessageW(&msg);
    raw.push_back({static_cast<int>(gwes::LastStylusRawPoint().x), static_cast<int>(gwes::LastStylusRawPoint().y)});
    pt.push_back({static_cast<int>(msg.pt.x), static_cast<int>(msg.pt.y)});
  }
  EXPECT_EQ(Input(), (Log{"top:WM_LBUTTONDOWN:1:" + At(50, 50), "top:WM_MOUSEMOVE:1:" + At(60, 60),
                          "top:WM_LBUTTONUP:0:" + At(60, 60), "top:WM_LBUTTONDOWN:1:" + At(72, 51)}));
  EXPECT_EQ(pt, (std::vector<kernel::TouchPoint>{{50, 50}, {60, 60}, {60, 60}, {72, 51}}));
  using kernel::TouchPanelRaw;
  EXPECT_EQ(raw, (std::vector<kernel::TouchPoint>{TouchPanelRaw({}, {50, 50}), TouchPanelRaw({}, {60, 60}),
                                                  TouchPanelRaw({}, {60, 60}),
                                                  TouchPanelRaw({12, -9, 1000, 1000}, {60, 60})}));
}

TEST_F(InputTest, ADisabledTopLevelWindowGetsNoInputAndATapActivatesAnInactiveWindow) {
  HWND main = MakeWindow("main", WS_VISIBLE);
  HWND dialog = MakeWindow("dialog", WS_VISIBLE | WS_POPUP, main, {50, 50, 150, 150});
  MakeWindow("other", WS_VISIBLE | WS_POPUP, nullptr, {200, 0, 320, 100});
  EnableWindow(main, FALSE);
  Pump();
  log.Clear();
  Tap(10, 10);
  Press(VK_RETURN);  // the focus is in "other", which was shown last
  Pump();
  EXPECT_EQ(Input(), (Log{"other:WM_KEYDOWN:13:1", "other:WM_CHAR:13:1", "other:WM_KEYUP:13:" + std::to_string(0xC0000001)}));
  Tap(60, 60);
  Pump();
  EXPECT_EQ(Input(), (Log{"other:WM_ACTIVATE:0:dialog", "dialog:WM_ACTIVATE:2:other",
                          "dialog:WM_LBUTTONDOWN:1:" + At(10, 10), "dialog:WM_LBUTTONUP:0:" + At(10, 10)}));
  EXPECT_EQ(gwes::TopLevelWindowList().front(), dialog);

  // A window that never activates still gets its taps.
  MakeWindow("keypad", WS_VISIBLE | WS_POPUP, nullptr, {0, 200, 320, 240}, 0, gwes_test::kRecordingClass,
             WS_EX_NOACTIVATE | WS_EX_TOPMOST);
  log.Clear();
  Tap(10, 210);
  Pump();
  EXPECT_EQ(Input(), (Log{"keypad:WM_LBUTTONDOWN:1:" + At(10, 10), "keypad:WM_LBUTTONUP:0:" + At(10, 10)}));
  EXPECT_EQ(GetActiveWindow(), dialog);
}

TEST_F(InputTest, ASecondQuickTapNearbyIsADoubleClickOnlyForClassesThatAskForIt) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  MakeWindow("plain", WS_CHILD | WS_VISIBLE, top, {0, 0, 100, 100}, 1);
  MakeWindow("dbl", WS_CHILD | WS_VISIBLE, top, {100, 0, 200, 100}, 2, gwes_test::kRecordingDblClass);
  Pump();
  auto downs = [&] {
    Log kinds;
    for (const auto& entry : Input())
      if (entry.find("UP") == std::string::npos) kinds.push_back(entry.substr(0, entry.find(":", entry.find(":") + 1)));
    return kinds;
  };
  log.Clear();
  Tap(110, 10);
  gwes::AdvanceTime(499);
  Tap(114, 14);  // within 4 pixels and 500 ms
  Tap(114, 14);  // a third tap starts over
  Pump();
  EXPECT_EQ(downs(), (Log{"dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONDBLCLK", "dbl:WM_LBUTTONDOWN"}));
  gwes::AdvanceTime(500);
  Tap(114, 14);  // too late
  Tap(119, 14);  // too far
  Tap(10, 10);
  Tap(10, 10);  // a class without CS_DBLCLKS
  Pump();
  EXPECT_EQ(downs(), (Log{"dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONDOWN", "plain:WM_LBUTTONDOWN", "plain:WM_LBUTTONDOWN"}));
}

TEST_F(InputTest, KeysGoToTheFocusWindowOrTheActiveWindowAndKeybdEventEntersTheSamePath) {
  HWND top = MakeWindow("top", WS_VISIBLE);
  HWND edit = MakeWindow("edit", WS_CHILD | WS_VISIBLE, top, {0, 0, 10, 10}, 1);
  SetFocus(edit);
  Pump();
  log.Clear();
  gwes::PostKey(VK_DOWN, true, true);
  gwes::PostKey(VK_DOWN, true, true);  // held: the repeat has the previous-state bit
  gwes::PostKey(VK_DOWN, false, true);
  keybd_event(0xC5, 0, KEYEVENTF_SILENT, 0);
  keybd_event(0xC5, 0, KEYEVENTF_KEYUP | KEYEVENTF_SILENT, 0);
  Pump();  // keys go where the focus is when they are retrieved
  SetFocus(nullptr);
  gwes::PostChar(u'x');
  Pump();
  EXPECT_EQ(Input(), (Log{"edit:WM_KEYDOWN:40:16777217", "edit:WM_KEYDOWN:40:1090519041",
                          "edit:WM_KEYUP:40:" + std::to_string(0xC1000001), "edit:WM_KEYDOWN:197:1",
                          "edit:WM_KEYUP:197:" + std::to_string(0xC0000001),
                          "top:WM_CHAR:120:1"}));
}

DWORD Volume() {
  DWORD volume = 0;
  waveOutGetVolume(nullptr, &volume);
  return volume;
}

TEST_F(InputTest, TheKeypadsVolumeKeysStepMuteAndRestoreBeforeTheKeyGoesOn) {
  struct Row { const char* what; DWORD start; std::vector<BYTE> presses; DWORD expected; };
  const Row rows[] = {
      {"F6 raises one step", 0x99999999, {VK_F6}, 0xCCCCCCCC},
      {"F6 stops at the top", 0xCCCCCCCC, {VK_F6, VK_F6}, 0xFFFFFFFF},
      {"F7 stops at silence", 0x33333333, {VK_F7, VK_F7}, 0},
      {"each channel steps and stops on its own", 0x8000F000, {VK_F6}, 0xB333FFFF},
      {"F10 mutes", 0x80008000, {VK_F10}, 0},
      {"F10 again gives the word back exactly", 0x80008000, {VK_F10, VK_F10}, 0x80008000},
      {"a step ends the mute, F10 then mutes and restores", 0x80008000, {VK_F10, VK_F6, VK_F10, VK_F10}, 0x33333333},
      {"other keys leave the volume alone", 0x12345678, {VK_ESCAPE, VK_RETURN}, 0x12345678},
  };
  MakeWindow("top", WS_VISIBLE);
  for (const auto& row : rows) {
    ASSERT_EQ(waveOutSetVolume(nullptr, row.start), MMSYSERR_NOERROR);
    device.Device().Store().SetInt(kernel::state::kWaveMuteMemory, -1);
    for (BYTE vk : row.presses) Press(vk);  // releases change nothing
    EXPECT_EQ(Volume(), row.expected) << row.what;
  }
  // Muted, then set by someone else: F10 mutes that word, and gives it back.
  waveOutSetVolume(nullptr, 0x80008000);
  gwes::PostKey(VK_F10, true);
  waveOutSetVolume(nullptr, 0x11111111);
  gwes::PostKey(VK_F10, true);
  EXPECT_EQ(Volume(), 0u);
  gwes::PostKey(VK_F10, true);
  EXPECT_EQ(Volume(), 0x11111111u);

  // The volume has changed before the program retrieves the key, which it still gets; a key the
  // program injects itself is no keypad press.
  Pump();
  log.Clear();
  gwes::PostKey(VK_F7, true);
  EXPECT_EQ(Volume(), 0u);
  keybd_event(VK_F6, 0, 0, 0);
  Pump();
  EXPECT_EQ(Volume(), 0u);
  EXPECT_EQ(Input(), (Log{"top:WM_KEYDOWN:118:1", "top:WM_KEYDOWN:117:1"}));
  gwes::PostKey(VK_F7, false);
  keybd_event(VK_F6, 0, KEYEVENTF_KEYUP, 0);
  Pump();
}

TEST_F(InputTest, APressOnASuspendedDeviceWakesItAndGoesNoFurther) {
  MakeWindow("top", WS_VISIBLE);
  Pump();
  device.Device().Store().SetInt(kernel::state::kBatteryAc, 0);
  kernel::RegistrySetValue({HKEY_LOCAL_MACHINE, kernel::kPowerTimeoutsKey},
                           {kernel::kBatterySuspendValue, REG_DWORD, {1, 0, 0, 0}});  // suspend after 1 s
  kernel::StartPowerManager();
  auto suspend = [] {
    kernel::AdvanceVirtualTime(1000);
    return kernel::TickPowerManager();
  };
  log.Clear();

  // The waking tap (with its move and release) and the waking key (with its release) go nowhere,
  // and the volume key that woke the device does not change the volume; what follows is delivered.
  // The dark panel and the picture it shows again are the device services' end-to-end test.
  const DWORD volume = Volume();
  ASSERT_TRUE(suspend());
  gwes::PostStylus(StylusAction::Down, 5, 5);
  EXPECT_FALSE(kernel::DeviceSuspended());
  gwes::PostStylus(StylusAction::Move, 6, 6);
  gwes::PostStylus(StylusAction::Up, 6, 6);
  ASSERT_TRUE(suspend());
  Press(VK_F6);
  EXPECT_EQ(Volume(), volume);
  ASSERT_TRUE(suspend());
  gwes::PostChar(u'x');
  EXPECT_FALSE(kernel::DeviceSuspended());
  Pump();
  EXPECT_EQ(Input(), Log{});
  Tap(7, 7);
  Press(VK_DOWN);
  Pump();
  EXPECT_EQ(Input(), (Log{"top:WM_LBUTTONDOWN:1:" + At(7, 7), "top:WM_LBUTTONUP:0:" + At(7, 7), "top:WM_KEYDOWN:40:1",
                          "top:WM_KEYUP:40:" + std::to_string(0xC0000001)}));
  kernel::StopPowerManager();
}

}  // namespace
