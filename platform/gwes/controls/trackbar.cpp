#include "platform/gwes/controls/trackbar.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/timers.h"

namespace gwes {
namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr LONG kDefaultPageSize = 20;
constexpr int kEdge = 2;       // gap between the client edges and the thumb's travel
constexpr int kTickSpace = 5;  // a row of ticks: 3 pixels of tick and 2 of gap to the thumb
constexpr int kTickLength = 3;

enum class Gesture { None, Drag, Page };

// A trackbar's state (see ControlState).
struct TrackbarState {
  LONG min = 0;
  LONG max = 100;
  LONG pos = 0;
  LONG lineSize = 1;
  LONG pageSize = kDefaultPageSize;
  bool userPageSize = false;  // set by TBM_SETPAGESIZE; otherwise it follows the range
  LONG selStart = 0;
  LONG selEnd = 0;
  UINT ticFreq = 1;
  bool ticsLaidOut = false;  // TBS_AUTOTICKS places its inner ticks once a range or frequency is set
  UINT thumbLength = 0;  // 0: from the style and the client size
  bool focused = false;
  Gesture gesture = Gesture::None;
  int pageDirection = 0;  // -1 towards the minimum, +1 towards the maximum
  int stylusPlace = 0;    // where the stylus is along the channel, while paging
  int grabOffset = 0;     // stylus place minus thumb centre when the drag began
};

bool IsVertical(HWND hwnd) { return (StyleOf(hwnd) & TBS_VERT) != 0; }

LONG Clamp(const TrackbarState& s, LONG pos) { return std::clamp(pos, s.min, std::max(s.min, s.max)); }

void UpdateAutoPageSize(TrackbarState& s) {
  if (s.userPageSize) return;
  s.pageSize = std::max<LONG>(1, (s.max - s.min) / 5);
}

// The geometry of the control, worked out along the channel (x for horizontal trackbars, y for
// vertical ones) and across it.
struct Layout {
  bool vertical = false;
  int thumbLength = 0;  // across the channel
  int thumbWidth = 0;   // along the channel (odd, so the thumb has a centre pixel)
  int thumbCross = 0;   // where the thumb starts across the channel
  int start = 0;        // thumb centre at the minimum
  int travel = 0;       // pixels from the minimum's centre to the maximum's
  int alongLength = 0;
  int crossLength = 0;
  bool ticksBefore = false;
  bool ticksAfter = false;

