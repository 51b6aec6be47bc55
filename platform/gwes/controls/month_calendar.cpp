#include "platform/gwes/controls/month_calendar.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "platform/gwes/controls/measure_dc.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"

namespace gwes {
namespace {

constexpr int kColumns = 7;
constexpr int kRows = 6;
constexpr int kDefaultFirstDay = 6;  // Sunday, in the calendar's numbering where 0 is Monday
constexpr COLORREF kTodayMark = RGB(255, 0, 0);

// A calendar's state, owned by its window (see ControlState).
struct CalendarState {
  SYSTEMTIME selected{};  // the date only; time fields are zero
  int shownYear = 0;
  int shownMonth = 0;
  std::optional<SYSTEMTIME> today;  // set by MCM_SETTODAY; otherwise the clock's date
  int firstDay = kDefaultFirstDay;
  int monthDelta = 0;  // 0: one month per arrow
  std::array<COLORREF, 6> colours{};
  // The stock DEFAULT_GUI_FONT until WM_SETFONT gives another.
  HFONT font = nullptr;
  bool tracking = false;  // the stylus went down on a day and is still down
};

SYSTEMTIME DateOnly(SYSTEMTIME time) {
  SYSTEMTIME date{};
  date.wYear = time.wYear;
  date.wMonth = time.wMonth;
  date.wDay = time.wDay;
  date.wDayOfWeek = static_cast<WORD>(DayOfWeek(time.wYear, time.wMonth, time.wDay));
  return date;
}

bool SameDate(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

// A new calendar shows today's month with today selected, in the system colours.
void InitState(CalendarState& state) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  state.selected = DateOnly(now);
  state.shownYear = now.wYear;
  state.shownMonth = now.wMonth;
  state.colours = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_ACTIVECAPTION),
                   GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW),     GetSysColor(COLOR_GRAYTEXT)};
}

SYSTEMTIME Today(const CalendarState& state) {
  if (state.today) return *state.today;
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DateOnly(now);
}

std::u16string TodayText(const SYSTEMTIME& date) { return u"Today: " + FormatDateTime(u"M/d/yyyy", date); }

// Where everything goes, from the font's measures; the calendar is drawn at its minimum size from
// the top-left corner of its client area.
struct Layout {
  int cellWidth = 0;
  int cellHeight = 0;
  RECT title{}, previous{}, next{}, header{}, grid{}, today{}, none{};
  SIZE minimum{};
};

Layout LayoutOf(HWND hwnd, const CalendarState& state) {
  MeasureDc measure(state.font);
  int line = measure.LineHeight();
  Layout layout;
  layout.cellWidth = std::max(measure.Width(u"00"), measure.Width(u"W")) + 8;
  layout.cellHeight = line + 2;
  int width = kColumns * layout.cellWidth;
  bool showToday = !(StyleOf(hwnd) & MCS_NOTODAY);
  bool showNone = StyleOf(hwnd) & MCS_SHOWNONE;
  int todayWidth = showToday ? measure.Width(TodayText(SYSTEMTIME{2000, 12, 0, 28})) + 24 : 0;
  int noneWidth = showNone ? measure.Width(u"None") + 8 : 0;
  width = std::max(width, todayWidth + noneWidth);
  int titleHeight = line + 6;
  layout.title = RECT{1, 1, 1 + width, 1 + titleHeight};
  int button = titleHeight - 4;
  layout.previous = RECT{layout.title.left + 2, layout.title.top + 2, layout.title.left + 2 + button, layout.title.bottom - 2};
  layout.next = RECT{layout.title.right - 2 - button, layout.title.top + 2, layout.title.right - 2, layout.title.bottom - 2};
  int gridLeft = 1 + (width - kColumns * layout.cellWidth) / 2;
  layout.header = RECT{gridLeft, layout.title.bottom + 2, gridLeft + kColumns * layout.cellWidth,
                       layout.title.bottom + 2 + layout.cellHeight};
  layout.grid = RECT{gridLeft, layout.header.bottom + 2, layout.header.right, layout.header.bottom + 2 + kRows * layout.cellHeight};
  int bottom = layout.grid.bottom;
  if (showToday || showNone) {
    layout.today = RECT{1, bottom + 2, 1 + width - noneWidth, bottom + 2 + layout.cellHeight};
    if (showNone) layout.none = RECT{layout.today.right, layout.today.top, 1 + width, layout.today.bottom};
    bottom = layout.today.bottom;
  }
  layout.minimum = SIZE{width + 2, bottom + 3};
  return layout;
}

