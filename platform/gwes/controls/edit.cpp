#include "platform/gwes/controls/edit.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "platform/gwes/controls/measure_dc.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/timers.h"
#include "platform/kernel/wide_string.h"

namespace gwes {
namespace {

constexpr std::size_t kDefaultLimit = 0x7FFFFFFE;
constexpr UINT_PTR kCaretTimer = 1;

// An edit's state, owned by its window (see ControlState). The text is
// kept here and written through to the window text, so GetWindowTextW reads it as well.
struct EditState {
  std::u16string text;
  std::size_t anchor = 0;  // the fixed end of the selection
  std::size_t caret = 0;   // the moving end, where the caret is
  std::size_t limit = kDefaultLimit;
  HFONT font = nullptr;
  bool focused = false;
  bool caretShown = false;
  bool modified = false;
  int scroll = 0;  // pixels a single line is scrolled left by
};

std::u16string WindowText(HWND hwnd) {
  std::u16string text(static_cast<std::size_t>(DefWindowProcW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, u'\0');
  text.resize(static_cast<std::size_t>(
      DefWindowProcW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

bool Multiline(HWND hwnd) { return StyleOf(hwnd) & ES_MULTILINE; }

// Where the text goes: the client area inside the border, one pixel in from each side.
RECT TextArea(HWND hwnd) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  if (StyleOf(hwnd) & WS_BORDER) InflateRect(&rect, -1, -1);
  InflateRect(&rect, -1, -1);
  return rect;
}

// Lines end at "\r\n", "\n" or "\r"; a single-line edit's text is one line.
std::size_t LineStart(HWND hwnd, const std::u16string& text, std::size_t pos) {
  if (!Multiline(hwnd)) return 0;
  while (pos > 0 && text[pos - 1] != u'\n' && text[pos - 1] != u'\r') --pos;
  return pos;
}
std::size_t LineEnd(HWND hwnd, const std::u16string& text, std::size_t pos) {
  if (!Multiline(hwnd)) return text.size();
  while (pos < text.size() && text[pos] != u'\n' && text[pos] != u'\r') ++pos;
  return pos;
}
std::size_t NextLine(const std::u16string& text, std::size_t end) {
  if (end < text.size() && text[end] == u'\r') ++end;
  if (end < text.size() && text[end] == u'\n') ++end;
  return end;
}

// The x at which a line of `width` pixels starts.
int LineLeft(HWND hwnd, const EditState& state, const RECT& area, int width) {
  DWORD style = StyleOf(hwnd);
  int room = area.right - area.left;
  if (!(style & ES_MULTILINE) && width > room) return area.left - state.scroll;
  if (style & ES_CENTER) return area.left + (room - width) / 2;
  if (style & ES_RIGHT) return area.right - width;
  return area.left;
}

// The caret's position, client coordinates (top of its line).
POINT CaretPoint(HWND hwnd, const EditState& state, const MeasureDc& measure) {
  RECT area = TextArea(hwnd);
  std::size_t start = LineStart(hwnd, state.text, state.caret);
  std::size_t end = LineEnd(hwnd, state.text, state.caret);
  int lineIndex = 0;
  for (std::size_t pos = 0; pos < start; pos = NextLine(state.text, LineEnd(hwnd, state.text, pos))) ++lineIndex;
  std::u16string_view view(state.text);
  int left = LineLeft(hwnd, state, area, measure.Width(view.substr(start, end - start)));
  return POINT{left + measure.Width(view.substr(start, state.caret - start)),
               area.top + lineIndex * measure.LineHeight()};
}

// Keeps the caret of a single-line edit inside the text area.
void ScrollToCaret(HWND hwnd, EditState& state) {
  if (Multiline(hwnd)) return;
  MeasureDc measure(state.font);
  RECT area = TextArea(hwnd);
  int room = area.right - area.left;
  int full = measure.Width(state.text);
  if (full <= room) {
    state.scroll = 0;
    return;
  }
  int caretX = measure.Width(std::u16string_view(state.text).substr(0, state.caret));
  if (caretX - state.scroll > room - 1) state.scroll = caretX - room + 1;
  if (caretX < state.scroll) state.scroll = caretX;
  state.scroll = std::clamp(state.scroll, 0, std::max(0, full - room + 1));
}

void Changed(HWND hwnd, EditState& state) {
  state.caretShown = state.focused;
  ScrollToCaret(hwnd, state);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void Notify(HWND hwnd, WORD code) { NotifyParent(hwnd, code); }

void SetSelection(HWND hwnd, EditState& state, std::size_t anchor, std::size_t caret) {
  state.anchor = std::min(anchor, state.text.size());
  state.caret = std::min(caret, state.text.size());
  Changed(hwnd, state);
}

// Replaces the selection with `insert`. Typed input also respects the limit (what does not fit is
// dropped, with EN_MAXTEXT) and, in a single-line edit without ES_AUTOHSCROLL, the width.
void ReplaceSelection(HWND hwnd, EditState& state, std::u16string insert, bool typed) {
  std::size_t from = std::min(state.anchor, state.caret);
  std::size_t to = std::max(state.anchor, state.caret);
  std::size_t kept = state.text.size() - (to - from);
  bool tooLong = kept + insert.size() > state.limit;
  if (tooLong) insert.resize(state.limit > kept ? state.limit - kept : 0);
  std::u16string text = state.text.substr(0, from) + insert + state.text.substr(to);
  if (typed && !Multiline(hwnd) && !(StyleOf(hwnd) & ES_AUTOHSCROLL)) {
    RECT area = TextArea(hwnd);
    if (MeasureDc(state.font).Width(text) > area.right - area.left) {
      tooLong = true;
      insert.clear();
      text = state.text;
      to = from;
    }
  }
  if (tooLong) Notify(hwnd, EN_MAXTEXT);
  if (!IsWindow(hwnd) || (insert.empty() && from == to)) return;
  state.text = std::move(text);
  state.anchor = state.caret = from + insert.size();
  state.modified = true;
  DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state.text.c_str()));
  Changed(hwnd, state);
  Notify(hwnd, EN_UPDATE);
  if (IsWindow(hwnd)) Notify(hwnd, EN_CHANGE);
}

// The text index nearest to a client point.
std::size_t IndexAt(HWND hwnd, EditState& state, POINT point) {
  MeasureDc measure(state.font);
  RECT area = TextArea(hwnd);
  int line = std::max(0, static_cast<int>((point.y - area.top) / std::max(1, measure.LineHeight())));
  std::size_t start = 0;
  for (; line > 0 && LineEnd(hwnd, state.text, start) < state.text.size(); --line)
    start = NextLine(state.text, LineEnd(hwnd, state.text, start));
  std::size_t end = LineEnd(hwnd, state.text, start);
  std::u16string_view view(state.text);
  int left = LineLeft(hwnd, state, area, measure.Width(view.substr(start, end - start)));
  std::size_t best = start;
  int bestDistance = std::abs(point.x - left);
  for (std::size_t pos = start + 1; pos <= end; ++pos) {
    int distance = std::abs(point.x - (left + measure.Width(view.substr(start, pos - start))));
    if (distance < bestDistance) {
      best = pos;
      bestDistance = distance;
    }
  }
  return best;
}

void DrawLines(HWND hwnd, const EditState& state, HDC dc, COLORREF textColour) {
  MeasureDc measure(state.font);
  RECT area = TextArea(hwnd);
  int height = measure.LineHeight();
  bool showSelection = state.focused || (StyleOf(hwnd) & ES_NOHIDESEL);
  std::size_t selFrom = std::min(state.anchor, state.caret);
  std::size_t selTo = showSelection ? std::max(state.anchor, state.caret) : selFrom;
  std::u16string_view view(state.text);
  int y = area.top;
  for (std::size_t start = 0;; y += height) {
    std::size_t end = LineEnd(hwnd, state.text, start);
    int x = LineLeft(hwnd, state, area, measure.Width(view.substr(start, end - start)));
    // The line in up to three runs: before, inside and after the selection.
    std::size_t cuts[4] = {start, std::clamp(selFrom, start, end), std::clamp(selTo, start, end), end};
    for (int run = 0; run < 3; ++run) {
      std::u16string_view piece = view.substr(cuts[run], cuts[run + 1] - cuts[run]);
      if (piece.empty()) continue;
      bool selected = run == 1;
      SetBkMode(dc, selected ? OPAQUE : TRANSPARENT);
      if (selected) SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
      SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColour);
      ExtTextOutW(dc, x, y, ETO_CLIPPED, &area, piece.data(), static_cast<UINT>(piece.size()), nullptr);
      x += measure.Width(piece);
    }
    if (end >= state.text.size()) break;
    start = NextLine(state.text, end);
  }
  if (state.focused && state.caretShown) {
    POINT caret = CaretPoint(hwnd, state, measure);
    RECT line{caret.x, caret.y, caret.x + 1, caret.y + height};
    RECT shown = Intersection(line, RECT{area.left - 1, area.top, area.right + 1, area.bottom});
    if (!RectEmpty(shown)) FillRect(dc, &shown, GetSysColorBrush(COLOR_WINDOWTEXT));
  }
}

void Draw(HWND hwnd, EditState& state, HDC dc) {
  HGDIOBJ oldFont = state.font ? SelectObject(dc, state.font) : nullptr;
  bool passive = (StyleOf(hwnd) & ES_READONLY) || !IsWindowEnabled(hwnd);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  SetBkColor(dc, GetSysColor(passive ? COLOR_STATIC : COLOR_WINDOW));
  HBRUSH brush = nullptr;
  if (HWND parent = GetParent(hwnd))
    brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, passive ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                                                  reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
  if (IsWindow(hwnd)) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(passive ? COLOR_STATIC : COLOR_WINDOW));
    if (StyleOf(hwnd) & WS_BORDER) FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    DrawLines(hwnd, state, dc, GetTextColor(dc));
  }
  if (oldFont) SelectObject(dc, oldFont);
}

LRESULT OnChar(HWND hwnd, EditState& state, WCHAR ch) {
  DWORD style = StyleOf(hwnd);
  if (style & ES_READONLY) return 0;
  if (ch == VK_BACK) {
    if (state.anchor == state.caret) {
      if (state.caret == 0) return 0;
      std::size_t back = state.caret - 1;
      if (back > 0 && state.text[back] == u'\n' && state.text[back - 1] == u'\r') --back;
      state.anchor = back;
    }
    ReplaceSelection(hwnd, state, u"", true);
    return 0;
  }
  if (ch == u'\r' || ch == u'\n') {
    if (style & ES_MULTILINE) ReplaceSelection(hwnd, state, u"\r\n", true);
    return 0;
  }
  if (ch == u'\t' && (style & ES_MULTILINE)) {
    ReplaceSelection(hwnd, state, u"\t", true);
    return 0;
  }
  if (ch < 0x20) return 0;
  if ((style & ES_NUMBER) && (ch < u'0' || ch > u'9')) return 0;
  if ((style & ES_UPPERCASE) && ch >= u'a' && ch <= u'z') ch = static_cast<WCHAR>(ch - u'a' + u'A');
  if ((style & ES_LOWERCASE) && ch >= u'A' && ch <= u'Z') ch = static_cast<WCHAR>(ch - u'A' + u'a');
  ReplaceSelection(hwnd, state, std::u16string(1, ch), true);
  return 0;
}

LRESULT OnKeyDown(HWND hwnd, EditState& state, WPARAM vk) {
  bool extend = GetKeyState(VK_SHIFT) & 0x8000;
  std::size_t caret = state.caret;
  switch (vk) {
    case VK_DELETE:
      if (StyleOf(hwnd) & ES_READONLY) return 0;
      if (state.anchor == state.caret) {
        if (state.caret >= state.text.size()) return 0;
        state.anchor = NextLine(state.text, state.caret) > state.caret ? NextLine(state.text, state.caret)
                                                                       : state.caret + 1;
      }
      ReplaceSelection(hwnd, state, u"", true);
      return 0;
    case VK_LEFT:
      if (!extend && state.anchor != state.caret) caret = std::min(state.anchor, state.caret);
      else if (caret > 0) caret -= (caret > 1 && state.text[caret - 1] == u'\n' && state.text[caret - 2] == u'\r') ? 2 : 1;
      break;
    case VK_RIGHT:
      if (!extend && state.anchor != state.caret) caret = std::max(state.anchor, state.caret);
      else if (caret < state.text.size()) caret = std::max(caret + 1, NextLine(state.text, caret));
      break;
    case VK_HOME: caret = LineStart(hwnd, state.text, caret); break;
    case VK_END: caret = LineEnd(hwnd, state.text, caret); break;
    default: return 0;
  }
  SetSelection(hwnd, state, extend ? state.anchor : caret, caret);
  return 0;
}

LRESULT OnButtonDown(HWND hwnd, EditState& state, POINT point) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!IsWindow(hwnd)) return 0;
  std::size_t index = IndexAt(hwnd, state, point);
  SetSelection(hwnd, state, index, index);
  return 0;
}