  RECT Rect(int along0, int along1, int cross0, int cross1) const {
    return vertical ? RECT{cross0, along0, cross1, along1} : RECT{along0, cross0, along1, cross1};
  }
  int Place(POINT point) const { return vertical ? point.y : point.x; }
};

UINT DefaultThumbLength(DWORD style, int crossLength) {
  int length = (style & TBS_ENABLESELRANGE) ? 23 : 21;
  if (crossLength < length) length = std::max(4, crossLength - 4);
  return static_cast<UINT>(length);
}

Layout LayoutOf(HWND hwnd, const TrackbarState& s) {
  Layout l;
  DWORD style = StyleOf(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  l.vertical = style & TBS_VERT;
  l.alongLength = l.vertical ? client.bottom : client.right;
  l.crossLength = l.vertical ? client.right : client.bottom;
  l.thumbLength = static_cast<int>(s.thumbLength ? s.thumbLength : DefaultThumbLength(style, l.crossLength));
  l.thumbWidth = (l.thumbLength / 2) | 1;
  bool ticks = !(style & TBS_NOTICKS);
  l.ticksBefore = ticks && (style & (TBS_TOP | TBS_BOTH));
  l.ticksAfter = ticks && (!(style & TBS_TOP) || (style & TBS_BOTH));
  l.thumbCross = kEdge + (l.ticksBefore ? kTickSpace : 0);
  int half = l.thumbWidth / 2;
  l.start = kEdge + half;
  l.travel = std::max(0, l.alongLength - 1 - kEdge - half - l.start);
  return l;
}

int CentreOf(const Layout& l, const TrackbarState& s, LONG pos) {
  LONG range = s.max - s.min;
  if (range <= 0) return l.start;
  std::int64_t offset = static_cast<std::int64_t>(l.travel) * (Clamp(s, pos) - s.min) / range;
  return l.start + static_cast<int>(offset);
}

// The position whose thumb centre lies nearest to a place along the channel.
LONG PositionAt(const Layout& l, const TrackbarState& s, int place) {
  LONG range = s.max - s.min;
  if (range <= 0 || l.travel <= 0) return s.min;
  std::int64_t scaled = static_cast<std::int64_t>(place - l.start) * range;
  std::int64_t rounded = (scaled >= 0 ? scaled + l.travel / 2 : scaled - l.travel / 2) / l.travel;
  return Clamp(s, static_cast<LONG>(std::clamp<std::int64_t>(s.min + rounded, INT32_MIN, INT32_MAX)));
}

RECT ThumbRect(const Layout& l, const TrackbarState& s) {
  int centre = CentreOf(l, s, s.pos);
  int half = l.thumbWidth / 2;
  return l.Rect(centre - half, centre + half + 1, l.thumbCross, l.thumbCross + l.thumbLength);
}

RECT ChannelRect(const Layout& l, DWORD style) {
  int thickness = (style & TBS_ENABLESELRANGE) ? 8 : 4;
  int cross = l.thumbCross + l.thumbLength / 2 - thickness / 2;
  return l.Rect(kEdge, l.alongLength - kEdge, cross, cross + thickness);
}

// Tells the parent about a move made by the user. False when the trackbar is gone afterwards.
bool Notify(HWND hwnd, WORD code, LONG pos = 0) {
  HWND parent = GetParent(hwnd);
  if (parent) {
    WORD high = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<WORD>(pos) : 0;
    SendMessageW(parent, IsVertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, high),
                 reinterpret_cast<LPARAM>(hwnd));
  }
  return IsWindow(hwnd) != FALSE;
}

// A user move to `target`: nothing happens at the end the move heads for; otherwise the thumb moves
// (clamped) and the parent hears `code`.
bool MoveBy(HWND hwnd, TrackbarState& s, LONG target, WORD code) {
  LONG next = Clamp(s, target);
  if (next == s.pos) return true;
  s.pos = next;
  Invalidate(hwnd);
  return Notify(hwnd, code);
}

// ---- drawing ----

void Fill(HDC dc, RECT rect, int colour) { FillRect(dc, &rect, GetSysColorBrush(colour)); }

void DrawChannel(HDC dc, const Layout& l, const TrackbarState& s, DWORD style) {
  RECT channel = ChannelRect(l, style);
  Fill(dc, channel, COLOR_BTNHIGHLIGHT);  // sunken: light bottom and right edges
  Fill(dc, RECT{channel.left, channel.top, channel.right - 1, channel.bottom - 1}, COLOR_BTNSHADOW);
  RECT inner{channel.left + 1, channel.top + 1, channel.right - 1, channel.bottom - 1};
  bool selectable = style & TBS_ENABLESELRANGE;
  Fill(dc, inner, selectable ? COLOR_WINDOW : COLOR_BTNFACE);
  if (selectable && s.selEnd > s.selStart) {
    int a = CentreOf(l, s, s.selStart);
    int b = CentreOf(l, s, s.selEnd) + 1;
    RECT sel = l.vertical ? RECT{inner.left + 1, a, inner.right - 1, b} : RECT{a, inner.top + 1, b, inner.bottom - 1};
    Fill(dc, sel, COLOR_HIGHLIGHT);
  }
}

void DrawTick(HDC dc, const Layout& l, int centre) {
  if (l.ticksBefore) {
    int end = l.thumbCross - (kTickSpace - kTickLength);
    Fill(dc, l.Rect(centre, centre + 1, end - kTickLength, end), COLOR_BTNTEXT);
  }
  if (l.ticksAfter) {
    int begin = l.thumbCross + l.thumbLength + (kTickSpace - kTickLength);
    Fill(dc, l.Rect(centre, centre + 1, begin, begin + kTickLength), COLOR_BTNTEXT);
  }
}

void DrawTicks(HDC dc, const Layout& l, const TrackbarState& s, DWORD style) {
  if (!l.ticksBefore && !l.ticksAfter) return;
  DrawTick(dc, l, CentreOf(l, s, s.min));
  DrawTick(dc, l, CentreOf(l, s, s.max));
  if (!(style & TBS_AUTOTICKS) || !s.ticsLaidOut || s.ticFreq == 0) return;
  for (std::int64_t tick = std::int64_t{s.min} + s.ticFreq; tick < s.max; tick += s.ticFreq)
    DrawTick(dc, l, CentreOf(l, s, static_cast<LONG>(tick)));
}

void DrawThumb(HDC dc, RECT t) {
  Fill(dc, t, COLOR_WINDOWFRAME);  // raised: dark bottom and right edges
  Fill(dc, RECT{t.left, t.top, t.right - 1, t.bottom - 1}, COLOR_BTNHIGHLIGHT);
  Fill(dc, RECT{t.left + 1, t.top + 1, t.right - 1, t.bottom - 1}, COLOR_BTNSHADOW);
  Fill(dc, RECT{t.left + 1, t.top + 1, t.right - 2, t.bottom - 2}, COLOR_BTNFACE);
}

void Draw(HWND hwnd, TrackbarState& s, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  // The background is the parent's static colour, as for labels on the same dialog.
  HBRUSH brush = nullptr;
  if (HWND parent = GetParent(hwnd))
    brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
  if (!IsWindow(hwnd)) return;
  FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  DWORD style = StyleOf(hwnd);
  Layout l = LayoutOf(hwnd, s);
  DrawChannel(dc, l, s, style);
  DrawTicks(dc, l, s, style);
  if (!(style & TBS_NOTHUMB)) DrawThumb(dc, ThumbRect(l, s));
  if (s.focused) FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
}

// ---- messages that set values (never notified) ----

LRESULT OnSetPos(HWND hwnd, TrackbarState& s, bool redraw, LONG pos) {
  LONG next = Clamp(s, pos);
  if (next == s.pos) return 0;
  s.pos = next;
  if (redraw) Invalidate(hwnd);
  return 0;
}

LRESULT OnSetRange(HWND hwnd, TrackbarState& s, bool redraw, LONG min, LONG max) {
  s.min = min;
  s.max = max;
  s.pos = Clamp(s, s.pos);
  s.ticsLaidOut = true;
  UpdateAutoPageSize(s);
  if (redraw) Invalidate(hwnd);
  return 0;
}

LRESULT OnSetPageSize(TrackbarState& s, LONG size) {
  LONG previous = s.pageSize;
  s.userPageSize = size != -1;  // -1 gives the size back to the range
  if (s.userPageSize)
    s.pageSize = size;
  else
    UpdateAutoPageSize(s);
  return previous;
}

// Selections exist only with TBS_ENABLESELRANGE. TBM_SETSEL keeps the pair inside the range; the
// one-sided TBM_SETSELSTART and TBM_SETSELEND take their value as it is, as Win32 does (neither
// clamped nor put in order), and drawing shows only the part inside the range.
LRESULT OnSetSelection(HWND hwnd, TrackbarState& s, bool redraw, const LONG* start, const LONG* end, bool clamp) {
  if (!(StyleOf(hwnd) & TBS_ENABLESELRANGE)) return 0;
  if (start) s.selStart = clamp ? Clamp(s, *start) : *start;
  if (end) s.selEnd = clamp ? Clamp(s, *end) : *end;
  if (redraw) Invalidate(hwnd);
  return 0;
}

LRESULT OnGetNumTics(HWND hwnd, TrackbarState& s) {
  DWORD style = StyleOf(hwnd);
  if (style & TBS_NOTICKS) return 0;
  LRESULT inner = 0;
  if ((style & TBS_AUTOTICKS) && s.ticsLaidOut && s.ticFreq > 0 && s.max > s.min)
    inner = (s.max - s.min - 1) / static_cast<LONG>(s.ticFreq);
  return inner + 2;  // the ends always have a tick
}

LRESULT OnGetRect(HWND hwnd, TrackbarState& s, LPARAM lParam, bool thumb) {
  auto* rect = reinterpret_cast<RECT*>(lParam);
  if (!rect) return 0;
  Layout l = LayoutOf(hwnd, s);
  *rect = thumb ? ThumbRect(l, s) : ChannelRect(l, StyleOf(hwnd));
  return 0;
}

// ---- keys ----

LRESULT OnKeyDown(HWND hwnd, TrackbarState& s, WPARAM vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_UP: MoveBy(hwnd, s, s.pos - s.lineSize, TB_LINEUP); break;
    case VK_RIGHT:
    case VK_DOWN: MoveBy(hwnd, s, s.pos + s.lineSize, TB_LINEDOWN); break;
    case VK_PRIOR: MoveBy(hwnd, s, s.pos - s.pageSize, TB_PAGEUP); break;
    case VK_NEXT: MoveBy(hwnd, s, s.pos + s.pageSize, TB_PAGEDOWN); break;
    case VK_HOME: MoveBy(hwnd, s, s.min, TB_TOP); break;
    case VK_END: MoveBy(hwnd, s, s.max, TB_BOTTOM); break;
    default: break;
  }
  return 0;
}

