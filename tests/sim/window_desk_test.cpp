// The window's desk without a display: where the frame's keys and the screen lie, the status
// strip's texts from the device's state, the zoom's limits, and a session worked through the
// window's input path, recorded and replayed headless to the same last frame.
#include "sim/window_desk.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/dialog_screen_host.h"
#include "app/utility_app.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/virtual_keys.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"
#include "sim/display/status_strip.h"
#include "sim/display/zoom.h"
#include "sim/session_recorder.h"
#include "tests/sim/shot_reader.h"
#include "tests/support/device_fixture.h"
#include "tests/support/programs.h"

namespace {

using sim::DeskHit;

struct HitRow {
  bool frame;
  int x, y;
  DeskHit::Kind kind;
  int screenX, screenY;  // kScreen
  BYTE vk;               // kKey
};

TEST(WindowDesk, HitTestingFindsTheScreenPointOrTheFrameKey) {
  const HitRow rows[] = {
      {true, 20, 20, DeskHit::kScreen, 0, 0, 0},        {true, 339, 259, DeskHit::kScreen, 319, 239, 0},
      {true, 19, 100, DeskHit::kNothing, 0, 0, 0},      {true, 340, 100, DeskHit::kNothing, 0, 0, 0},
      {true, 380, 70, DeskHit::kKey, 0, 0, VK_F6},      {true, 470, 244, DeskHit::kKey, 0, 0, VK_DEVICE_CLOSE},
      {true, 425, 150, DeskHit::kKey, 0, 0, VK_RETURN}, {true, 402, 150, DeskHit::kNothing, 0, 0, 0},
      {true, 100, 285, DeskHit::kNothing, 0, 0, 0},     {false, 0, 0, DeskHit::kScreen, 0, 0, 0},
      {false, 319, 239, DeskHit::kScreen, 319, 239, 0}, {false, 10, 245, DeskHit::kNothing, 0, 0, 0},
  };
  for (const HitRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y) + (row.frame ? " framed" : " bare"));
    DeskHit hit = sim::HitTest(sim::MakeDeskLayout(row.frame), row.x, row.y);
    ASSERT_EQ(hit.kind, row.kind);
    if (row.kind == DeskHit::kScreen) {
      EXPECT_EQ((std::pair<int, int>{hit.screen.x, hit.screen.y}), (std::pair{row.screenX, row.screenY}));
    }
    if (row.kind == DeskHit::kKey) {
      EXPECT_EQ(hit.key->vk, row.vk);
    }
  }
  // Every key lies on the desk, off the screen and the strip, and its middle finds it alone.
  const sim::DeskLayout framed = sim::MakeDeskLayout(true);
  ASSERT_EQ(framed.keys.size(), 12u);
  for (const sim::FrameKey& key : framed.keys) {
    SCOPED_TRACE(key.name);
    RECT overlap{};
    EXPECT_FALSE(IntersectRect(&overlap, &key.rect, &framed.screen) ||
                 IntersectRect(&overlap, &key.rect, &framed.strip));
    EXPECT_LE(key.rect.right, framed.width);
    DeskHit hit = sim::HitTest(framed, (key.rect.left + key.rect.right) / 2, (key.rect.top + key.rect.bottom) / 2);
    EXPECT_EQ(hit.key, &key);
    EXPECT_EQ(sim::FrameKeyOf(framed, key.vk), &key);
  }
  // A stylus dragged off the screen stays on its edge.
  POINT held = sim::ScreenPointOf(framed, -5, 400);
  EXPECT_EQ((std::pair{held.x, held.y}), (std::pair<LONG, LONG>{0, 239}));
  held = sim::ScreenPointOf(framed, 1000, 3);
  EXPECT_EQ((std::pair{held.x, held.y}), (std::pair<LONG, LONG>{319, 0}));
}