LRESULT OnSetFocus(HWND hwnd, EditState& state) {
  state.focused = true;
  state.caretShown = true;
  SetTimer(hwnd, kCaretTimer, kCaretBlinkMs, nullptr);
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, EN_SETFOCUS);
  return 0;
}

LRESULT OnKillFocus(HWND hwnd, EditState& state) {
  state.focused = false;
  state.caretShown = false;
  KillTimer(hwnd, kCaretTimer);
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, EN_KILLFOCUS);
  return 0;
}

// A blink redraws only the caret's column, not the whole text.
LRESULT OnTimer(HWND hwnd, EditState& state, UINT_PTR id) {
  if (id != kCaretTimer || !state.focused) return 0;
  state.caretShown = !state.caretShown;
  MeasureDc measure(state.font);
  POINT caret = CaretPoint(hwnd, state, measure);
  RECT column{caret.x, caret.y, caret.x + 1, caret.y + measure.LineHeight()};
  InvalidateRect(hwnd, &column, TRUE);
  return 0;
}

// WM_SETTEXT replaces the text and puts the caret at the start; a single-line edit tells its
// parent (EN_UPDATE, EN_CHANGE), a multi-line one does not, as in Win32.
LRESULT OnSetText(HWND hwnd, EditState& state, LPCWSTR text) {
  if (!DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u""))) return FALSE;
  state.text = WindowText(hwnd);
  state.anchor = state.caret = 0;
  state.modified = false;
  state.scroll = 0;
  Changed(hwnd, state);
  if (!Multiline(hwnd)) {
    Notify(hwnd, EN_UPDATE);
    if (IsWindow(hwnd)) Notify(hwnd, EN_CHANGE);
  }
  return TRUE;
}