// The date in the grid's first cell: the shown month's first day, or the last days of the month
// before that fill the first row up to it.
SYSTEMTIME FirstShownDate(const CalendarState& state) {
  SYSTEMTIME first{};
  first.wYear = static_cast<WORD>(state.shownYear);
  first.wMonth = static_cast<WORD>(state.shownMonth);
  first.wDay = 1;
  int firstColumnWeekDay = (state.firstDay + 1) % 7;
  int lead = (DayOfWeek(state.shownYear, state.shownMonth, 1) - firstColumnWeekDay + 7) % 7;
  return AddDays(DateOnly(first), -lead);
}

RECT CellRect(const Layout& layout, int index) {
  int left = layout.grid.left + (index % kColumns) * layout.cellWidth;
  int top = layout.grid.top + (index / kColumns) * layout.cellHeight;
  return RECT{left, top, left + layout.cellWidth, top + layout.cellHeight};
}

struct Hit {
  UINT code = MCHT_NOWHERE;
  SYSTEMTIME date{};
};

Hit HitTest(HWND hwnd, const CalendarState& state, POINT point) {
  Layout layout = LayoutOf(hwnd, state);
  RECT client;
  GetClientRect(hwnd, &client);
  Hit hit;
  if (!PtInRect(&client, point)) return hit;
  if (PtInRect(&layout.previous, point)) hit.code = MCHT_TITLEBTNPREV;
  else if (PtInRect(&layout.next, point)) hit.code = MCHT_TITLEBTNNEXT;
  else if (PtInRect(&layout.title, point)) hit.code = MCHT_TITLEBK;
  else if (PtInRect(&layout.header, point)) hit.code = MCHT_CALENDARDAY;
  else if (PtInRect(&layout.grid, point)) {
    int index = (point.y - layout.grid.top) / layout.cellHeight * kColumns + (point.x - layout.grid.left) / layout.cellWidth;
    hit.date = AddDays(FirstShownDate(state), index);
    hit.code = MCHT_CALENDARDATE;
    if (hit.date.wMonth != state.shownMonth)
      hit.code |= (hit.date.wYear * 12 + hit.date.wMonth < state.shownYear * 12 + state.shownMonth) ? MCHT_PREV : MCHT_NEXT;
  } else if (PtInRect(&layout.none, point)) hit.code = MCHT_NONELINK;
  else if (PtInRect(&layout.today, point)) hit.code = MCHT_TODAYLINK;
  else hit.code = MCHT_CALENDARBK;
  return hit;
}

// A title arrow: a triangle pointing left (previous) or right (next).
void DrawTitleArrow(HDC dc, const RECT& box, bool pointsRight, HBRUSH brush) {
  int size = std::max<LONG>(2, RectHeight(box) / 2);
  int cx = (box.left + box.right) / 2;
  int cy = (box.top + box.bottom) / 2;
  for (int column = 0; column < size / 2 + 1; ++column) {
    int half = pointsRight ? size / 2 - column : column;
    int x = cx - size / 4 + column;
    RECT line{x, cy - half, x + 1, cy + half + 1};
    FillRect(dc, &line, brush);
  }
}

