#include "platform/gwes/controls/static.h"

#include <memory>
#include <string>

#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"

namespace gwes {
namespace {

// A static's state (see ControlState).
struct StaticState {
  HFONT font = nullptr;
};

UINT TextFormat(DWORD style) {
  UINT format = DT_EXPANDTABS;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: break;
    default: format |= DT_LEFT | DT_WORDBREAK; break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  return format;
}

std::u16string TextOf(HWND hwnd) {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Asks the parent for the colours, fills with the brush it answered and draws the text.
void DrawStatic(HWND hwnd, StaticState& state, HDC dc) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  HGDIOBJ oldFont = state.font ? SelectObject(dc, state.font) : nullptr;
  SetTextColor(dc, GetSysColor(COLOR_STATICTEXT));
  SetBkColor(dc, GetSysColor(COLOR_STATIC));
  HBRUSH brush = nullptr;
  if (HWND parent = GetParent(hwnd))
    brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                  reinterpret_cast<LPARAM>(hwnd)));
  if (!IsWindow(hwnd)) return;
  // A parent that answers nothing gets the system's static colours.
  FillRect(dc, &rect, brush ? brush : GetSysColorBrush(COLOR_STATIC));
  if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  std::u16string text = TextOf(hwnd);
  const DWORD style = StyleOf(hwnd);
  const UINT format = TextFormat(style);
  // A vertically centred static centres its text block, wrapped and broken into lines as usual;
  // a block taller than the control starts at the top.
  if (!text.empty() && (style & SS_CENTERIMAGE)) {
    RECT block = rect;
    int height = DrawTextW(dc, text.c_str(), -1, &block, format | DT_CALCRECT);
    if (height < rect.bottom - rect.top) rect.top += (rect.bottom - rect.top - height) / 2;
  }
  if (!text.empty()) DrawTextW(dc, text.c_str(), -1, &rect, format);
  if (oldFont) SelectObject(dc, oldFont);
}

LRESULT OnTap(HWND hwnd, WORD code) {
  if (StyleOf(hwnd) & SS_NOTIFY) NotifyParent(hwnd, code);
  return 0;
}

LRESULT OnSetFont(HWND hwnd, StaticState& state, HFONT font, bool redraw) {
  state.font = font;
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 0;
}

LRESULT StaticProc(HWND hwnd, StaticState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { DrawStatic(window, state, dc); });
    // The background is the colour request's brush, filled at WM_PAINT.
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: return OnTap(hwnd, STN_CLICKED);
    case WM_LBUTTONDBLCLK: return OnTap(hwnd, STN_DBLCLK);
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_SETFONT: return OnSetFont(hwnd, state, reinterpret_cast<HFONT>(wParam), LOWORD(static_cast<ULONG_PTR>(lParam)) != 0);
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_NCDESTROY: return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterStaticClass() { RegisterControlClass(kStaticClassName, ControlProc<StaticState, StaticProc>); }

}  // namespace gwes