// EM_SETSEL: a start of -1 removes the selection; an end of -1 (or past the text) is the end.
LRESULT OnSetSel(HWND hwnd, EditState& state, LONG_PTR start, LONG_PTR end) {
  std::size_t size = state.text.size();
  if (start == -1) {
    SetSelection(hwnd, state, state.caret, state.caret);
    return 0;
  }
  auto clampIndex = [size](LONG_PTR value) {
    return value < 0 ? size : std::min(static_cast<std::size_t>(value), size);
  };
  SetSelection(hwnd, state, clampIndex(start), clampIndex(end));
  return 0;
}

LRESULT OnGetSel(EditState& state, DWORD* start, DWORD* end) {
  auto from = static_cast<DWORD>(std::min(state.anchor, state.caret));
  auto to = static_cast<DWORD>(std::max(state.anchor, state.caret));
  if (start) *start = from;
  if (end) *end = to;
  return static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(std::min<DWORD>(from, 0xFFFF)),
                                         static_cast<WORD>(std::min<DWORD>(to, 0xFFFF))));
}

LRESULT OnSetReadOnly(HWND hwnd, bool readOnly) {
  DWORD style = StyleOf(hwnd);
  SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(readOnly ? style | ES_READONLY : style & ~ES_READONLY));
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT OnGetDlgCode(HWND hwnd) {
  LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  return Multiline(hwnd) ? code | DLGC_WANTALLKEYS : code;
}