// Letting go of a moving key ends the gesture, whether or not the thumb could move.
LRESULT OnKeyUp(HWND hwnd, WPARAM vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END: Notify(hwnd, TB_ENDTRACK); break;
    default: break;
  }
  return 0;
}

// ---- stylus ----

// Pages once towards the stylus when it is still beyond the thumb in the gesture's direction.
bool PageTowardsStylus(HWND hwnd, TrackbarState& s) {
  Layout l = LayoutOf(hwnd, s);
  int centre = CentreOf(l, s, s.pos);
  int half = l.thumbWidth / 2;
  if (s.pageDirection < 0 && s.stylusPlace < centre - half) return MoveBy(hwnd, s, s.pos - s.pageSize, TB_PAGEUP);
  if (s.pageDirection > 0 && s.stylusPlace > centre + half) return MoveBy(hwnd, s, s.pos + s.pageSize, TB_PAGEDOWN);
  return true;
}

// A press on the thumb (anywhere across the control, so a finger need not hit it exactly) starts a
// drag; a press beside it pages towards the press and keeps paging while held.
LRESULT OnButtonDown(HWND hwnd, TrackbarState& s, POINT point) {
  SetFocus(hwnd);
  if (!IsWindow(hwnd)) return 0;
  if (s.gesture != Gesture::None) return 0;
  Layout l = LayoutOf(hwnd, s);
  int place = l.Place(point);
  int centre = CentreOf(l, s, s.pos);
  int half = l.thumbWidth / 2;
  SetCapture(hwnd);
  if (!(StyleOf(hwnd) & TBS_NOTHUMB) && place >= centre - half && place <= centre + half) {
    s.gesture = Gesture::Drag;
    s.grabOffset = place - centre;
    return 0;
  }
  s.gesture = Gesture::Page;
  s.pageDirection = place < centre ? -1 : 1;
  s.stylusPlace = place;
  SetTimer(hwnd, kRepeatTimer, kTrackbarRepeatDelayMs, nullptr);
  PageTowardsStylus(hwnd, s);
  return 0;
}