TEST(WindowDesk, ZoomStaysBetweenOneAndTheLargestThatFits) {
  const sim::DeskLayout framed = sim::MakeDeskLayout(true);
  const int largest = sim::LargestScale(framed.width, framed.height, 1024, 768);
  EXPECT_EQ(largest, 2);
  EXPECT_EQ(sim::LargestScale(framed.width, framed.height, 400, 200), 1);  // a display smaller than the desk
  const int rows[][3] = {{1, -1, 1}, {1, +1, 2}, {2, +1, 2}, {2, -1, 1}, {5, -1, 2}};
  for (const auto& [scale, step, expected] : rows) {
    EXPECT_EQ(sim::ZoomStep(scale, step, largest), expected) << scale << step;
  }
}

sim::DeviceStatus Status(BYTE ac, BYTE flag, BYTE percent, DWORD volume, bool fails = false, bool mutedAndOff = false) {
  sim::DeviceStatus status;
  status.power.ACLineStatus = ac;
  status.power.BatteryFlag = flag;
  status.power.BatteryLifePercent = percent;
  status.powerStatusFails = fails;
  status.muted = status.suspended = mutedAndOff;
  status.backlight = 5;
  status.volume = volume;
  status.local.wHour = 14;
  status.local.wMinute = 5;
  status.rootName = "dev";
  return status;
}

TEST(WindowDesk, TheStripSaysTheDeviceState) {
  const std::pair<sim::DeviceStatus, std::vector<std::string>> rows[] = {
      {Status(AC_LINE_ONLINE, BATTERY_FLAG_CHARGING, 80, 0x99999999),
       {"AC 80% charging", "Light 5/8", "Vol 3/5", "14:05", "dev"}},
      {Status(AC_LINE_OFFLINE, BATTERY_FLAG_LOW, 9, 0xFFFF0000),
       {"Battery 9% low", "Light 5/8", "Vol 5/5", "14:05", "dev"}},
      {Status(AC_LINE_OFFLINE, BATTERY_FLAG_CRITICAL, 255, 0x00001000),
       {"Battery ?% critical", "Light 5/8", "Vol 0/5", "14:05", "dev"}},
      {Status(AC_LINE_ONLINE, BATTERY_FLAG_NO_BATTERY, 0, 0x66666666),
       {"AC, no battery", "Light 5/8", "Vol 2/5", "14:05", "dev"}},
      {Status(AC_LINE_ONLINE, 0, 0, 0x33333333, true), {"Battery: no status", "Light 5/8", "Vol 1/5", "14:05", "dev"}},
      {Status(AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, 60, 0, false, true),
       {"Battery 60%", "Light 5/8", "Vol muted", "suspended", "14:05", "dev"}},
  };
  for (const auto& [status, texts] : rows) EXPECT_EQ(sim::StatusTexts(status), texts);

  // Read from a device as devicectl leaves it.
  testing_support::TestDevice device;
  auto& store = device.Device().Store();
  store.SetInt(kernel::state::kBatteryAc, AC_LINE_OFFLINE);
  store.SetInt(kernel::state::kBatteryFlag, BATTERY_FLAG_LOW);
  store.SetInt(kernel::state::kBatteryPercent, 15);
  store.SetInt(kernel::state::kBacklight, 2);
  store.SetInt(kernel::state::kWaveVolume, 0xCCCCCCCC);
  auto texts = sim::StatusTexts(sim::ReadDeviceStatus());
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 3),
            (std::vector<std::string>{"Battery 15% low", "Light 2/8", "Vol 4/5"}));
  EXPECT_EQ(texts.back(), device.Root().filename().string());
}

std::vector<std::uint32_t> ShownScreen() {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(gwes::kScreenWidth) * gwes::kScreenHeight);
  gwes::CopyShownScreen(pixels.data());
  for (auto& pixel : pixels) pixel &= gwes::kColourBits;
  return pixels;
}