LRESULT OnSetFont(HWND hwnd, EditState& state, HFONT font, bool redraw) {
  state.font = font;
  ScrollToCaret(hwnd, state);
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 0;
}

LRESULT EditProc(HWND hwnd, EditState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { Draw(window, state, dc); });
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills the whole control
    case WM_CHAR: return OnChar(hwnd, state, static_cast<WCHAR>(wParam));
    case WM_KEYDOWN: return OnKeyDown(hwnd, state, wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnButtonDown(hwnd, state, PointOf(lParam));
    case WM_SETFOCUS: return OnSetFocus(hwnd, state);
    case WM_KILLFOCUS: return OnKillFocus(hwnd, state);
    case WM_TIMER: return OnTimer(hwnd, state, wParam);
    case WM_SETTEXT: return OnSetText(hwnd, state, reinterpret_cast<LPCWSTR>(lParam));
    case WM_SIZE: ScrollToCaret(hwnd, state); InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return OnGetDlgCode(hwnd);
    case WM_SETFONT: return OnSetFont(hwnd, state, reinterpret_cast<HFONT>(wParam), LOWORD(static_cast<ULONG_PTR>(lParam)) != 0);
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case EM_GETSEL: return OnGetSel(state, reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
    case EM_SETSEL: return OnSetSel(hwnd, state, static_cast<int>(wParam), static_cast<int>(lParam));
    case EM_REPLACESEL:
      if (lParam) ReplaceSelection(hwnd, state, std::u16string(kernel::WideView(reinterpret_cast<LPCWSTR>(lParam))), false);
      return 0;
    case EM_LIMITTEXT: state.limit = wParam ? static_cast<std::size_t>(wParam) : kDefaultLimit; return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(state.limit);
    case EM_GETMODIFY: return state.modified;
    case EM_SETMODIFY: state.modified = wParam != 0; return 0;
    case EM_SETREADONLY: return OnSetReadOnly(hwnd, wParam != 0);
    case WM_CREATE: state.text = WindowText(hwnd); return 0;
    case WM_NCDESTROY: KillTimer(hwnd, kCaretTimer); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterEditClass() { RegisterControlClass(kEditClassName, ControlProc<EditState, EditProc>); }

}  // namespace gwes