void DrawLabel(HDC dc, const std::u16string& text, RECT box, COLORREF colour, UINT format) {
  SetTextColor(dc, colour);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void Paint(HWND hwnd, CalendarState& state, HDC dc) {
  Layout layout = LayoutOf(hwnd, state);
  const auto& colours = state.colours;
  RECT client;
  GetClientRect(hwnd, &client);
  HBRUSH background = CreateSolidBrush(colours[MCSC_BACKGROUND]);
  HBRUSH monthBackground = CreateSolidBrush(colours[MCSC_MONTHBK]);
  HBRUSH titleBackground = CreateSolidBrush(colours[MCSC_TITLEBK]);
  HBRUSH titleText = CreateSolidBrush(colours[MCSC_TITLETEXT]);
  HBRUSH todayMark = CreateSolidBrush(kTodayMark);
  FillRect(dc, &client, background);
  RECT month{0, 0, layout.minimum.cx, layout.minimum.cy};
  FillRect(dc, &month, monthBackground);
  FrameRect(dc, &month, GetSysColorBrush(COLOR_WINDOWFRAME));
  SetBkMode(dc, TRANSPARENT);

  // Title: month and year between the arrows.
  FillRect(dc, &layout.title, titleBackground);
  DrawTitleArrow(dc, layout.previous, false, titleText);
  DrawTitleArrow(dc, layout.next, true, titleText);
  std::u16string title = MonthName(state.shownMonth) + u" " + FormatDateTime(u"yyyy", SYSTEMTIME{static_cast<WORD>(state.shownYear), 1, 0, 1});
  DrawLabel(dc, title, layout.title, colours[MCSC_TITLETEXT], DT_CENTER);

  // Weekday initials, first day of the week first, over a separating line.
  for (int column = 0; column < kColumns; ++column) {
    int weekDay = (state.firstDay + 1 + column) % 7;
    RECT cell{layout.header.left + column * layout.cellWidth, layout.header.top,
              layout.header.left + (column + 1) * layout.cellWidth, layout.header.bottom};
    DrawLabel(dc, WeekDayName(weekDay).substr(0, 1), cell, colours[MCSC_TITLEBK], DT_CENTER);
  }
  RECT rule{layout.header.left, layout.header.bottom, layout.header.right, layout.header.bottom + 1};
  FillRect(dc, &rule, GetSysColorBrush(COLOR_GRAYTEXT));

  // The days: the selected one filled, today framed, the neighbouring months' days trailing.
  SYSTEMTIME today = Today(state);
  SYSTEMTIME date = FirstShownDate(state);
  for (int index = 0; index < kColumns * kRows; ++index, date = AddDays(date, 1)) {
    RECT cell = CellRect(layout, index);
    bool selected = SameDate(date, state.selected);
    if (selected) FillRect(dc, &cell, titleBackground);
    if (SameDate(date, today) && !(StyleOf(hwnd) & MCS_NOTODAYCIRCLE)) FrameRect(dc, &cell, todayMark);
    COLORREF colour = selected ? colours[MCSC_TITLETEXT]
                      : date.wMonth == state.shownMonth ? colours[MCSC_TEXT] : colours[MCSC_TRAILINGTEXT];
    DrawLabel(dc, FormatDateTime(u"d", date), cell, colour, DT_CENTER);
  }

  if (!(StyleOf(hwnd) & MCS_NOTODAY)) {
    RECT mark{layout.today.left + 4, layout.today.top + 3, layout.today.left + 16, layout.today.bottom - 3};
    FrameRect(dc, &mark, todayMark);
    RECT text = layout.today;
    text.left = mark.right + 4;
    DrawLabel(dc, TodayText(today), text, colours[MCSC_TEXT], DT_LEFT);
  }
  if (StyleOf(hwnd) & MCS_SHOWNONE) DrawLabel(dc, u"None", layout.none, colours[MCSC_TEXT], DT_CENTER);
  for (HBRUSH brush : {background, monthBackground, titleBackground, titleText, todayMark}) DeleteObject(brush);
}

void Draw(HWND hwnd, CalendarState& state, HDC dc) {
  HFONT font = state.font;
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  Paint(hwnd, state, dc);
  if (oldFont) SelectObject(dc, oldFont);
}

void Notify(HWND hwnd, CalendarState& state, UINT code) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  NMSELCHANGE note{};
  note.nmhdr.hwndFrom = hwnd;
  note.nmhdr.idFrom = static_cast<ULONG_PTR>(GetDlgCtrlID(hwnd));
  note.nmhdr.code = code;
  note.stSelStart = note.stSelEnd = state.selected;
  SendMessageW(parent, WM_NOTIFY, note.nmhdr.idFrom, reinterpret_cast<LPARAM>(&note));
}

// Selects a date by the user's hand and brings its month into view; MCN_SELCHANGE when it differs.
void UserSelect(HWND hwnd, CalendarState& state, const SYSTEMTIME& date) {
  bool changed = !SameDate(state.selected, date);
  state.selected = DateOnly(date);
  state.shownYear = date.wYear;
  state.shownMonth = date.wMonth;
  Invalidate(hwnd);
  if (changed) Notify(hwnd, state, MCN_SELCHANGE);
}

// The title's arrows and Page Up/Down: the view and the selection move by whole months.
void ShowMonths(HWND hwnd, CalendarState& state, int months) {
  UserSelect(hwnd, state, AddMonths(state.selected, months));
}

