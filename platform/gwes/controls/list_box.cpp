#include "platform/gwes/controls/list_box.h"

#include <algorithm>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/kernel/wide_string.h"

namespace gwes {
namespace {

constexpr int kScrollBarWidth = 8;
constexpr int kTextIndent = 2;

struct ListItem {
  std::u16string text;
  ULONG_PTR data = 0;
};

// A list box's state, owned by its window (see ControlState).
struct ListBoxState {
  std::vector<ListItem> items;
  int selection = -1;
  int top = 0;
  int itemHeight = 0;  // 0: the font's line height
  HFONT font = nullptr;
  bool focused = false;
  bool tracking = false;  // the stylus went down on the list and has not come up
};

int Count(const ListBoxState& state) { return static_cast<int>(state.items.size()); }
bool Valid(const ListBoxState& state, WPARAM index) { return index < state.items.size(); }

int ItemHeight(const ListBoxState& state) {
  if (state.itemHeight > 0) return state.itemHeight;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 16;
  if (state.font) SelectObject(dc, state.font);
  TEXTMETRICW metrics{};
  int height = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 16;
  DeleteDC(dc);
  return std::max(1, height);
}

bool HasScrollBar(HWND hwnd) { return StyleOf(hwnd) & WS_VSCROLL; }

// Where the rows go: the client area inside the border, less the scroll bar.
RECT RowArea(HWND hwnd) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  if (StyleOf(hwnd) & WS_BORDER) InflateRect(&rect, -1, -1);
  if (HasScrollBar(hwnd)) rect.right = std::max(rect.left, rect.right - kScrollBarWidth);
  return rect;
}

// Whole rows that fit, at least one.
int PageSize(HWND hwnd, const ListBoxState& state) {
  RECT area = RowArea(hwnd);
  return std::max(1, static_cast<int>(area.bottom - area.top) / ItemHeight(state));
}

int MaxTop(HWND hwnd, const ListBoxState& state) { return std::max(0, Count(state) - PageSize(hwnd, state)); }

void Redraw(HWND hwnd) {
  if (!(StyleOf(hwnd) & LBS_NOREDRAW)) InvalidateRect(hwnd, nullptr, TRUE);
}

void Notify(HWND hwnd, WORD code) {
  if (code == LBN_SETFOCUS || code == LBN_KILLFOCUS || (StyleOf(hwnd) & LBS_NOTIFY)) NotifyParent(hwnd, code);
}

void ScrollIntoView(HWND hwnd, ListBoxState& state, int index) {
  if (index < 0) return;
  int page = PageSize(hwnd, state);
  if (index < state.top) state.top = index;
  if (index >= state.top + page) state.top = index - page + 1;
  state.top = std::clamp(state.top, 0, MaxTop(hwnd, state));
}

// Selects `index` (-1: nothing) and keeps it in view; true when the selection changed.
bool Select(HWND hwnd, ListBoxState& state, int index) {
  bool changed = state.selection != index;
  state.selection = index;
  ScrollIntoView(hwnd, state, index);
  Redraw(hwnd);
  return changed;
}

// Case-insensitive order, as the sorted style keeps its texts.
int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = kernel::FoldChar(a[i]);
    char16_t y = kernel::FoldChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Inserts at `index` (the end for -1); returns the index or an error. A null text counts as empty.
LRESULT Insert(HWND hwnd, ListBoxState& state, LONG_PTR index, LPCWSTR text) {
  if (index < -1 || index > Count(state)) return LB_ERR;
  std::size_t at = index == -1 ? state.items.size() : static_cast<std::size_t>(index);
  try {
    state.items.insert(state.items.begin() + static_cast<std::ptrdiff_t>(at),
                       ListItem{std::u16string(kernel::WideView(text)), 0});
  } catch (const std::bad_alloc&) {
    Notify(hwnd, LBN_ERRSPACE);
    return LB_ERRSPACE;
  }
  if (state.selection >= static_cast<int>(at)) ++state.selection;
  Redraw(hwnd);
  return static_cast<LRESULT>(at);
}

// A sorted list puts the new text after the texts that are equal to it, so equal texts keep the
// order in which they came.
LRESULT OnAddString(HWND hwnd, ListBoxState& state, LPCWSTR text) {
  if (!(StyleOf(hwnd) & LBS_SORT)) return Insert(hwnd, state, -1, text);
  std::u16string_view added = kernel::WideView(text);
  auto place = std::upper_bound(state.items.begin(), state.items.end(), added,
                                [](std::u16string_view value, const ListItem& item) {
                                  return CompareNoCase(value, item.text) < 0;
                                });
  return Insert(hwnd, state, place - state.items.begin(), text);
}

LRESULT OnDeleteString(HWND hwnd, ListBoxState& state, WPARAM index) {
  if (!Valid(state, index)) return LB_ERR;
  int removed = static_cast<int>(index);
  state.items.erase(state.items.begin() + removed);
  if (state.selection == removed) state.selection = -1;
  else if (state.selection > removed) --state.selection;
  state.top = std::clamp(state.top, 0, MaxTop(hwnd, state));
  Redraw(hwnd);
  return Count(state);
}

LRESULT OnResetContent(HWND hwnd, ListBoxState& state) {
  state.items.clear();
  state.selection = -1;
  state.top = 0;
  Redraw(hwnd);
  return 0;
}

// -1 clears the selection and, as in Win32, still answers LB_ERR; a bad index changes nothing.
LRESULT OnSetCurSel(HWND hwnd, ListBoxState& state, WPARAM index) {
  if (static_cast<LONG_PTR>(index) == -1) {
    Select(hwnd, state, -1);
    return LB_ERR;
  }
  if (!Valid(state, index)) return LB_ERR;
  Select(hwnd, state, static_cast<int>(index));
  return static_cast<LRESULT>(index);
}

LRESULT OnGetText(ListBoxState& state, WPARAM index, LPWSTR buffer) {
  if (!Valid(state, index) || !buffer) return LB_ERR;
  const std::u16string& text = state.items[index].text;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = u'\0';
  return static_cast<LRESULT>(text.size());
}

// The first text after `start` (-1 or past the end: from the first) that matches, wrapping round
// to `start` itself.
LRESULT Find(ListBoxState& state, WPARAM start, LPCWSTR text, bool exact) {
  int count = Count(state);
  if (count == 0) return LB_ERR;
  int from = Valid(state, start) ? static_cast<int>(start) : -1;
  std::u16string_view wanted = kernel::WideView(text);
  for (int step = 1; step <= count; ++step) {
    int index = (from + step) % count;
    std::u16string_view candidate = state.items[static_cast<std::size_t>(index)].text;
    if (!exact) candidate = candidate.substr(0, std::min(candidate.size(), wanted.size()));
    if (candidate.size() == wanted.size() && CompareNoCase(candidate, wanted) == 0) return index;
  }
  return LB_ERR;
}

LRESULT OnSetTopIndex(HWND hwnd, ListBoxState& state, WPARAM index) {
  if (!Valid(state, index) && !(index == 0 && state.items.empty())) return LB_ERR;
  state.top = std::clamp(static_cast<int>(index), 0, MaxTop(hwnd, state));
  Redraw(hwnd);
  return LB_OKAY;
}

LRESULT OnGetItemRect(HWND hwnd, ListBoxState& state, WPARAM index, RECT* rect) {
  if (!Valid(state, index) || !rect) return LB_ERR;
  RECT area = RowArea(hwnd);
  int height = ItemHeight(state);
  int y = area.top + (static_cast<int>(index) - state.top) * height;
  *rect = RECT{area.left, y, area.right, y + height};
  return LB_OKAY;
}

// The row under a client point: its index in the low word, 1 in the high word when the point is
// outside the rows (the index is then the nearest row).
LRESULT OnItemFromPoint(HWND hwnd, ListBoxState& state, POINT point) {
  RECT area = RowArea(hwnd);
  int height = ItemHeight(state);
  int row = point.y < area.top ? -1 : static_cast<int>(point.y - area.top) / height;
  int index = state.top + row;
  bool outside = point.x < area.left || point.x >= area.right || point.y < area.top || point.y >= area.bottom ||
                 index >= Count(state);
  index = std::clamp(index, 0, std::max(0, Count(state) - 1));
  return MAKELPARAM(static_cast<WORD>(index), outside ? 1 : 0);
}

void DrawScrollBar(HWND hwnd, const ListBoxState& state, HDC dc) {
  RECT area = RowArea(hwnd);
  RECT bar{area.right, area.top, area.right + kScrollBarWidth, area.bottom};
  FillRect(dc, &bar, GetSysColorBrush(COLOR_SCROLLBAR));
  int count = Count(state);
  int page = PageSize(hwnd, state);
  if (count <= page) return;
  int track = bar.bottom - bar.top;
  int thumb = std::max(4, track * page / count);
  int y = bar.top + (track - thumb) * state.top / std::max(1, MaxTop(hwnd, state));
  RECT box{bar.left + 1, y, bar.right - 1, y + thumb};
  FillRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
}

void Draw(HWND hwnd, ListBoxState& state, HDC dc) {
  HGDIOBJ oldFont = state.font ? SelectObject(dc, state.font) : nullptr;
  bool enabled = IsWindowEnabled(hwnd);
  SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  HBRUSH brush = nullptr;
  if (HWND parent = GetParent(hwnd); parent && (StyleOf(hwnd) & WS_CHILD))
    brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                                                  reinterpret_cast<LPARAM>(hwnd)));
  if (IsWindow(hwnd)) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_WINDOW));
    if (StyleOf(hwnd) & WS_BORDER) FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    RECT area = RowArea(hwnd);
    int height = ItemHeight(state);
    COLORREF textColour = GetTextColor(dc);
    SetBkMode(dc, TRANSPARENT);
    for (int index = state.top; index < Count(state); ++index) {
      RECT row{area.left, area.top + (index - state.top) * height, area.right, 0};
      if (row.top >= area.bottom) break;
      row.bottom = row.top + height;
      bool selected = index == state.selection;
      if (selected) FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
      SetTextColor(dc, selected && enabled ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColour);
      const std::u16string& text = state.items[static_cast<std::size_t>(index)].text;
      RECT clip = Intersection(row, area);
      ExtTextOutW(dc, row.left + kTextIndent, row.top, ETO_CLIPPED, &clip, text.c_str(),
                  static_cast<UINT>(text.size()), nullptr);
    }
    if (HasScrollBar(hwnd)) DrawScrollBar(hwnd, state, dc);
  }
  if (oldFont) SelectObject(dc, oldFont);
}

