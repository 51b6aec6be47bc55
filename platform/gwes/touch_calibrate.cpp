#include "platform/gwes/touch_calibrate.h"

#include <cmath>
#include <initializer_list>

#include "platform/gwes/dialog/dialog.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/surface.h"
#include "platform/gwes/timers.h"
#include "platform/gwes/touch_driver.h"
#include "platform/gwes/virtual_keys.h"
#include "platform/gwes/window.h"
#include "platform/gwes/window_class.h"

namespace gwes {
namespace {

constexpr char16_t kClassName[] = u"TouchAlignment";
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr std::size_t kTargets = kernel::kTouchTargets.size();
constexpr int kArm = 7;     // the crosshair reaches this far each way: 15 pixels across
constexpr int kRing = 4;    // the circle's radius
constexpr int kTextTop = 142;
constexpr int kTextMargin = 4;

constexpr char16_t kAimText[] = u"Tap the centre of the target firmly and accurately.";
constexpr char16_t kCancelText[] = u"Press Escape to cancel.";
constexpr char16_t kRetryText[] = u"The taps did not line up. Try again.";
constexpr char16_t kKeepText[] = u"Tap the screen or press Enter to keep the new settings.";
constexpr char16_t kOldText[] = u"Press Escape to keep the old ones.";

struct Alignment {
  std::size_t target = 0;  // the target shown; kTargets while asking to keep the alignment
  bool retry = false;      // the last round did not line up (said until the centre is tapped again)
  bool pressed = false;
  POINT pressRaw{};
  kernel::TouchSamples raw{};
  bool done = false;
  BOOL result = FALSE;
  HFONT font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
};

Alignment* StateOf(HWND hwnd) { return reinterpret_cast<Alignment*>(GetWindowLongW(hwnd, GWL_USERDATA)); }

void Fill(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
  RECT rect{left, top, right, bottom};
  FillRect(dc, &rect, brush);
}

// A crosshair with a small circle round its middle.
void DrawTarget(HDC dc, kernel::TouchPoint at) {
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  Fill(dc, at.x - kArm, at.y, at.x + kArm + 1, at.y + 1, black);
  Fill(dc, at.x, at.y - kArm, at.x + 1, at.y + kArm + 1, black);
  // The circle a pixel at a time: each point whose distance from the middle rounds to the radius.
  for (int dy = -kRing - 1; dy <= kRing + 1; ++dy) {
    for (int dx = -kRing - 1; dx <= kRing + 1; ++dx) {
      if (std::lround(std::hypot(dx, dy)) == kRing) Fill(dc, at.x + dx, at.y + dy, at.x + dx + 1, at.y + dy + 1, black);
    }
  }
}

// Paragraphs centred one under the other from `top`, each wrapped to the screen's width.
void DrawParagraphs(HDC dc, HFONT font, int top, std::initializer_list<const char16_t*> paragraphs) {
  HGDIOBJ previous = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  for (const char16_t* text : paragraphs) {
    RECT rect{kTextMargin, top, kScreenWidth - kTextMargin, top};
    DrawTextW(dc, text, -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    rect.left = kTextMargin;
    rect.right = kScreenWidth - kTextMargin;
    DrawTextW(dc, text, -1, &rect, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    top = rect.bottom + 4;
  }
  SelectObject(dc, previous);
}

void Draw(HWND hwnd, const Alignment& state, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (state.target < kTargets) {
    DrawTarget(dc, kernel::kTouchTargets[state.target]);
    if (state.retry)
      DrawParagraphs(dc, state.font, kTextTop, {kRetryText, kAimText, kCancelText});
    else
      DrawParagraphs(dc, state.font, kTextTop, {kAimText, kCancelText});
  } else {
    DrawParagraphs(dc, state.font, kScreenHeight / 2 - 30, {kKeepText, kOldText});
  }
}

void Finish(Alignment& state, BOOL result) {
  state.done = true;
  state.result = result;
}

// Every point lies within the tolerance of where the fit puts it.
bool LinesUp(const kernel::TouchSamples& raw) {
  auto fit = kernel::FitTouchTransform(raw);
  if (!fit) return false;
  for (std::size_t i = 0; i < kTargets; ++i) {
    kernel::TouchSpot spot = kernel::MapTouch(*fit, raw[i]);
    if (std::hypot(spot.x - kernel::kTouchTargets[i].x, spot.y - kernel::kTouchTargets[i].y) > kAlignmentTolerance)
      return false;
  }
  return true;
}

// Keeps the new alignment: written first, so the driver never runs on a calibration the device
// would not find again at its next start.
void Keep(Alignment& state) {
  if (!kernel::WriteCalibrationData(state.raw)) return Finish(state, FALSE);
  SetTouchCalibration(state.raw);
  Finish(state, TRUE);
}

void Tapped(HWND hwnd, Alignment& state) {
  if (state.target >= kTargets) return Keep(state);
  state.raw[state.target] = {state.pressRaw.x, state.pressRaw.y};
  state.retry = false;
  if (++state.target == kTargets && !LinesUp(state.raw)) {
    state.retry = true;
    state.target = 0;
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT AlignmentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Alignment* state = StateOf(hwnd);
  if (!state) return DefWindowProcW(hwnd, msg, wParam, lParam);
  bool input = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_MOUSEMOVE || msg == WM_KEYDOWN;
  if (input) SetTimer(hwnd, kTimeoutTimer, kAlignmentTimeoutMs, nullptr);  // any input starts the wait over
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(hwnd, &ps)) {
        Draw(hwnd, *state, dc);
        EndPaint(hwnd, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND: return 1;  // WM_PAINT draws every pixel
    case WM_LBUTTONDOWN:
      state->pressed = true;
      state->pressRaw = LastStylusRawPoint();
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd) ReleaseCapture();
      if (state->pressed) {
        state->pressed = false;
        Tapped(hwnd, *state);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) Finish(*state, FALSE);
      if (wParam == VK_RETURN && state->target >= kTargets) Keep(*state);
      return 0;
    case WM_TIMER:
      if (wParam == kTimeoutTimer) Finish(*state, FALSE);
      return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void RegisterAlignmentClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = AlignmentProc;
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);  // fails harmlessly when an earlier call registered it
}

}  // namespace
}  // namespace gwes

BOOL TouchCalibrate() {
  using namespace gwes;
  HWND previousActive = GetActiveWindow();
  HWND previousFocus = GetFocus();
  RegisterAlignmentClass();
  Alignment state;
  HWND window = CreateWindowExW(WS_EX_TOPMOST, kClassName, u"", WS_POPUP, 0, 0, kScreenWidth, kScreenHeight, nullptr,
                                nullptr, nullptr, nullptr);
  if (!window) return FALSE;
  SetWindowLongW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  ShowWindow(window, SW_SHOWNORMAL);
  SetActiveWindow(window);
  SetFocus(window);
  SetTimer(window, kTimeoutTimer, kAlignmentTimeoutMs, nullptr);

  while (!state.done && IsWindow(window) && PumpModalMessage()) {
  }

  if (IsWindow(window)) {
    KillTimer(window, kTimeoutTimer);
    SetWindowLongW(window, GWL_USERDATA, 0);
    DestroyWindow(window);
  }
  if (previousActive && IsWindow(previousActive)) SetActiveWindow(previousActive);
  if (previousFocus && IsWindow(previousFocus)) SetFocus(previousFocus);
  return state.done ? state.result : FALSE;
}