int MonthStep(const CalendarState& state) { return state.monthDelta > 0 ? state.monthDelta : 1; }

LRESULT OnButtonDown(HWND hwnd, CalendarState& state, POINT point) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!IsWindow(hwnd)) return 0;
  Hit hit = HitTest(hwnd, state, point);
  if (hit.code == MCHT_TITLEBTNPREV || hit.code == MCHT_TITLEBTNNEXT) {
    ShowMonths(hwnd, state, hit.code == MCHT_TITLEBTNPREV ? -MonthStep(state) : MonthStep(state));
  } else if ((hit.code & ~(MCHT_PREV | MCHT_NEXT)) == MCHT_CALENDARDATE) {
    state.tracking = true;
    SetCapture(hwnd);
    UserSelect(hwnd, state, hit.date);
  } else if (hit.code == MCHT_TODAYLINK && !(StyleOf(hwnd) & MCS_NOTODAY)) {
    UserSelect(hwnd, state, Today(state));
    if (IsWindow(hwnd)) Notify(hwnd, state, MCN_SELECT);
  } else if (hit.code == MCHT_NONELINK) {
    Notify(hwnd, state, MCN_SELECTNONE);
  }
  return 0;
}

bool OnShownDay(HWND hwnd, const CalendarState& state, POINT point, SYSTEMTIME* date) {
  Hit hit = HitTest(hwnd, state, point);
  if (hit.code != MCHT_CALENDARDATE) return false;
  *date = hit.date;
  return true;
}

// Dragging over the shown month's days moves the selection along.
LRESULT OnMouseMove(HWND hwnd, CalendarState& state, POINT point) {
  SYSTEMTIME date;
  if (state.tracking && OnShownDay(hwnd, state, point, &date) && !SameDate(date, state.selected))
    UserSelect(hwnd, state, date);
  return 0;
}

LRESULT OnButtonUp(HWND hwnd, CalendarState& state, POINT point) {
  if (!state.tracking) return 0;
  state.tracking = false;
  if (GetCapture() == hwnd) ReleaseCapture();
  SYSTEMTIME date;
  if (IsWindow(hwnd) && OnShownDay(hwnd, state, point, &date)) Notify(hwnd, state, MCN_SELECT);
  return 0;
}

LRESULT OnKeyDown(HWND hwnd, CalendarState& state, WPARAM vk) {
  const SYSTEMTIME& selected = state.selected;
  switch (vk) {
    case VK_LEFT: UserSelect(hwnd, state, AddDays(selected, -1)); break;
    case VK_RIGHT: UserSelect(hwnd, state, AddDays(selected, 1)); break;
    case VK_UP: UserSelect(hwnd, state, AddDays(selected, -7)); break;
    case VK_DOWN: UserSelect(hwnd, state, AddDays(selected, 7)); break;
    case VK_PRIOR: ShowMonths(hwnd, state, -MonthStep(state)); break;
    case VK_NEXT: ShowMonths(hwnd, state, MonthStep(state)); break;
    case VK_HOME: UserSelect(hwnd, state, AddDays(selected, 1 - selected.wDay)); break;
    case VK_END: UserSelect(hwnd, state, AddDays(selected, DaysInMonth(selected.wYear, selected.wMonth) - selected.wDay)); break;
    default: break;
  }
  return 0;
}

LRESULT OnGetCurSel(HWND hwnd, CalendarState& state, SYSTEMTIME* date) {
  if (!date || (StyleOf(hwnd) & MCS_MULTISELECT)) return FALSE;
  *date = state.selected;
  return TRUE;
}

// Sets the selection and shows its month without telling the parent; the time fields are ignored.
LRESULT OnSetCurSel(HWND hwnd, CalendarState& state, const SYSTEMTIME* date) {
  if (!date || (StyleOf(hwnd) & MCS_MULTISELECT) || !ValidDate(*date)) return FALSE;
  state.selected = DateOnly(*date);
  state.shownYear = date->wYear;
  state.shownMonth = date->wMonth;
  Invalidate(hwnd);
  return TRUE;
}

LRESULT OnGetMinReqRect(HWND hwnd, CalendarState& state, RECT* rect) {
  if (!rect) return FALSE;
  SIZE size = LayoutOf(hwnd, state).minimum;
  *rect = RECT{0, 0, size.cx, size.cy};
  return TRUE;
}