// A user's move of the selection: LBN_SELCHANGE only when it changed.
void UserSelect(HWND hwnd, ListBoxState& state, int index) {
  if (Select(hwnd, state, index)) Notify(hwnd, LBN_SELCHANGE);
}

LRESULT OnKeyDown(HWND hwnd, ListBoxState& state, WPARAM vk) {
  int count = Count(state);
  if (count == 0) return 0;
  int page = PageSize(hwnd, state);
  int current = state.selection;
  int target;
  switch (vk) {
    case VK_UP:
    case VK_LEFT: target = current < 0 ? 0 : current - 1; break;
    case VK_DOWN:
    case VK_RIGHT: target = current < 0 ? 0 : current + 1; break;
    case VK_PRIOR: target = current < 0 ? 0 : current - (page - 1 > 0 ? page - 1 : 1); break;
    case VK_NEXT: target = current < 0 ? 0 : current + (page - 1 > 0 ? page - 1 : 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    default: return 0;
  }
  UserSelect(hwnd, state, std::clamp(target, 0, count - 1));
  return 0;
}

// A typed character selects the next text that starts with it.
LRESULT OnChar(HWND hwnd, ListBoxState& state, WCHAR ch) {
  if (ch < 0x20) return 0;
  WCHAR prefix[2] = {ch, 0};
  LRESULT found = Find(state, static_cast<WPARAM>(static_cast<LONG_PTR>(state.selection)), prefix, false);
  if (found != LB_ERR) UserSelect(hwnd, state, static_cast<int>(found));
  return 0;
}

// The stylus selects the row under it; above or below the rows it selects the row just out of
// view, so dragging past an edge scrolls. Below the last row the selection stays.
void TrackPoint(HWND hwnd, ListBoxState& state, POINT point) {
  if (state.items.empty()) return;
  RECT area = RowArea(hwnd);
  int index;
  if (point.y < area.top) {
    index = std::max(0, state.top - 1);
  } else if (point.y >= area.bottom) {
    index = std::min(Count(state) - 1, state.top + PageSize(hwnd, state));
  } else {
    index = state.top + static_cast<int>(point.y - area.top) / ItemHeight(state);
    if (index >= Count(state)) return;
  }
  Select(hwnd, state, index);
}

LRESULT OnButtonDown(HWND hwnd, ListBoxState& state, POINT point) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!IsWindow(hwnd)) return 0;
  // A press on the scroll bar scrolls to the matching place.
  RECT area = RowArea(hwnd);
  if (HasScrollBar(hwnd) && point.x >= area.right) {
    int track = std::max(1, static_cast<int>(area.bottom - area.top));
    state.top = std::clamp((static_cast<int>(point.y - area.top) * Count(state)) / track - PageSize(hwnd, state) / 2,
                           0, MaxTop(hwnd, state));
    Redraw(hwnd);
    return 0;
  }
  state.tracking = true;
  SetCapture(hwnd);
  TrackPoint(hwnd, state, point);
  return 0;
}

