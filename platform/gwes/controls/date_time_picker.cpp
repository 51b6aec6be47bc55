#include "platform/gwes/controls/date_time_picker.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gwes/controls/measure_dc.h"
#include "platform/gwes/controls/up_down.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/kernel/wide_string.h"

namespace gwes {
namespace {

// A picker's state, owned by its window (see ControlState).
struct PickerState {
  SYSTEMTIME time{};
  bool none = false;  // DTS_SHOWNONE and set to "no date"
  std::vector<FormatPiece> pieces;
  int selected = -1;  // the piece of the selected field
  int typedDigits = 0;  // digits typed into the selected field since it was selected
  int typedValue = 0;
  HFONT font = nullptr;
  bool focused = false;
  HWND upDown = nullptr;
};

// The format a picker shows until DTM_SETFORMAT gives another (the device's English locale).
std::u16string DefaultFormat(DWORD style) {
  if ((style & 0x000C) == 0x0008) return u"h:mm:ss tt";
  if ((style & 0x000C) == DTS_LONGDATEFORMAT) return u"dddd, MMMM dd, yyyy";
  return u"M/d/yyyy";
}

int FirstField(const std::vector<FormatPiece>& pieces) {
  for (std::size_t i = 0; i < pieces.size(); ++i)
    if (EditableField(pieces[i].field)) return static_cast<int>(i);
  return -1;
}

void UseFormat(PickerState& state, std::u16string_view format) {
  state.pieces = ParseDateTimeFormat(format);
  state.selected = FirstField(state.pieces);
  state.typedDigits = 0;
}

std::u16string TextOf(const PickerState& state) {
  std::u16string text;
  for (const FormatPiece& piece : state.pieces) text += PieceText(piece, state.time);
  return text;
}

// The text area: inside the one-pixel frame and left of the up-down child, which lies inside the
// frame too.
RECT TextArea(HWND hwnd, const PickerState& state) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  InflateRect(&rect, -1, -1);
  if (state.upDown) rect.right = std::max(rect.left, rect.right - kPickerUpDownWidth);
  return rect;
}

// Each piece's rectangle in client coordinates, in format order.
std::vector<RECT> PieceRects(HWND hwnd, const PickerState& state) {
  MeasureDc measure(state.font);
  RECT area = TextArea(hwnd, state);
  int height = measure.LineHeight();
  int top = area.top + (RectHeight(area) - height) / 2;
  int x = area.left + 2;
  std::vector<RECT> rects;
  for (const FormatPiece& piece : state.pieces) {
    int width = measure.Width(PieceText(piece, state.time));
    rects.push_back(RECT{x, top, x + width, top + height});
    x += width;
  }
  return rects;
}

void Draw(HWND hwnd, PickerState& state, HDC dc) {
  bool enabled = IsWindowEnabled(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
  RECT inside = client;
  InflateRect(&inside, -1, -1);
  FillRect(dc, &inside, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_STATIC));
  HGDIOBJ oldFont = state.font ? SelectObject(dc, state.font) : nullptr;
  RECT area = TextArea(hwnd, state);
  std::vector<RECT> rects = PieceRects(hwnd, state);
  for (std::size_t i = 0; i < state.pieces.size(); ++i) {
    std::u16string text = PieceText(state.pieces[i], state.time);
    bool highlighted = state.focused && static_cast<int>(i) == state.selected;
    RECT cell = Intersection(rects[i], area);
    if (highlighted && !RectEmpty(cell)) FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ExtTextOutW(dc, rects[i].left, rects[i].top, ETO_CLIPPED, &area, text.data(), static_cast<UINT>(text.size()),
                nullptr);
  }
  if (oldFont) SelectObject(dc, oldFont);
}

void Notify(HWND hwnd, NMHDR& header) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  header.hwndFrom = hwnd;
  header.idFrom = static_cast<ULONG_PTR>(GetDlgCtrlID(hwnd));
  SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void NotifySimple(HWND hwnd, UINT code) {
  NMHDR header{};
  header.code = code;
  Notify(hwnd, header);
}

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

// A change the user made: shown at once, and told to the parent when the value differs.
void UserChange(HWND hwnd, PickerState& state, const SYSTEMTIME& time) {
  bool changed = state.none || !SameTime(state.time, time);
  state.time = time;
  state.none = false;
  Invalidate(hwnd);
  if (!changed) return;
  NMDATETIMECHANGE note{};
  note.nmhdr.code = DTN_DATETIMECHANGE;
  note.dwFlags = static_cast<DWORD>(GDT_VALID);
  note.st = time;
  Notify(hwnd, note.nmhdr);
}

DateField SelectedField(const PickerState& state) {
  return state.selected >= 0 ? state.pieces[static_cast<std::size_t>(state.selected)].field : DateField::Literal;
}

void Select(HWND hwnd, PickerState& state, int piece) {
  state.typedDigits = 0;
  if (piece == state.selected) return;
  state.selected = piece;
  Invalidate(hwnd);
}

// The next editable field after (direction 1) or before (-1) the selected one, wrapping around.
int NeighbourField(const PickerState& state, int direction) {
  int count = static_cast<int>(state.pieces.size());
  if (state.selected < 0) return state.selected;  // a format without fields
  for (int step = 1; step <= count; ++step) {
    int index = ((state.selected + direction * step) % count + count) % count;
    if (EditableField(state.pieces[static_cast<std::size_t>(index)].field)) return index;
  }
  return state.selected;
}

void StepSelected(HWND hwnd, PickerState& state, int delta) {
  DateField field = SelectedField(state);
  if (!EditableField(field)) return;
  state.typedDigits = 0;
  UserChange(hwnd, state, StepField(state.time, field, delta));
}

LRESULT OnKeyDown(HWND hwnd, PickerState& state, WPARAM vk) {
  DateField field = SelectedField(state);
  switch (vk) {
    case VK_LEFT: Select(hwnd, state, NeighbourField(state, -1)); return 0;
    case VK_RIGHT: Select(hwnd, state, NeighbourField(state, 1)); return 0;
    case VK_UP: StepSelected(hwnd, state, 1); return 0;
    case VK_DOWN: StepSelected(hwnd, state, -1); return 0;
    case VK_HOME:
    case VK_END:
      if (!EditableField(field)) return 0;
      state.typedDigits = 0;
      UserChange(hwnd, state, WithFieldValue(state.time, field,
                                      vk == VK_HOME ? FieldMinimum(field) : FieldMaximum(field, state.time)));
      return 0;
    default: return 0;
  }
}

// Digits build the selected field's value: a second digit joins the first while the result fits the
// field (1 then 5 makes 15 in an hour field, 3 then 5 starts again at 5); a year takes four digits.
void TypeDigit(HWND hwnd, PickerState& state, int digit) {
  DateField field = SelectedField(state);
  if (!EditableField(field) || field == DateField::AmPm) return;
  bool year = field == DateField::Year;
  int value = state.typedDigits > 0 ? state.typedValue * 10 + digit : digit;
  int digits = state.typedDigits + 1;
  if (!year && value > FieldMaximum(field, state.time)) {
    value = digit;
    digits = 1;
  }
  state.typedValue = value;
  state.typedDigits = digits == (year ? 4 : 2) ? 0 : digits;
  bool complete = year ? digits == 4 : true;
  if (complete && value >= FieldMinimum(field) && value <= FieldMaximum(field, state.time))
    UserChange(hwnd, state, WithFieldValue(state.time, field, value));
}

LRESULT OnChar(HWND hwnd, PickerState& state, WCHAR ch) {
  if (ch >= u'0' && ch <= u'9') {
    TypeDigit(hwnd, state, ch - u'0');
  } else if (SelectedField(state) == DateField::AmPm) {
    if (ch == u'a' || ch == u'A') UserChange(hwnd, state, WithFieldValue(state.time, DateField::AmPm, 0));
    if (ch == u'p' || ch == u'P') UserChange(hwnd, state, WithFieldValue(state.time, DateField::AmPm, 1));
  }
  return 0;
}

// A tap takes the focus and selects the field under it, or the nearest one.
LRESULT OnButtonDown(HWND hwnd, PickerState& state, POINT point) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!IsWindow(hwnd) || GetFocus() != hwnd) return 0;
  std::vector<RECT> rects = PieceRects(hwnd, state);
  int best = -1;
  long bestDistance = 0;
  for (std::size_t i = 0; i < rects.size(); ++i) {
    if (!EditableField(state.pieces[i].field)) continue;
    long distance = point.x < rects[i].left ? rects[i].left - point.x : point.x >= rects[i].right ? point.x - rects[i].right + 1 : 0;
    if (best < 0 || distance < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = distance;
    }
  }
  if (best >= 0) Select(hwnd, state, best);
  return 0;
}

