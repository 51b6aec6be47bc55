#include "platform/gwes/controls/up_down.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/timers.h"

namespace gwes {
namespace {

constexpr UINT_PTR kRepeatTimer = 1;

enum class Arrow { None, Up, Down };  // Up: towards the maximum (the right arrow with UDS_HORZ)

// An up-down's state, owned by its window (see ControlState).
struct UpDownState {
  int minimum = 100;  // the Win32 default range runs from 100 down to 0
  int maximum = 0;
  int position = 0;
  HWND buddy = nullptr;
  Arrow held = Arrow::None;  // the arrow the stylus went down on
  bool inside = false;       // the stylus is still over that arrow
};

bool Horizontal(HWND hwnd) { return StyleOf(hwnd) & UDS_HORZ; }

// The rectangle of one arrow: the top (up) or bottom half, or with UDS_HORZ the right (up) or left.
RECT ArrowRect(HWND hwnd, Arrow arrow) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  if (Horizontal(hwnd)) {
    LONG middle = (rect.left + rect.right) / 2;
    if (arrow == Arrow::Up) rect.left = middle;
    else rect.right = middle;
  } else {
    LONG middle = (rect.top + rect.bottom) / 2;
    if (arrow == Arrow::Up) rect.bottom = middle;
    else rect.top = middle;
  }
  return rect;
}

Arrow ArrowAt(HWND hwnd, POINT point) {
  for (Arrow arrow : {Arrow::Up, Arrow::Down}) {
    RECT rect = ArrowRect(hwnd, arrow);
    if (PtInRect(&rect, point)) return arrow;
  }
  return Arrow::None;
}

// A filled triangle centred in the rectangle, drawn in rows (columns when horizontal) that widen
// from the first to the last when `widening`, else narrow.
void DrawTriangle(HDC dc, const RECT& box, bool horizontal, bool widening, HBRUSH brush) {
  int size = std::max<LONG>(2, std::min(RectWidth(box), RectHeight(box)) / 3);
  int cx = (box.left + box.right) / 2;
  int cy = (box.top + box.bottom) / 2;
  for (int step = 0; step < size; ++step) {
    int half = widening ? step : size - 1 - step;  // half-length of this row
    RECT line = horizontal ? RECT{cx - size / 2 + step, cy - half, cx - size / 2 + step + 1, cy + half + 1}
                           : RECT{cx - half, cy - size / 2 + step, cx + half + 1, cy - size / 2 + step + 1};
    FillRect(dc, &line, brush);
  }
}

void DrawArrow(HWND hwnd, HDC dc, Arrow arrow, bool pressed) {
  RECT rect = ArrowRect(hwnd, arrow);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
  RECT face = rect;
  InflateRect(&face, -1, -1);
  if (!pressed) {
    RECT light{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
    FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    face = RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  }
  FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
  if (pressed) OffsetRect(&face, 1, 1);
  bool horizontal = Horizontal(hwnd);
  // The up arrow points up (a triangle widening downwards); with UDS_HORZ it points right (narrowing).
  DrawTriangle(dc, face, horizontal, horizontal ? arrow == Arrow::Down : arrow == Arrow::Up,
               GetSysColorBrush(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
}

void Draw(HWND hwnd, UpDownState& state, HDC dc) {
  for (Arrow arrow : {Arrow::Up, Arrow::Down})
    DrawArrow(hwnd, dc, arrow, state.held == arrow && state.inside);
}

void SendScroll(HWND hwnd, WORD code, int position) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  SendMessageW(parent, Horizontal(hwnd) ? WM_HSCROLL : WM_VSCROLL,
               MAKEWPARAM(code, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(hwnd));
}

// Shows the position in the buddy window as a decimal number (UDS_SETBUDDYINT).
void UpdateBuddy(HWND hwnd, const UpDownState& state) {
  if (!(StyleOf(hwnd) & UDS_SETBUDDYINT) || !state.buddy || !IsWindow(state.buddy)) return;
  std::string digits = std::to_string(state.position);
  SetWindowTextW(state.buddy, std::u16string(digits.begin(), digits.end()).c_str());
}

// One step of a held arrow: ask the parent, move, report.
void Step(HWND hwnd, UpDownState& state, Arrow arrow) {
  int towardsMaximum = state.maximum >= state.minimum ? 1 : -1;
  int delta = arrow == Arrow::Up ? towardsMaximum : -towardsMaximum;
  NMUPDOWN note{};
  note.hdr.hwndFrom = hwnd;
  note.hdr.idFrom = static_cast<ULONG_PTR>(GetDlgCtrlID(hwnd));
  note.hdr.code = UDN_DELTAPOS;
  note.iPos = state.position;
  note.iDelta = delta;
  if (HWND parent = GetParent(hwnd)) {
    if (SendMessageW(parent, WM_NOTIFY, note.hdr.idFrom, reinterpret_cast<LPARAM>(&note)) != 0) return;
  }
  if (!IsWindow(hwnd)) return;
  int low = std::min(state.minimum, state.maximum);
  int high = std::max(state.minimum, state.maximum);
  int next = state.position + note.iDelta;
  if (next > high) next = (StyleOf(hwnd) & UDS_WRAP) ? low : high;
  if (next < low) next = (StyleOf(hwnd) & UDS_WRAP) ? high : low;
  state.position = next;
  UpdateBuddy(hwnd, state);
  SendScroll(hwnd, SB_THUMBPOSITION, next);
}

LRESULT OnButtonDown(HWND hwnd, UpDownState& state, POINT point) {
  Arrow arrow = ArrowAt(hwnd, point);
  if (arrow == Arrow::None) return 0;
  state.held = arrow;
  state.inside = true;
  SetCapture(hwnd);
  Invalidate(hwnd);
  SetTimer(hwnd, kRepeatTimer, kUpDownFirstRepeatMs, nullptr);
  Step(hwnd, state, arrow);
  return 0;
}

LRESULT OnMouseMove(HWND hwnd, UpDownState& state, POINT point) {
  if (state.held == Arrow::None) return 0;
  bool inside = ArrowAt(hwnd, point) == state.held;
  if (inside != state.inside) {
    state.inside = inside;
    Invalidate(hwnd);
  }
  return 0;
}

// Ends a press: the arrow comes up and the parent hears SB_ENDSCROLL.
void EndPress(HWND hwnd, UpDownState& state) {
  if (state.held == Arrow::None) return;
  state.held = Arrow::None;
  state.inside = false;
  KillTimer(hwnd, kRepeatTimer);
  Invalidate(hwnd);
  SendScroll(hwnd, SB_ENDSCROLL, state.position);
}

LRESULT OnButtonUp(HWND hwnd, UpDownState& state) {
  bool held = state.held != Arrow::None;
  if (held && GetCapture() == hwnd) ReleaseCapture();  // WM_CAPTURECHANGED ends the press
  else EndPress(hwnd, state);
  return 0;
}

LRESULT OnTimer(HWND hwnd, UpDownState& state, UINT_PTR id) {
  if (id != kRepeatTimer || state.held == Arrow::None) return 0;
  SetTimer(hwnd, kRepeatTimer, kUpDownRepeatMs, nullptr);
  if (state.inside) Step(hwnd, state, state.held);
  return 0;
}

LRESULT OnSetRange(UpDownState& state, int minimum, int maximum) {
  state.minimum = minimum;
  state.maximum = maximum;
  return 0;
}

// The buddy's text as a whole decimal number ("" counts as 0, as in Win32); nothing when it holds
// anything else or does not fit an int.
std::optional<int> BuddyNumber(HWND buddy) {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(buddy)) + 1, u'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(buddy, text.data(), static_cast<int>(text.size()))));
  std::size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = i < text.size() && text[i] == u'-';
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
    value = value * 10 + (text[i] - u'0');
    if (value > 0x80000000LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int>(value);
}

// UDM_GETPOS and UDM_GETPOS32: with UDS_SETBUDDYINT the buddy's text is read back first, since the
// user may have typed into it. The error flag is set unless that text was a number inside the
// range: a number outside is kept clamped, anything else leaves the last good position. Without
// UDS_SETBUDDYINT there is nothing to read back, and Win32 reports that as an error too.
int GetPos(HWND hwnd, UpDownState& state, bool* error) {
  bool read = false;
  if ((StyleOf(hwnd) & UDS_SETBUDDYINT) && state.buddy && IsWindow(state.buddy)) {
    if (std::optional<int> typed = BuddyNumber(state.buddy)) {
      state.position = *typed;
      read = true;
    }
  }
  int low = std::min(state.minimum, state.maximum);
  int high = std::max(state.minimum, state.maximum);
  if (state.position < low || state.position > high) {
    state.position = std::clamp(state.position, low, high);
    read = false;
  }
  *error = !read;
  return state.position;
}

// Sets the position, kept inside the range; returns the previous one.
LRESULT OnSetPos(HWND hwnd, UpDownState& state, int position) {
  int previous = state.position;
  state.position = std::clamp(position, std::min(state.minimum, state.maximum), std::max(state.minimum, state.maximum));
  UpdateBuddy(hwnd, state);
  return previous;
}

LRESULT UpDownProc(HWND hwnd, UpDownState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto low = [lParam] { return static_cast<short>(LOWORD(static_cast<ULONG_PTR>(lParam))); };
  auto high = [lParam] { return static_cast<short>(HIWORD(static_cast<ULONG_PTR>(lParam))); };
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { Draw(window, state, dc); });
    case WM_ERASEBKGND: return 1;  // WM_PAINT covers the whole control
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnButtonDown(hwnd, state, PointOf(lParam));
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, state, PointOf(lParam));
    case WM_LBUTTONUP: return OnButtonUp(hwnd, state);
    case WM_CAPTURECHANGED: EndPress(hwnd, state); return 0;
    case WM_TIMER: return OnTimer(hwnd, state, wParam);
    case WM_ENABLE: Invalidate(hwnd); return 0;
    case UDM_SETRANGE: return OnSetRange(state, high(), low());
    case UDM_GETRANGE: {
      return MAKELPARAM(static_cast<WORD>(state.maximum), static_cast<WORD>(state.minimum));
    }
    case UDM_SETRANGE32: return OnSetRange(state, static_cast<int>(wParam), static_cast<int>(lParam));
    case UDM_GETRANGE32: {
      if (auto* minimum = reinterpret_cast<int*>(wParam)) *minimum = state.minimum;
      if (auto* maximum = reinterpret_cast<int*>(lParam)) *maximum = state.maximum;
      return 0;
    }
    case UDM_SETPOS: return static_cast<short>(OnSetPos(hwnd, state, low()));
    case UDM_GETPOS: {
      bool error = false;
      int position = GetPos(hwnd, state, &error);
      return MAKELPARAM(static_cast<WORD>(position), error ? 1 : 0);
    }
    case UDM_SETPOS32: return OnSetPos(hwnd, state, static_cast<int>(lParam));
    case UDM_GETPOS32: {
      bool error = false;
      int position = GetPos(hwnd, state, &error);
      if (auto* flag = reinterpret_cast<BOOL*>(lParam)) *flag = error ? TRUE : FALSE;
      return position;
    }
    case UDM_SETBUDDY: {
      HWND previous = state.buddy;
      state.buddy = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(previous);
    }
    case UDM_GETBUDDY: return reinterpret_cast<LRESULT>(state.buddy);
    case WM_NCDESTROY: KillTimer(hwnd, kRepeatTimer); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterUpDownClass() { RegisterControlClass(kUpDownClassName, ControlProc<UpDownState, UpDownProc>); }

}  // namespace gwes