LRESULT OnMouseMove(HWND hwnd, ListBoxState& state, POINT point) {
  if (state.tracking) TrackPoint(hwnd, state, point);
  return 0;
}

// The end of a press (the stylus lifted, or the focus lost while it was down) lets the capture go
// and tells the parent, as Win32 does, even when the row was already selected.
void EndPress(HWND hwnd, ListBoxState& state) {
  if (!state.tracking) return;
  state.tracking = false;
  if (GetCapture() == hwnd) ReleaseCapture();
  if (IsWindow(hwnd) && !state.items.empty()) Notify(hwnd, LBN_SELCHANGE);
}

LRESULT OnButtonUp(HWND hwnd, ListBoxState& state) {
  EndPress(hwnd, state);
  return 0;
}

LRESULT OnDoubleTap(HWND hwnd, ListBoxState& state, POINT point) {
  LRESULT hit = OnItemFromPoint(hwnd, state, point);
  if (!HIWORD(static_cast<ULONG_PTR>(hit))) Notify(hwnd, LBN_DBLCLK);
  return 0;
}

LRESULT OnFocus(HWND hwnd, ListBoxState& state, bool gained) {
  if (!gained) EndPress(hwnd, state);
  if (!IsWindow(hwnd)) return 0;
  state.focused = gained;
  Redraw(hwnd);
  Notify(hwnd, gained ? LBN_SETFOCUS : LBN_KILLFOCUS);
  return 0;
}