LRESULT OnNotify(HWND hwnd, PickerState& state, const NMHDR* header) {
  if (!header || header->hwndFrom != state.upDown || header->code != UDN_DELTAPOS) return 0;
  const auto* step = reinterpret_cast<const NMUPDOWN*>(header);
  int delta = step->iDelta > 0 ? 1 : -1;
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (IsWindow(hwnd) && GetFocus() == hwnd) StepSelected(hwnd, state, delta);
  return 0;
}

LRESULT OnFocus(HWND hwnd, PickerState& state, bool focused) {
  state.focused = focused;
  state.typedDigits = 0;
  Invalidate(hwnd);
  NotifySimple(hwnd, focused ? NM_SETFOCUS : NM_KILLFOCUS);
  return 0;
}

LRESULT OnCreate(HWND hwnd, PickerState& state, const CREATESTRUCTW* create) {
  if (!(StyleOf(hwnd) & DTS_UPDOWN)) return 0;
  // Inside the frame, as the frame is drawn round the whole client area.
  state.upDown = CreateWindowExW(0, kUpDownClassName, nullptr, WS_CHILD | WS_VISIBLE,
                                 create->cx - 1 - kPickerUpDownWidth, 1, kPickerUpDownWidth, create->cy - 2, hwnd,
                                 reinterpret_cast<HMENU>(static_cast<LONG_PTR>(kPickerUpDownId)), nullptr, nullptr);
  // A range around zero, so that the up arrow always steps by +1.
  if (state.upDown) SendMessageW(state.upDown, UDM_SETRANGE32, static_cast<WPARAM>(UD_MINVAL), UD_MAXVAL);
  return 0;
}