LRESULT OnMouseMove(HWND hwnd, TrackbarState& s, POINT point) {
  if (s.gesture == Gesture::None || GetCapture() != hwnd) return 0;
  Layout l = LayoutOf(hwnd, s);
  if (s.gesture == Gesture::Page) {
    s.stylusPlace = l.Place(point);
    return 0;
  }
  LONG next = PositionAt(l, s, l.Place(point) - s.grabOffset);
  if (next == s.pos) return 0;
  s.pos = next;
  Invalidate(hwnd);
  Notify(hwnd, TB_THUMBTRACK, next);
  if (IsWindow(hwnd)) UpdateWindow(hwnd);
  return 0;
}

// Ends a stylus gesture: a drag reports where the thumb was left; both end with TB_ENDTRACK.
void EndGesture(HWND hwnd, TrackbarState& s, bool released) {
  Gesture gesture = s.gesture;
  if (gesture == Gesture::None) return;
  s.gesture = Gesture::None;  // first, so the capture change below is not taken for a loss
  KillTimer(hwnd, kRepeatTimer);
  if (released && GetCapture() == hwnd) ReleaseCapture();
  if (gesture == Gesture::Drag && released && !Notify(hwnd, TB_THUMBPOSITION, s.pos)) return;
  Notify(hwnd, TB_ENDTRACK);
}

LRESULT OnTimer(HWND hwnd, TrackbarState& state, WPARAM id) {
  if (id != kRepeatTimer) return 0;
  if (state.gesture != Gesture::Page) {
    KillTimer(hwnd, kRepeatTimer);
    return 0;
  }
  SetTimer(hwnd, kRepeatTimer, kTrackbarRepeatIntervalMs, nullptr);
  PageTowardsStylus(hwnd, state);
  return 0;
}

// Losing the capture to another window (or to a disable) ends the gesture where it stands.
LRESULT OnCaptureChanged(HWND hwnd, TrackbarState& state, HWND newCapture) {
  if (newCapture != hwnd) EndGesture(hwnd, state, false);
  return 0;
}

