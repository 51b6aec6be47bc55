#include "platform/gwes/controls/progress.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"

namespace gwes {
namespace {

constexpr int kBlockGap = 2;

// A progress bar's state (see ControlState).
struct ProgressState {
  int min = 0;
  int max = 100;
  int pos = 0;
  int step = 10;
  COLORREF bar = CLR_DEFAULT;
  COLORREF background = CLR_DEFAULT;
};

int Clamp(const ProgressState& s, std::int64_t pos) {
  return static_cast<int>(std::clamp<std::int64_t>(pos, s.min, std::max(s.min, s.max)));
}

// Puts the bar at `pos` and returns the previous position; a change is drawn at once, so a busy
// caller still shows progress.
LRESULT Place(HWND hwnd, ProgressState& s, int pos) {
  int previous = std::exchange(s.pos, pos);
  if (pos != previous) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
  }
  return previous;
}

LRESULT MoveTo(HWND hwnd, ProgressState& s, std::int64_t pos) {
  return Place(hwnd, s, Clamp(s, pos));
}

LRESULT SetRange(HWND hwnd, ProgressState& s, int min, int max) {
  LRESULT previous = MAKELPARAM(static_cast<WORD>(s.min), static_cast<WORD>(s.max));
  if (min == s.min && max == s.max) return previous;
  s.min = min;
  s.max = max;
  s.pos = Clamp(s, s.pos);
  InvalidateRect(hwnd, nullptr, FALSE);
  return previous;
}

// Past the maximum the bar starts over from the minimum (and past the minimum, for a negative step,
// from the maximum), carrying what went beyond. The result is taken as it is, unclamped: with an
// inverted range (10 to 5) Win32 steps on past the ends (10, 12, 14, ...), and so does this.
LRESULT StepIt(HWND hwnd, ProgressState& s) {
  std::int64_t next = std::int64_t{s.pos} + s.step;
  std::int64_t span = std::int64_t{s.max} - s.min;
  if (span == 0) next = s.min;
  if (span != 0 && next > s.max) next = (next - s.min) % span + s.min;
  if (span != 0 && next < s.min) next = (next - s.min) % span + s.max;
  return Place(hwnd, s, static_cast<int>(std::clamp<std::int64_t>(next, INT32_MIN, INT32_MAX)));
}

LRESULT GetRange(ProgressState& s, bool low, LPARAM lParam) {
  if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) *range = PBRANGE{s.min, s.max};
  return low ? s.min : s.max;
}

LRESULT SetColour(COLORREF& slot, HWND hwnd, COLORREF colour) {
  COLORREF previous = std::exchange(slot, colour);
  InvalidateRect(hwnd, nullptr, FALSE);
  return previous;
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour, int sysColour) {
  if (colour == CLR_DEFAULT) {
    FillRect(dc, &rect, GetSysColorBrush(sysColour));
    return;
  }
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

// A one-pixel shadow frame, the background inside it, and the bar: one piece with PBS_SMOOTH,
// otherwise blocks two thirds as long as the bar is thick, two pixels apart.
void Draw(HWND hwnd, ProgressState& s, HDC dc) {
  DWORD style = StyleOf(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
  RECT inner = client;
  InflateRect(&inner, -1, -1);
  if (RectEmpty(inner)) return;
  FillColour(dc, inner, s.background, COLOR_BTNFACE);
  bool vertical = style & PBS_VERTICAL;
  int length = vertical ? RectHeight(inner) : RectWidth(inner);
  int thickness = vertical ? RectWidth(inner) : RectHeight(inner);
  std::int64_t span = std::int64_t{s.max} - s.min;
  int fill = span > 0 ? static_cast<int>((std::int64_t{s.pos} - s.min) * length / span) : 0;
  auto segment = [&](int from, int to) {
    return vertical ? RECT{inner.left, inner.bottom - to, inner.right, inner.bottom - from}
                    : RECT{inner.left + from, inner.top, inner.left + to, inner.bottom};
  };
  if (style & PBS_SMOOTH) {
    if (fill > 0) FillColour(dc, segment(0, fill), s.bar, COLOR_HIGHLIGHT);
    return;
  }
  int block = std::max(2, thickness * 2 / 3);
  for (int from = 0; from < fill; from += block + kBlockGap)
    FillColour(dc, segment(from, std::min(from + block, length)), s.bar, COLOR_HIGHLIGHT);
}

LRESULT ProgressProc(HWND hwnd, ProgressState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case PBM_SETRANGE:
      return SetRange(hwnd, state, LOWORD(static_cast<ULONG_PTR>(lParam)), HIWORD(static_cast<ULONG_PTR>(lParam)));
    case PBM_SETRANGE32: return SetRange(hwnd, state, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE: return GetRange(state, wParam != 0, lParam);
    case PBM_SETPOS: return MoveTo(hwnd, state, static_cast<int>(wParam));
    case PBM_DELTAPOS: return MoveTo(hwnd, state, std::int64_t{state.pos} + static_cast<int>(wParam));
    case PBM_GETPOS: return state.pos;
    case PBM_SETSTEP: return std::exchange(state.step, static_cast<int>(wParam));
    case PBM_STEPIT: return StepIt(hwnd, state);
    case PBM_SETBARCOLOR: return SetColour(state.bar, hwnd, static_cast<COLORREF>(lParam));
    case PBM_SETBKCOLOR: return SetColour(state.background, hwnd, static_cast<COLORREF>(lParam));
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { Draw(window, state, dc); });
    case WM_ERASEBKGND: return 1;  // the whole client is drawn at WM_PAINT
    case WM_NCDESTROY: return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterProgressClass() { RegisterControlClass(kProgressClassName, ControlProc<ProgressState, ProgressProc>); }

}  // namespace gwes