LRESULT OnSize(HWND hwnd, PickerState& state, int width, int height) {
  HWND upDown = state.upDown;
  if (upDown && IsWindow(upDown))
    SetWindowPos(upDown, nullptr, width - 1 - kPickerUpDownWidth, 1, kPickerUpDownWidth, std::max(0, height - 2),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  Invalidate(hwnd);
  return 0;
}

LRESULT OnGetSystemTime(PickerState& state, SYSTEMTIME* time) {
  if (!time) return GDT_ERROR;
  if (state.none) return GDT_NONE;
  *time = state.time;
  return GDT_VALID;
}

// Sets the value without telling the parent. A date outside the calendar or a time outside the day
// is refused.
LRESULT OnSetSystemTime(HWND hwnd, PickerState& state, WPARAM flag, const SYSTEMTIME* time) {
  if (static_cast<LRESULT>(flag) == GDT_NONE) {
    if (!(StyleOf(hwnd) & DTS_SHOWNONE)) return FALSE;
    state.none = true;
  } else {
    if (static_cast<LRESULT>(flag) != GDT_VALID || !time || !ValidDate(*time) || time->wHour > 23 ||
        time->wMinute > 59 || time->wSecond > 59 || time->wMilliseconds > 999)
      return FALSE;
    // A value that shows as before (a clock followed twice a second) is kept without a redraw.
    bool shownAsBefore = !state.none && SameTime(state.time, *time);
    state.time = *time;
    state.time.wDayOfWeek = static_cast<WORD>(DayOfWeek(time->wYear, time->wMonth, time->wDay));
    state.none = false;
    if (shownAsBefore) return TRUE;
  }
  state.typedDigits = 0;
  Invalidate(hwnd);
  return TRUE;
}

LRESULT OnSetFormat(HWND hwnd, PickerState& state, LPCWSTR format) {
  UseFormat(state, format ? std::u16string(kernel::WideView(format)) : DefaultFormat(StyleOf(hwnd)));
  Invalidate(hwnd);
  return TRUE;
}

// The window text is the shown text.
LRESULT OnGetText(PickerState& state, std::size_t size, LPWSTR buffer) {
  if (!buffer || size == 0) return 0;
  std::u16string text = TextOf(state);
  std::size_t count = std::min(text.size(), size - 1);
  std::copy_n(text.begin(), count, buffer);
  buffer[count] = u'\0';
  return static_cast<LRESULT>(count);
}

LRESULT OnEnable(HWND hwnd, PickerState& state, bool enabled) {
  if (HWND upDown = state.upDown; upDown && IsWindow(upDown)) EnableWindow(upDown, enabled);
  Invalidate(hwnd);
  return 0;
}

LRESULT PickerProc(HWND hwnd, PickerState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      GetLocalTime(&state.time);
      UseFormat(state, DefaultFormat(StyleOf(hwnd)));
      return OnCreate(hwnd, state, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { Draw(window, state, dc); });
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills the whole control
    case WM_SIZE: return OnSize(hwnd, state, LOWORD(static_cast<ULONG_PTR>(lParam)), HIWORD(static_cast<ULONG_PTR>(lParam)));
    case WM_KEYDOWN: return OnKeyDown(hwnd, state, wParam);
    case WM_CHAR: return OnChar(hwnd, state, static_cast<WCHAR>(wParam));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnButtonDown(hwnd, state, PointOf(lParam));
    case WM_NOTIFY: return OnNotify(hwnd, state, reinterpret_cast<const NMHDR*>(lParam));
    case WM_VSCROLL: return 0;  // the up-down's steps arrive as UDN_DELTAPOS
    case WM_SETFOCUS: return OnFocus(hwnd, state, true);
    case WM_KILLFOCUS: return OnFocus(hwnd, state, false);
    case WM_ENABLE: return OnEnable(hwnd, state, wParam != 0);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_GETTEXT: return OnGetText(state, static_cast<std::size_t>(wParam), reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(TextOf(state).size());
    case WM_SETFONT:
      state.font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<ULONG_PTR>(lParam))) Invalidate(hwnd);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case DTM_GETSYSTEMTIME: return OnGetSystemTime(state, reinterpret_cast<SYSTEMTIME*>(lParam));
    case DTM_SETSYSTEMTIME: return OnSetSystemTime(hwnd, state, wParam, reinterpret_cast<const SYSTEMTIME*>(lParam));
    case DTM_SETFORMATW: return OnSetFormat(hwnd, state, reinterpret_cast<LPCWSTR>(lParam));
    case DTM_GETMONTHCAL: return 0;  // no drop-down calendar is ever open
    case WM_NCDESTROY: return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterDateTimePickerClass() {
  RegisterUpDownClass();
  RegisterControlClass(kDateTimePickerClassName, ControlProc<PickerState, PickerProc>);
}

}  // namespace gwes
