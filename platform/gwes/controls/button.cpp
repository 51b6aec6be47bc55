#include "platform/gwes/controls/button.h"

#include <memory>
#include <string>

#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"

namespace gwes {
namespace {

// A button's state (see ControlState).
struct ButtonState {
  LRESULT state = 0;           // BST_ bits
  bool tracking = false;       // a press (stylus or Space) is under way
  bool spacePress = false;     // the press under way came from Space
  HFONT font = nullptr;
};

ButtonState* StateOf(HWND hwnd) { return ControlState<ButtonState>(hwnd); }

DWORD TypeOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK; }
bool HasStyle(HWND hwnd, DWORD bits) { return (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & bits) != 0; }

std::u16string TextOf(HWND hwnd) {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

void DrawOwner(HWND hwnd, ButtonState& state, HDC dc, UINT action) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
  item.itemAction = action;
  if (state.state & BST_PUSHED) item.itemState |= ODS_SELECTED;
  if (state.state & BST_FOCUS) item.itemState |= ODS_FOCUS;
  if (!IsWindowEnabled(hwnd)) item.itemState |= ODS_DISABLED;
  item.hwndItem = hwnd;
  item.hDC = dc;
  GetClientRect(hwnd, &item.rcItem);
  SendMessageW(parent, WM_DRAWITEM, static_cast<WPARAM>(item.CtlID), reinterpret_cast<LPARAM>(&item));
}

// A plain raised face; pressed, the edges swap and the text moves one pixel down and right.
void DrawPush(HWND hwnd, ButtonState& state, HDC dc) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  bool pushed = state.state & BST_PUSHED;
  FillRect(dc, &rect, GetSysColorBrush(TypeOf(hwnd) == BS_DEFPUSHBUTTON ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW));
  InflateRect(&rect, -1, -1);
  FillRect(dc, &rect, GetSysColorBrush(pushed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
  RECT face{rect.left + 1, rect.top + 1, rect.right, rect.bottom};
  if (!pushed) {
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
    face = RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  }
  FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = state.font ? SelectObject(dc, state.font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  if (pushed) OffsetRect(&face, 1, 1);
  std::u16string text = TextOf(hwnd);
  DrawTextW(dc, text.c_str(), -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (state.state & BST_FOCUS) {
    // The focus mark: a one-pixel frame inside the face.
    RECT mark = face;
    InflateRect(&mark, -2, -2);
    FrameRect(dc, &mark, GetSysColorBrush(COLOR_WINDOWFRAME));
  }
  if (oldFont) SelectObject(dc, oldFont);
}

void Draw(HWND hwnd, HDC dc, UINT action) {
  if (TypeOf(hwnd) == BS_OWNERDRAW)
    DrawOwner(hwnd, *StateOf(hwnd), dc, action);
  else
    DrawPush(hwnd, *StateOf(hwnd), dc);
}

// Redraws at once after a state change, as Win32 buttons do.
void Redraw(HWND hwnd, UINT action) {
  if (!IsWindowVisible(hwnd)) return;
  HDC dc = GetDC(hwnd);
  if (!dc) return;
  Draw(hwnd, dc, action);
  ReleaseDC(hwnd, dc);
}

LRESULT OnSetState(HWND hwnd, ButtonState& state, bool pushed) {
  bool was = state.state & BST_PUSHED;
  if (was == pushed) return 0;
  state.state ^= BST_PUSHED;
  Redraw(hwnd, ODA_SELECT);
  return 0;
}

void Press(HWND hwnd, ButtonState& state, bool bySpace) {
  SetFocus(hwnd);
  if (!IsWindow(hwnd)) return;
  SetCapture(hwnd);
  state.tracking = true;
  state.spacePress = bySpace;
  SendMessageW(hwnd, BM_SETSTATE, TRUE, 0);
}

// Ends a press: clicks when the release is inside (always for Space).
void Release(HWND hwnd, ButtonState& state, bool inside) {
  if (!state.tracking) return;
  state.tracking = false;
  bool pushed = state.state & BST_PUSHED;
  SendMessageW(hwnd, BM_SETSTATE, FALSE, 0);
  if (GetCapture() == hwnd) ReleaseCapture();
  if (pushed && inside) {
    DWORD type = TypeOf(hwnd);
    if (type == BS_AUTOCHECKBOX) state.state ^= BST_CHECKED;
    NotifyParent(hwnd, BN_CLICKED);
  }
}

LRESULT OnButtonDown(HWND hwnd, ButtonState& state) {
  Press(hwnd, state, false);
  return 0;
}

// A double tap: buttons that report it (BS_NOTIFY, owner-drawn, user and radio buttons) send
// BN_DBLCLK and are not pressed again; the others take it as one more press.
LRESULT OnDoubleClick(HWND hwnd, ButtonState& state) {
  DWORD type = TypeOf(hwnd);
  if (HasStyle(hwnd, BS_NOTIFY) || type == BS_OWNERDRAW || type == BS_USERBUTTON || type == BS_RADIOBUTTON) {
    NotifyParent(hwnd, BN_DBLCLK);
    return 0;
  }
  return OnButtonDown(hwnd, state);
}

LRESULT OnMouseMove(HWND hwnd, ButtonState& state, POINT point) {
  if (GetCapture() != hwnd || !state.tracking || state.spacePress) return 0;
  RECT rect;
  GetClientRect(hwnd, &rect);
  return SendMessageW(hwnd, BM_SETSTATE, PtInRect(&rect, point), 0);
}

LRESULT OnButtonUp(HWND hwnd, ButtonState& state, POINT point) {
  if (state.spacePress) return 0;
  RECT rect;
  GetClientRect(hwnd, &rect);
  Release(hwnd, state, PtInRect(&rect, point));
  return 0;
}

LRESULT OnKeyDown(HWND hwnd, ButtonState& state, WPARAM vk) {
  if (vk == VK_SPACE && !state.tracking) Press(hwnd, state, true);
  return 0;
}

LRESULT OnKeyUp(HWND hwnd, ButtonState& state, WPARAM vk) {
  if (vk == VK_SPACE && state.spacePress) Release(hwnd, state, true);
  return 0;
}

LRESULT OnCaptureChanged(HWND hwnd, ButtonState& state) {
  if (state.tracking && !state.spacePress) {
    state.tracking = false;
    SendMessageW(hwnd, BM_SETSTATE, FALSE, 0);
  }
  return 0;
}

LRESULT OnSetFocus(HWND hwnd, ButtonState& state) {
  state.state |= BST_FOCUS;
  Redraw(hwnd, ODA_FOCUS);
  if (HasStyle(hwnd, BS_NOTIFY)) NotifyParent(hwnd, BN_SETFOCUS);
  return 0;
}

LRESULT OnKillFocus(HWND hwnd, ButtonState& state) {
  if (HasStyle(hwnd, BS_NOTIFY)) NotifyParent(hwnd, BN_KILLFOCUS);
  if (!IsWindow(hwnd)) return 0;  // the parent destroyed the button
  if (state.tracking) {
    state.tracking = false;
    if (GetCapture() == hwnd) ReleaseCapture();
    SendMessageW(hwnd, BM_SETSTATE, FALSE, 0);
  }
  state.state &= ~BST_FOCUS;
  Redraw(hwnd, ODA_FOCUS);
  return 0;
}

// An owner-drawn button is a plain button to the dialog manager: it never takes the default look,
// so its owner-drawn type is never replaced by BS_DEFPUSHBUTTON.
LRESULT OnGetDlgCode(HWND hwnd) {
  switch (TypeOf(hwnd)) {
    case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX: return DLGC_STATIC;
    default: return DLGC_BUTTON;
  }
}

LRESULT OnSetStyle(HWND hwnd, DWORD type, bool redraw) {
  auto style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>((style & ~BS_TYPEMASK) | (type & BS_TYPEMASK)));
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 0;
}

LRESULT OnClick(HWND hwnd) {
  // A click as if tapped in the top-left corner: press, then release inside.
  if (!IsWindowEnabled(hwnd)) return 0;
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
  return 0;
}

LRESULT OnSetFont(HWND hwnd, ButtonState& state, HFONT font, bool redraw) {
  state.font = font;
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 0;
}

LRESULT ButtonProc(HWND hwnd, ButtonState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, [](HWND w, HDC dc) { Draw(w, dc, ODA_DRAWENTIRE); });
    case WM_ERASEBKGND: return 1;  // the whole face is drawn at WM_PAINT
    case WM_LBUTTONDOWN: return OnButtonDown(hwnd, state);
    case WM_LBUTTONDBLCLK: return OnDoubleClick(hwnd, state);
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, state, PointOf(lParam));
    case WM_LBUTTONUP: return OnButtonUp(hwnd, state, PointOf(lParam));
    case WM_CAPTURECHANGED: return OnCaptureChanged(hwnd, state);
    case WM_KEYDOWN: return OnKeyDown(hwnd, state, wParam);
    case WM_KEYUP: return OnKeyUp(hwnd, state, wParam);
    case WM_SETFOCUS: return OnSetFocus(hwnd, state);
    case WM_KILLFOCUS: return OnKillFocus(hwnd, state);
    case WM_GETDLGCODE: return OnGetDlgCode(hwnd);
    case WM_SETFONT: return OnSetFont(hwnd, state, reinterpret_cast<HFONT>(wParam), LOWORD(static_cast<ULONG_PTR>(lParam)) != 0);
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case BM_GETSTATE: return state.state;
    case BM_SETSTATE: return OnSetState(hwnd, state, wParam != 0);
    case BM_GETCHECK: return state.state & BST_CHECKED;
    case BM_SETCHECK:
      state.state = (state.state & ~BST_CHECKED) | (wParam == BST_CHECKED ? BST_CHECKED : 0);
      return 0;
    case BM_SETSTYLE: return OnSetStyle(hwnd, static_cast<DWORD>(wParam), LOWORD(static_cast<ULONG_PTR>(lParam)) != 0);
    case BM_CLICK: return OnClick(hwnd);
    case WM_NCDESTROY: return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterButtonClass() { RegisterControlClass(kButtonClassName, ControlProc<ButtonState, ButtonProc>); }

}  // namespace gwes
