#include "platform/gwes/input.h"

#include <array>
#include <cstdlib>
#include <deque>
#include <optional>

#include "platform/gwes/focus.h"
#include "platform/gwes/keypad.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/queue_internal.h"
#include "platform/gwes/touch_driver.h"
#include "platform/gwes/virtual_keys.h"
#include "platform/gwes/window_internal.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/keyboard.h"
#include "platform/kernel/power_manager.h"
#include "platform/kernel/touch_panel.h"

using namespace gwes::detail;

namespace {

enum class RawKind { Stylus, Key, Char };

struct RawEvent {
  RawKind kind;
  gwes::StylusAction action;
  POINT point;  // the screen point, once the driver has turned the raw point into one
  POINT raw;
  BYTE vk;
  BYTE scan;
  bool down;
  bool extended;
  WCHAR ch;
  DWORD time;
};

constexpr UINT kDoubleClickTime = 500;

// Guarded by QueueMutex().
std::deque<RawEvent> g_raw;
POINT g_lastPoint{0, 0};
std::array<BYTE, 256> g_asyncKeys{};

// The presses that woke the device, whose releases go no further either. Guarded by g_wakeLock.
std::mutex g_wakeLock;
bool g_stylusWoke = false;
std::array<bool, 256> g_keyWoke{};
// The panel as it was when the stylus last went down, for the moves and the release. Guarded by
// g_wakeLock.
std::optional<kernel::TouchPanel> g_panel;

// Guarded by the window lock; only the thread cooking input uses them.
bool g_stylusDown = false;
HWND g_stylusOwner = nullptr;
struct LastPress {
  HWND hwnd = nullptr;
  POINT point{};
  DWORD time = 0;
} g_lastPress;
std::array<BYTE, 256> g_keys{};

void PostRaw(const RawEvent& event) {
  std::lock_guard guard(QueueMutex());
  g_raw.push_back(event);
  if (event.kind == RawKind::Key) g_asyncKeys[event.vk] = event.down ? 0x80 : 0;
  NotifyQueuesLocked();
}

bool EnabledChain(const Window* window) {
  for (; window; window = Find(window->parent))
    if (window->style & WS_DISABLED) return false;
  return true;
}

LPARAM PackPoint(LONG x, LONG y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

void Deliver(HWND hwnd, std::thread::id thread, UINT message, WPARAM wParam, LPARAM lParam, DWORD time, POINT pt,
             std::optional<POINT> raw = std::nullopt) {
  std::lock_guard guard(QueueMutex());
  QueueInputMessageLocked(thread, MSG{hwnd, message, wParam, lParam, time, pt}, raw);
  NotifyQueuesLocked();
}

void CookStylus(const RawEvent& event) {
  HWND target = nullptr;
  HWND activate = nullptr;
  UINT message = WM_MOUSEMOVE;
  WPARAM keys = 0;
  {
    std::lock_guard guard(WindowLock());
    if (event.action == gwes::StylusAction::Move && !g_stylusDown) return;
    HWND capture = GetCapture();
    if (capture && Find(capture)) {
      target = capture;
    } else if (g_stylusDown && event.action != gwes::StylusAction::Down && Find(g_stylusOwner)) {
      target = g_stylusOwner;
    } else {
      target = WindowFromPoint(event.point);
    }
    switch (event.action) {
      case gwes::StylusAction::Down:
        g_stylusDown = true;
        g_stylusOwner = target;
        message = WM_LBUTTONDOWN;
        keys = MK_LBUTTON;
        break;
      case gwes::StylusAction::Move:
        keys = MK_LBUTTON;
        break;
      case gwes::StylusAction::Up:
        g_stylusDown = false;
        g_stylusOwner = nullptr;
        message = WM_LBUTTONUP;
        break;
    }
    Window* window = Find(target);
    if (!window || !EnabledChain(window)) return;
    if (message == WM_LBUTTONDOWN) {
      bool pair = g_lastPress.hwnd == target && event.time - g_lastPress.time < kDoubleClickTime &&
                  std::abs(event.point.x - g_lastPress.point.x) <= gwes::kDoubleTapDistance &&
                  std::abs(event.point.y - g_lastPress.point.y) <= gwes::kDoubleTapDistance;
      if (pair && (window->cls->style & CS_DBLCLKS)) {
        message = WM_LBUTTONDBLCLK;
        g_lastPress = LastPress{};  // a third tap starts over
      } else {
        g_lastPress = LastPress{target, event.point, event.time};
      }
      HWND root = RootOf(target);
      if (root != GetActiveWindow() && !(Find(root)->exStyle & WS_EX_NOACTIVATE)) activate = root;
    }
  }
  if (activate) {
    // A tap on an inactive top-level window brings it up and activates it before the press arrives.
    SetWindowPos(activate, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (IsWindowVisible(activate) && IsWindowEnabled(activate)) SetActiveWindowInternal(activate, true, true);
  }
  std::lock_guard guard(WindowLock());
  Window* window = Find(target);
  if (!window) return;
  RECT screen = ScreenRect(*window);
  Deliver(target, window->thread, message, keys, PackPoint(event.point.x - screen.left, event.point.y - screen.top),
          event.time, event.point, event.raw);
}

void CookKey(const RawEvent& event) {
  std::lock_guard guard(WindowLock());
  bool wasDown = g_keys[event.vk] & 0x80;
  if (event.kind == RawKind::Key) {
    if (event.down) {
      if (!wasDown) g_keys[event.vk] ^= 0x01;
      g_keys[event.vk] |= 0x80;
    } else {
      g_keys[event.vk] &= ~0x80;
    }
  }
  HWND target = GetFocus();
  if (!target) target = GetActiveWindow();
  Window* window = Find(target);
  if (!window || !EnabledChain(window)) return;
  if (event.kind == RawKind::Char) {
    Deliver(target, window->thread, WM_CHAR, event.ch, 1, event.time, g_lastPoint);
    return;
  }
  LPARAM lParam = 1 | (LPARAM{event.scan} << 16) | (event.extended ? LPARAM{1} << 24 : 0);
  if (event.down) {
    if (wasDown) lParam |= LPARAM{1} << 30;
  } else {
    lParam |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  }
  Deliver(target, window->thread, event.down ? WM_KEYDOWN : WM_KEYUP, event.vk, lParam, event.time, g_lastPoint);
}

}  // namespace

namespace gwes::detail {

bool RawInputPendingLocked() { return !g_raw.empty(); }

POINT LastInputPoint() { return g_lastPoint; }

bool CookRawInput() {
  RawEvent event;
  {
    std::lock_guard guard(QueueMutex());
    if (g_raw.empty()) return false;
    event = g_raw.front();
    g_raw.pop_front();
  }
  if (event.kind == RawKind::Stylus) {
    event.point = gwes::TouchDriverScreenPoint(event.raw);
    {
      std::lock_guard guard(QueueMutex());
      g_lastPoint = event.point;
    }
    CookStylus(event);
  } else {
    CookKey(event);
  }
  return true;
}

void InstallKeyboardSink() {
  static std::once_flag once;
  std::call_once(once, [] {
    kernel::SetKeyEventSink([](BYTE vk, BYTE scan, DWORD flags) {
      PostRaw(RawEvent{RawKind::Key, StylusAction::Move, {}, {}, vk, scan, !(flags & KEYEVENTF_KEYUP),
                       (flags & KEYEVENTF_EXTENDEDKEY) != 0, 0, GetTickCount()});
    });
  });
}

}  // namespace gwes::detail

namespace {

// Tells the power manager of the input; true when the press woke the device, whose screen is then
// shown again.
bool WakesDevice(bool press) {
  if (!kernel::PowerManagerInput(press)) return false;
  gwes::MarkScreenDirty();
  return true;
}

// Input the device took for itself still wakes the message loops, as any input does: a script
// runner waiting for the program to take its tap goes on.
void Swallowed() { WakeQueues(); }

}  // namespace

namespace gwes {

void PostStylus(StylusAction action, int x, int y) {
  kernel::TouchPoint raw;
  {
    std::lock_guard guard(g_wakeLock);
    bool woke = WakesDevice(action == StylusAction::Down);
    if (action == StylusAction::Down) g_stylusWoke = woke;
    if (g_stylusWoke) {
      if (action == StylusAction::Up) g_stylusWoke = false;
      return Swallowed();
    }
    // The panel is read as a press starts (devicectl may change it while the program runs).
    if (action == StylusAction::Down || !g_panel) g_panel = kernel::ReadTouchPanel();
    raw = kernel::TouchPanelRaw(*g_panel, {x, y});
  }
  PostRaw(RawEvent{RawKind::Stylus, action, POINT{}, POINT{raw.x, raw.y}, 0, 0, false, false, 0, GetTickCount()});
}

void PostKey(BYTE vk, bool down, bool extended) {
  {
    std::lock_guard guard(g_wakeLock);
    if (vk == VK_OFF) {
      // The power key wakes a suspended device as any key does, and suspends one that is on.
      if (down && !WakesDevice(true) && kernel::SuspendDevice()) MarkScreenDirty();
      return Swallowed();
    }
    if (down && WakesDevice(true)) {
      g_keyWoke[vk] = true;
      return Swallowed();
    }
    if (!down && g_keyWoke[vk]) {
      g_keyWoke[vk] = false;
      return Swallowed();
    }
  }
  if (down) KeypadKeyDown(vk);
  PostRaw(RawEvent{RawKind::Key, StylusAction::Move, {}, {}, vk, 0, down, extended, 0, GetTickCount()});
}

// A character stands for a key press of its own, so it wakes a suspended device the same way.
void PostChar(WCHAR ch) {
  {
    std::lock_guard guard(g_wakeLock);
    if (WakesDevice(true)) return Swallowed();
  }
  PostRaw(RawEvent{RawKind::Char, StylusAction::Move, {}, {}, 0, 0, false, false, ch, GetTickCount()});
}

WCHAR CharacterOfKey(BYTE vk) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  if (vk >= 'A' && vk <= 'Z') return shift ? vk : static_cast<WCHAR>(vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return vk;
  switch (vk) {
    case VK_SPACE: return u' ';
    case VK_RETURN: return u'\r';
    case VK_BACK: return 0x08;
    case VK_TAB: return u'\t';
    case VK_ESCAPE: return 0x1B;
    default: return 0;
  }
}

}  // namespace gwes

SHORT GetKeyState(int vk) {
  std::lock_guard guard(WindowLock());
  BYTE state = g_keys[static_cast<BYTE>(vk)];
  return static_cast<SHORT>(((state & 0x80) ? 0x8000 : 0) | (state & 0x01));
}

SHORT GetAsyncKeyState(int vk) {
  std::lock_guard guard(QueueMutex());
  return static_cast<SHORT>((g_asyncKeys[static_cast<BYTE>(vk)] & 0x80) ? 0x8000 : 0);
}

UINT GetDoubleClickTime() { return kDoubleClickTime; }