// A person opens the backlight page with a tap, raises the level with the frame's Right key and
// the keyboard's, taps the page's left arrow while the help hides it (the tap only hides the help),
// and closes the window. The record, replayed headless on a fresh device, ends on the same frame.
// One step runs each time the program is idle, and each one gives the program something to do
// (input, or time passing), as the headless runner's commands do.
TEST(WindowDesk, ARecordedSessionReplaysHeadlessToTheSameLastFrame) {
  testing_support::ImagedRoot replayRoot;
  const std::filesystem::path folder = replayRoot.Path().parent_path();
  const std::string record = (folder / "session.script").string();
  std::vector<std::uint32_t> lastFrame;
  {
    testing_support::ImagedDevice device;
    kernel::SetProgramResources(ProgramResourceBytes());
    gwes::RegisterStandardControls();
    sim::SessionRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.Open(record, "# session\n", &error)) << error;
    sim::WindowDesk desk(true, &recorder);
    using Action = gwes::StylusAction;
    const RECT screen = desk.Layout().screen;
    const POINT button{screen.left + 52, screen.top + 106};
    const RECT& key = sim::FrameKeyOf(desk.Layout(), VK_RIGHT)->rect;
    const POINT right{(key.left + key.right) / 2, (key.top + key.bottom) / 2};
    auto pointer = [&](Action action, POINT at) { return [&desk, action, at] { desk.Pointer(action, at.x, at.y); }; };
    auto wait = [](DWORD ms) { return [ms] { gwes::AdvanceTime(ms); }; };
    BYTE seenPressed = 0;
    std::int64_t levelShown = 0;
    std::vector<std::function<void()>> steps = {
        wait(700), pointer(Action::Down, button), wait(90), pointer(Action::Up, button), wait(400),
        pointer(Action::Down, right),
        [&] {
          seenPressed = desk.PressedKey() ? desk.PressedKey()->vk : 0;
          gwes::AdvanceTime(120);
        },
        pointer(Action::Up, right), wait(300), [&] { desk.Key(VK_RIGHT, true); }, wait(80),
        [&] { desk.Key(VK_RIGHT, false); },
        [&] {
          // Nothing reaches the program here, so the step ends by letting time pass.
          desk.ToggleHelp();
          desk.Pointer(Action::Down, screen.left + 42, screen.top + 125);
          desk.Pointer(Action::Up, screen.left + 42, screen.top + 125);
          gwes::AdvanceTime(500);
        },
        [&] {
          lastFrame = ShownScreen();
          levelShown = device.Device().Store().GetInt(kernel::state::kBacklight).value_or(0);
          // The window's close, as the front end carries it out.
          recorder.CloseRequested();
          gwes::PostKey(VK_DEVICE_CLOSE, true);
          gwes::PostKey(VK_DEVICE_CLOSE, false);
        },
    };
    std::size_t next = 0;
    gwes::SetIdleHook([&] {
      if (next < steps.size()) return steps[next++]();
      PostQuitMessage(1);  // the close key did not end the program
    });
    CDialogScreenHost host;
    CUtilityApp app(host);
    EXPECT_EQ(AfxWinMain(app, u""), 0);
    gwes::SetIdleHook(nullptr);
    recorder.ProgramEnded();
    EXPECT_EQ(next, steps.size());
    EXPECT_EQ(seenPressed, VK_RIGHT);
    EXPECT_EQ(desk.PressedKey(), nullptr);
    EXPECT_FALSE(desk.HelpShown());
    EXPECT_EQ(levelShown, 7);  // two steps up from 5: the frame's key and the keyboard's
  }
  const std::string text = testing_support::ReadText(record);
  EXPECT_NE(text.find("keydown RIGHT\nwait 120\nkeyup RIGHT\n"), std::string::npos) << text;
  EXPECT_NE(text.find("wait 500\nshot session-last.png\nkey CLOSE\n"), std::string::npos) << text;

  auto replay =
      testing_support::Utility(replayRoot, {"--headless", "--script", record, "--shots", (folder / "replay").string()});
  EXPECT_EQ(replay.status, 0) << replay.err;
  auto replayed = testing_support::ReadShot(folder / "replay" / "session-last.png");
  ASSERT_EQ(replayed.size(), lastFrame.size());
  EXPECT_TRUE(replayed == lastFrame);
}

}  // namespace