LRESULT OnFocus(HWND hwnd, TrackbarState& state, bool focused) {
  state.focused = focused;
  Invalidate(hwnd);
  return 0;
}

LONG LongOf(LPARAM lParam) { return static_cast<LONG>(lParam); }
LONG LowOf(LPARAM lParam) { return static_cast<short>(LOWORD(static_cast<ULONG_PTR>(lParam))); }
LONG HighOf(LPARAM lParam) { return static_cast<short>(HIWORD(static_cast<ULONG_PTR>(lParam))); }

LRESULT TrackbarProc(HWND hwnd, TrackbarState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  bool flag = wParam != 0;
  switch (msg) {
    case TBM_GETPOS: return state.pos;
    case TBM_GETRANGEMIN: return state.min;
    case TBM_GETRANGEMAX: return state.max;
    case TBM_SETPOS: return OnSetPos(hwnd, state, flag, LongOf(lParam));
    case TBM_SETRANGE: return OnSetRange(hwnd, state, flag, LowOf(lParam), HighOf(lParam));
    case TBM_SETRANGEMIN: return OnSetRange(hwnd, state, flag, LongOf(lParam), state.max);
    case TBM_SETRANGEMAX: return OnSetRange(hwnd, state, flag, state.min, LongOf(lParam));
    case TBM_SETPAGESIZE: return OnSetPageSize(state, LongOf(lParam));
    case TBM_GETPAGESIZE: return state.pageSize;
    case TBM_SETLINESIZE: return std::exchange(state.lineSize, LongOf(lParam));
    case TBM_GETLINESIZE: return state.lineSize;
    case TBM_SETTICFREQ:
      if (StyleOf(hwnd) & TBS_AUTOTICKS) {
        state.ticFreq = static_cast<UINT>(wParam);
        state.ticsLaidOut = true;
      }
      Invalidate(hwnd);
      return 0;
    case TBM_GETNUMTICS: return OnGetNumTics(hwnd, state);
    case TBM_SETSEL: {
      LONG start = LowOf(lParam), end = HighOf(lParam);
      return OnSetSelection(hwnd, state, flag, &start, &end, true);
    }
    case TBM_SETSELSTART: {
      LONG start = LongOf(lParam);
      return OnSetSelection(hwnd, state, flag, &start, nullptr, false);
    }
    case TBM_SETSELEND: {
      LONG end = LongOf(lParam);
      return OnSetSelection(hwnd, state, flag, nullptr, &end, false);
    }
    case TBM_CLEARSEL:
      state.selStart = state.selEnd = 0;
      if (flag) Invalidate(hwnd);
      return 0;
    case TBM_GETSELSTART: return state.selStart;
    case TBM_GETSELEND: return state.selEnd;
    case TBM_GETTHUMBRECT: return OnGetRect(hwnd, state, lParam, true);
    case TBM_GETCHANNELRECT: return OnGetRect(hwnd, state, lParam, false);
    case TBM_SETTHUMBLENGTH:
      if (StyleOf(hwnd) & TBS_FIXEDLENGTH) {
        state.thumbLength = static_cast<UINT>(wParam);
        Invalidate(hwnd);
      }
      return 0;
    case TBM_GETTHUMBLENGTH: return LayoutOf(hwnd, state).thumbLength;
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { Draw(window, state, dc); });
    case WM_ERASEBKGND: return 1;  // the whole client is drawn at WM_PAINT
    case WM_KEYDOWN: return OnKeyDown(hwnd, state, wParam);
    case WM_KEYUP: return OnKeyUp(hwnd, wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnButtonDown(hwnd, state, PointOf(lParam));
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, state, PointOf(lParam));
    case WM_LBUTTONUP: EndGesture(hwnd, state, true); return 0;
    case WM_CAPTURECHANGED: return OnCaptureChanged(hwnd, state, reinterpret_cast<HWND>(lParam));
    case WM_TIMER: return OnTimer(hwnd, state, wParam);
    case WM_SETFOCUS: return OnFocus(hwnd, state, true);
    case WM_KILLFOCUS: return OnFocus(hwnd, state, false);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_ENABLE:
    case WM_SIZE: Invalidate(hwnd); return 0;
    case WM_NCDESTROY:
      KillTimer(hwnd, kRepeatTimer);
     
      return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterTrackbarClass() { RegisterControlClass(kTrackbarClassName, ControlProc<TrackbarState, TrackbarProc>); }

}  // namespace gwes