LRESULT OnSetColour(HWND hwnd, CalendarState& state, WPARAM part, COLORREF colour) {
  if (part >= 6) return static_cast<LRESULT>(static_cast<LONG>(-1));
  COLORREF previous = state.colours[part];
  state.colours[part] = colour;
  Invalidate(hwnd);
  return previous;
}

LRESULT OnSetToday(HWND hwnd, CalendarState& state, const SYSTEMTIME* date) {
  if (date && ValidDate(*date)) state.today = DateOnly(*date);
  else if (!date) state.today.reset();
  Invalidate(hwnd);
  return 0;
}

LRESULT OnHitTest(HWND hwnd, CalendarState& state, MCHITTESTINFO* info) {
  if (!info) return static_cast<LRESULT>(static_cast<LONG>(-1));
  Hit hit = HitTest(hwnd, state, info->pt);
  info->uHit = hit.code;
  if (hit.code & MCHT_CALENDAR) info->st = hit.date;
  return hit.code;
}

// The first day of the week (0 Monday ... 6 Sunday) in the low word, and in the high word whether it
// differs from the locale's.
LRESULT FirstDayAnswer(const CalendarState& state) {
  return MAKELPARAM(static_cast<WORD>(state.firstDay), state.firstDay != kDefaultFirstDay ? 1 : 0);
}

LRESULT OnSetFirstDay(HWND hwnd, CalendarState& state, LPARAM day) {
  LRESULT previous = FirstDayAnswer(state);
  state.firstDay = day >= 0 && day <= 6 ? static_cast<int>(day) : kDefaultFirstDay;
  Invalidate(hwnd);
  return previous;
}

LRESULT CalendarProc(HWND hwnd, CalendarState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { Draw(window, state, dc); });
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills the whole control
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnButtonDown(hwnd, state, PointOf(lParam));
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, state, PointOf(lParam));
    case WM_LBUTTONUP: return OnButtonUp(hwnd, state, PointOf(lParam));
    case WM_CAPTURECHANGED: state.tracking = false; return 0;
    case WM_KEYDOWN: return OnKeyDown(hwnd, state, wParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SIZE:
    case WM_ENABLE: Invalidate(hwnd); return 0;
    case WM_SETFONT:
      state.font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<ULONG_PTR>(lParam))) Invalidate(hwnd);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case MCM_GETCURSEL: return OnGetCurSel(hwnd, state, reinterpret_cast<SYSTEMTIME*>(lParam));
    case MCM_SETCURSEL: return OnSetCurSel(hwnd, state, reinterpret_cast<const SYSTEMTIME*>(lParam));
    case MCM_GETMINREQRECT: return OnGetMinReqRect(hwnd, state, reinterpret_cast<RECT*>(lParam));
    case MCM_SETCOLOR: return OnSetColour(hwnd, state, wParam, static_cast<COLORREF>(lParam));
    case MCM_GETCOLOR:
      return wParam < 6 ? state.colours[wParam] : static_cast<LRESULT>(static_cast<LONG>(-1));
    case MCM_SETTODAY: return OnSetToday(hwnd, state, reinterpret_cast<const SYSTEMTIME*>(lParam));
    case MCM_GETTODAY:
      if (!lParam) return FALSE;
      *reinterpret_cast<SYSTEMTIME*>(lParam) = Today(state);
      return TRUE;
    case MCM_HITTEST: return OnHitTest(hwnd, state, reinterpret_cast<MCHITTESTINFO*>(lParam));
    case MCM_SETFIRSTDAYOFWEEK: return OnSetFirstDay(hwnd, state, lParam);
    case MCM_GETFIRSTDAYOFWEEK: return FirstDayAnswer(state);
    case MCM_GETMONTHDELTA: return MonthStep(state);
    case MCM_SETMONTHDELTA: {
      int previous = state.monthDelta;
      state.monthDelta = std::max(0, static_cast<int>(wParam));
      return previous;
    }
    case MCM_GETMAXTODAYWIDTH:
      return MeasureDc(state.font).Width(TodayText(SYSTEMTIME{2000, 12, 0, 28}));
    case WM_CREATE:
      InitState(state);
      state.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
      return 0;
    case WM_NCDESTROY: return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterMonthCalendarClass() { RegisterControlClass(kMonthCalendarClassName, ControlProc<CalendarState, CalendarProc>); }

}  // namespace gwes