LRESULT OnSetFont(HWND hwnd, ListBoxState& state, HFONT font, bool redraw) {
  state.font = font;
  state.top = std::clamp(state.top, 0, MaxTop(hwnd, state));
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 0;
}

LRESULT Dispatch(HWND hwnd, ListBoxState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { Draw(window, state, dc); });
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills the whole control
    case WM_KEYDOWN: return OnKeyDown(hwnd, state, wParam);
    case WM_CHAR: return OnChar(hwnd, state, static_cast<WCHAR>(wParam));
    case WM_LBUTTONDOWN: return OnButtonDown(hwnd, state, PointOf(lParam));
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, state, PointOf(lParam));
    case WM_LBUTTONUP: return OnButtonUp(hwnd, state);
    case WM_LBUTTONDBLCLK: return OnDoubleTap(hwnd, state, PointOf(lParam));
    case WM_CAPTURECHANGED: state.tracking = false; return 0;
    case WM_SETFOCUS: return OnFocus(hwnd, state, true);
    case WM_KILLFOCUS: return OnFocus(hwnd, state, false);
    case WM_SIZE: {
      state.top = std::clamp(state.top, 0, MaxTop(hwnd, state));
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT: return OnSetFont(hwnd, state, reinterpret_cast<HFONT>(wParam), LOWORD(static_cast<ULONG_PTR>(lParam)) != 0);
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case LB_ADDSTRING: return OnAddString(hwnd, state, reinterpret_cast<LPCWSTR>(lParam));
    case LB_INSERTSTRING: return Insert(hwnd, state, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam));
    case LB_DELETESTRING: return OnDeleteString(hwnd, state, wParam);
    case LB_RESETCONTENT: return OnResetContent(hwnd, state);
    case LB_GETCOUNT: return Count(state);
    case LB_SETCURSEL: return OnSetCurSel(hwnd, state, static_cast<WPARAM>(static_cast<LONG_PTR>(static_cast<int>(wParam))));
    case LB_GETCURSEL: {
      int selection = state.selection;
      return selection < 0 ? LB_ERR : selection;
    }
    case LB_GETCARETINDEX: return std::max(0, state.selection);
    case LB_SETSEL: return LB_ERR;  // a single-selection list takes LB_SETCURSEL
    case LB_GETSEL: {
      if (!Valid(state, wParam)) return LB_ERR;
      return static_cast<int>(wParam) == state.selection ? 1 : 0;
    }
    case LB_GETTEXT: return OnGetText(state, wParam, reinterpret_cast<LPWSTR>(lParam));
    case LB_GETTEXTLEN: {
      return Valid(state, wParam) ? static_cast<LRESULT>(state.items[wParam].text.size()) : LB_ERR;
    }
    case LB_SETITEMDATA: {
      if (!Valid(state, wParam)) return LB_ERR;
      state.items[wParam].data = static_cast<ULONG_PTR>(lParam);
      return TRUE;
    }
    case LB_GETITEMDATA: {
      return Valid(state, wParam) ? static_cast<LRESULT>(state.items[wParam].data) : LB_ERR;
    }
    case LB_FINDSTRING: return Find(state, wParam, reinterpret_cast<LPCWSTR>(lParam), false);
    case LB_FINDSTRINGEXACT: return Find(state, wParam, reinterpret_cast<LPCWSTR>(lParam), true);
    case LB_SELECTSTRING: {
      LRESULT found = Find(state, wParam, reinterpret_cast<LPCWSTR>(lParam), false);
      if (found != LB_ERR) Select(hwnd, state, static_cast<int>(found));
      return found;
    }
    case LB_SETTOPINDEX: return OnSetTopIndex(hwnd, state, wParam);
    case LB_GETTOPINDEX: return state.top;
    case LB_GETITEMRECT: return OnGetItemRect(hwnd, state, wParam, reinterpret_cast<RECT*>(lParam));
    case LB_ITEMFROMPOINT: return OnItemFromPoint(hwnd, state, PointOf(lParam));
    case LB_GETITEMHEIGHT: return ItemHeight(state);
    case LB_SETITEMHEIGHT: {
      if (lParam <= 0 || lParam > 255) return LB_ERR;
      state.itemHeight = static_cast<int>(lParam);
      Redraw(hwnd);
      return LB_OKAY;
    }
    case WM_NCDESTROY: return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT ListBoxWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ControlProc<ListBoxState, Dispatch>(hwnd, msg, wParam, lParam);
}

void RegisterListBoxClass() { RegisterControlClass(kListBoxClassName, ListBoxWindowProc); }

}  // namespace gwes
