#include "platform/gwes/controls/combo_box.h"

#include <algorithm>
#include <string>

#include "platform/gwes/controls/combo_list.h"
#include "platform/gwes/controls/edit.h"
#include "platform/gwes/controls/list_box.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"

namespace gwes {
namespace {

constexpr int kButtonWidth = 13;
constexpr int kFieldPadding = 6;  // border and a little air above and below the text

// A combo box's state (its list's included), owned by its window (see ControlState). The texts,
// item values and the selection live in the list window.
struct ComboState : ComboListState {
  HWND edit = nullptr;
  WNDPROC editProc = nullptr;  // the edit's own procedure, under the combo's filter
  HFONT font = nullptr;
  bool focused = false;
  bool sizing = false;       // the combo is setting its own height
  bool settingText = false;  // the combo is writing its edit's text
};

ComboState* StateOf(HWND hwnd) { return ControlState<ComboState>(hwnd); }
// The state of a combo that may already be gone (as seen from its list or edit).
ComboState* PeekState(HWND hwnd) { return IsWindow(hwnd) ? ControlState<ComboState>(hwnd) : nullptr; }
DWORD TypeOf(HWND hwnd) { return StyleOf(hwnd) & CBS_TYPEMASK; }
bool DropsDown(HWND hwnd) { return TypeOf(hwnd) != CBS_SIMPLE; }

LRESULT ToList(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  HWND list = StateOf(hwnd)->list;
  return list ? SendMessageW(list, msg, wParam, lParam) : CB_ERR;
}
int Selection(HWND hwnd) { return static_cast<int>(ToList(hwnd, LB_GETCURSEL)); }

std::u16string ItemText(HWND hwnd, int index) {
  LRESULT length = ToList(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (length < 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  ToList(hwnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int FieldHeight(ComboState& state) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 16 + kFieldPadding;
  if (HFONT font = state.font) SelectObject(dc, font);
  TEXTMETRICW metrics{};
  int height = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 16;
  DeleteDC(dc);
  return height + kFieldPadding;
}

// The window text (and the edit's) follows the selection; a drop-down list shows nothing without one.
void SyncText(HWND hwnd, bool clearEdit = false) {
  ComboState& state = *StateOf(hwnd);
  int selection = Selection(hwnd);
  std::u16string text = selection >= 0 ? ItemText(hwnd, selection) : std::u16string();
  if (state.edit) {
    if (selection >= 0 || clearEdit) {
      state.settingText = true;
      SetWindowTextW(state.edit, text.c_str());
      SendMessageW(state.edit, EM_SETSEL, 0, -1);
      if (PeekState(hwnd)) StateOf(hwnd)->settingText = false;
    }
  } else {
    DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
}

// Puts the edit and a simple combo's list in their places; a drop-down combo is as tall as its field.
void Layout(HWND hwnd, ComboState& state) {
  RECT client;
  GetClientRect(hwnd, &client);
  int field = FieldHeight(state);
  if (DropsDown(hwnd) && client.bottom != field) {
    state.sizing = true;
    SetWindowPos(hwnd, nullptr, 0, 0, client.right, field, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    state.sizing = false;
    GetClientRect(hwnd, &client);
  }
  int buttonRoom = DropsDown(hwnd) ? kButtonWidth : 0;
  if (state.edit)
    MoveWindow(state.edit, 1, 1, std::max(0, static_cast<int>(client.right) - 2 - buttonRoom), field - 2, TRUE);
  if (!DropsDown(hwnd) && state.list)
    MoveWindow(state.list, 0, field, client.right, std::max(0, static_cast<int>(client.bottom) - field), TRUE);
}

void Notify(HWND hwnd, WORD code) { NotifyParent(hwnd, code); }

// Lets the list handle a key or character; while closed a change of selection is the user's.
void MoveSelection(HWND hwnd, ComboState& state, UINT msg, WPARAM wParam) {
  int before = Selection(hwnd);
  ListBoxWindowProc(state.list, msg, wParam, 0);
  if (state.dropped || Selection(hwnd) == before) return;
  SyncText(hwnd);
  if (IsWindow(hwnd)) Notify(hwnd, CBN_SELCHANGE);
}

LRESULT OnKeyDown(HWND hwnd, WPARAM vk) {
  if (ListKeyDown(hwnd, vk)) return 0;
  switch (vk) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
      MoveSelection(hwnd, *StateOf(hwnd), WM_KEYDOWN, vk);
      break;
    default: break;
  }
  return 0;
}

void LoseFocus(HWND hwnd) {
  ComboState* state = PeekState(hwnd);
  if (!state || !state->focused) return;
  state->focused = false;
  CloseList(hwnd, false);
  if (!IsWindow(hwnd)) return;
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, CBN_KILLFOCUS);
}

void GainFocus(HWND hwnd) {
  ComboState& state = *StateOf(hwnd);
  if (state.focused) return;
  state.focused = true;
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, CBN_SETFOCUS);
}

LRESULT OnSetFocus(HWND hwnd, ComboState& state) {
  if (HWND edit = state.edit) SetFocus(edit);
  else GainFocus(hwnd);
  return 0;
}

LRESULT OnKillFocus(HWND hwnd, ComboState& state, HWND next) {
  if (!state.edit || next != state.edit) LoseFocus(hwnd);
  return 0;
}

LRESULT OnButtonDown(HWND hwnd, POINT point) {
  FocusCombo(hwnd);
  if (!IsWindow(hwnd)) return 0;
  RECT client;
  GetClientRect(hwnd, &client);
  bool onButton = point.x >= client.right - 1 - kButtonWidth;
  if (TypeOf(hwnd) == CBS_DROPDOWNLIST || (TypeOf(hwnd) == CBS_DROPDOWN && onButton)) DropList(hwnd, true);
  return 0;
}

// A drop-down list's field and arrow button (a simple combo's edit and list draw themselves).
void Draw(HWND hwnd, ComboState& state, HDC dc) {
  HGDIOBJ oldFont = state.font ? SelectObject(dc, state.font) : nullptr;
  bool enabled = IsWindowEnabled(hwnd);
  SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  SetBkColor(dc, GetSysColor(enabled ? COLOR_WINDOW : COLOR_STATIC));
  HBRUSH brush = nullptr;
  if (HWND parent = GetParent(hwnd))
    brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                                                  reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
  if (IsWindow(hwnd)) {
    RECT client;
    GetClientRect(hwnd, &client);
    RECT field{0, 0, client.right, DropsDown(hwnd) ? client.bottom : FieldHeight(state)};
    FillRect(dc, &field, brush ? brush : GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_STATIC));
    HBRUSH frame = GetSysColorBrush(COLOR_WINDOWFRAME);
    FrameRect(dc, &field, frame);
    RECT inner{1, 1, field.right - 1, field.bottom - 1};
    if (DropsDown(hwnd)) {
      RECT button{std::max(inner.left, inner.right - kButtonWidth), inner.top, inner.right, inner.bottom};
      inner.right = button.left;
      FillRect(dc, &button, GetSysColorBrush(COLOR_BTNFACE));
      RECT divider{button.left, button.top, button.left + 1, button.bottom};
      FillRect(dc, &divider, frame);
      // A downward arrow: rows of 7, 5, 3 and 1 pixels.
      HBRUSH arrow = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
      int cx = (button.left + 1 + button.right) / 2;
      int cy = (button.top + button.bottom) / 2 - 2;
      for (int step = 0; step < 4; ++step) {
        RECT line{cx - 3 + step, cy + step, cx + 4 - step, cy + step + 1};
        FillRect(dc, &line, arrow);
      }
    }
    if (TypeOf(hwnd) == CBS_DROPDOWNLIST) {
      int selection = Selection(hwnd);
      std::u16string text = selection >= 0 ? ItemText(hwnd, selection) : std::u16string();
      bool highlighted = state.focused && !state.dropped && enabled;
      RECT textRect{inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 1};
      if (highlighted) FillRect(dc, &textRect, GetSysColorBrush(COLOR_HIGHLIGHT));
      if (highlighted) SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
  }
  if (oldFont) SelectObject(dc, oldFont);
}

// The combo's filter on its edit: the keys that move or open the list, and the focus, are the combo's.
LRESULT ComboEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND combo = GetParent(edit);
  ComboState* state = PeekState(combo);
  if (!state || !state->editProc) return DefWindowProcW(edit, msg, wParam, lParam);
  WNDPROC original = state->editProc;
  switch (msg) {
    case WM_KEYDOWN:
      if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT || wParam == kKeyF4 ||
          (state->dropped && (wParam == VK_RETURN || wParam == VK_ESCAPE)))
        return OnKeyDown(combo, wParam);
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcW(original, edit, msg, wParam, lParam);
      return state->dropped ? code | DLGC_WANTALLKEYS : code;
    }
    case WM_SETFOCUS: {
      LRESULT result = CallWindowProcW(original, edit, msg, wParam, lParam);
      if (IsWindow(combo)) GainFocus(combo);
      return result;
    }
    case WM_KILLFOCUS: {
      LRESULT result = CallWindowProcW(original, edit, msg, wParam, lParam);
      if (reinterpret_cast<HWND>(wParam) != combo) LoseFocus(combo);
      return result;
    }
    default: break;
  }
  return CallWindowProcW(original, edit, msg, wParam, lParam);
}

LRESULT OnCreate(HWND hwnd, ComboState& state, const CREATESTRUCTW* create) {
  state.droppedHeight = create->cy;
  DWORD style = StyleOf(hwnd);
  DWORD listStyle = LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_BORDER | (style & WS_VSCROLL) |
                    ((style & CBS_SORT) ? LBS_SORT : 0);
  HWND list = CreateComboList(hwnd, listStyle, create->cx, create->cy);
  if (!list || !IsWindow(hwnd)) return -1;
  state.list = list;
  if (TypeOf(hwnd) != CBS_DROPDOWNLIST) {
    DWORD editStyle = WS_CHILD | WS_VISIBLE | ((style & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0) |
                      ((style & CBS_UPPERCASE) ? ES_UPPERCASE : 0) | ((style & CBS_LOWERCASE) ? ES_LOWERCASE : 0);
    HWND edit = CreateWindowExW(0, kEditClassName, u"", editStyle, 0, 0, create->cx, 16, hwnd,
                                reinterpret_cast<HMENU>(static_cast<LONG_PTR>(kComboEditId)), nullptr, nullptr);
    if (!edit || !IsWindow(hwnd)) return -1;
    state.edit = edit;
    state.editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongW(edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboEditProc)));
  }
  Layout(hwnd, state);
  return 0;
}

// A drop-down combo keeps its field's height; the height asked for is the list's.
LRESULT OnWindowPosChanging(HWND hwnd, ComboState& state, WINDOWPOS* pos) {
  if (!pos || !DropsDown(hwnd) || state.sizing || (pos->flags & SWP_NOSIZE)) return 0;
  state.droppedHeight = pos->cy;
  pos->cy = FieldHeight(state);
  return 0;
}

// The edit's notifications become the combo's; the combo's own writes to the edit tell nobody.
LRESULT OnCommand(HWND hwnd, ComboState& state, WPARAM wParam, HWND from) {
  WORD code = HIWORD(wParam);
  if (from == state.edit && !state.settingText) {
    if (code == EN_CHANGE) Notify(hwnd, CBN_EDITCHANGE);
    if (code == EN_UPDATE) Notify(hwnd, CBN_EDITUPDATE);
  }
  if (from == state.list && code == LBN_ERRSPACE) Notify(hwnd, CBN_ERRSPACE);
  return 0;
}

// WM_SETTEXT: an edit takes the text; a drop-down list selects the row that matches it exactly.
LRESULT OnSetText(HWND hwnd, ComboState& state, LPCWSTR text) {
  if (state.edit) {
    state.settingText = true;
    BOOL done = SetWindowTextW(state.edit, text);
    if (ComboState* current = PeekState(hwnd)) current->settingText = false;
    return done;
  }
  LRESULT found = ToList(hwnd, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text ? text : u""));
  if (found < 0) return CB_ERR;
  ToList(hwnd, LB_SETCURSEL, static_cast<WPARAM>(found));
  SyncText(hwnd);
  return TRUE;
}

// CB_SETCURSEL: an index past the end (or -1) clears the selection, and a drop-down's edit text
// with it, and answers CB_ERR.
LRESULT OnSetCurSel(HWND hwnd, WPARAM index) {
  LRESULT result = ToList(hwnd, LB_SETCURSEL, index);
  if (result == LB_ERR) ToList(hwnd, LB_SETCURSEL, static_cast<WPARAM>(-1));
  SyncText(hwnd, true);
  return result == LB_ERR ? CB_ERR : result;
}

LRESULT OnSetFont(HWND hwnd, ComboState& state, HFONT font, LPARAM redraw) {
  state.font = font;
  ToList(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  if (state.edit) SendMessageW(state.edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  if (IsWindow(hwnd)) Layout(hwnd, state);
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 0;
}

// Messages that are the list's own, with the same numbers for answers.
LRESULT ListMessage(UINT msg) {
  switch (msg) {
    case CB_ADDSTRING: return LB_ADDSTRING;
    case CB_INSERTSTRING: return LB_INSERTSTRING;
    case CB_DELETESTRING: return LB_DELETESTRING;
    case CB_RESETCONTENT: return LB_RESETCONTENT;
    case CB_GETCOUNT: return LB_GETCOUNT;
    case CB_GETCURSEL: return LB_GETCURSEL;
    case CB_GETLBTEXT: return LB_GETTEXT;
    case CB_GETLBTEXTLEN: return LB_GETTEXTLEN;
    case CB_FINDSTRING: return LB_FINDSTRING;
    case CB_FINDSTRINGEXACT: return LB_FINDSTRINGEXACT;
    case CB_SELECTSTRING: return LB_SELECTSTRING;
    case CB_GETITEMDATA: return LB_GETITEMDATA;
    case CB_SETITEMDATA: return LB_SETITEMDATA;
    case CB_GETTOPINDEX: return LB_GETTOPINDEX;
    case CB_SETTOPINDEX: return LB_SETTOPINDEX;
    default: return 0;
  }
}

LRESULT OnListMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = ToList(hwnd, static_cast<UINT>(ListMessage(msg)), wParam, lParam);
  switch (msg) {
    case CB_ADDSTRING: case CB_INSERTSTRING: case CB_DELETESTRING: case CB_SELECTSTRING:
      SyncText(hwnd);
      break;
    case CB_RESETCONTENT: SyncText(hwnd, true); break;
    default: break;
  }
  if (msg != CB_GETCOUNT) PlaceList(hwnd);
  return result;
}

LRESULT ComboProc(HWND hwnd, ComboState& state, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(hwnd, state, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_WINDOWPOSCHANGING: return OnWindowPosChanging(hwnd, state, reinterpret_cast<WINDOWPOS*>(lParam));
    case WM_SIZE: Layout(hwnd, state); InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_PAINT: return PaintControl(hwnd, [&](HWND window, HDC dc) { Draw(window, state, dc); });
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills the field
    case WM_KEYDOWN: return OnKeyDown(hwnd, wParam);
    case WM_CHAR:
      if (!state.edit) MoveSelection(hwnd, state, WM_CHAR, wParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnButtonDown(hwnd, PointOf(lParam));
    case WM_SETFOCUS: return OnSetFocus(hwnd, state);
    case WM_KILLFOCUS: return OnKillFocus(hwnd, state, reinterpret_cast<HWND>(wParam));
    case WM_ENABLE:
      if (!wParam) CloseList(hwnd, false);
      if (HWND edit = state.edit) EnableWindow(edit, static_cast<BOOL>(wParam));
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_COMMAND: return OnCommand(hwnd, state, wParam, reinterpret_cast<HWND>(lParam));
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | (state.dropped ? DLGC_WANTALLKEYS : 0);
    case WM_SETFONT: return OnSetFont(hwnd, state, reinterpret_cast<HFONT>(wParam), LOWORD(static_cast<ULONG_PTR>(lParam)));
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case WM_SETTEXT: return OnSetText(hwnd, state, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      if (HWND edit = state.edit) return SendMessageW(edit, msg, wParam, lParam);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case CB_SETCURSEL: return OnSetCurSel(hwnd, static_cast<WPARAM>(static_cast<LONG_PTR>(static_cast<int>(wParam))));
    case CB_SHOWDROPDOWN:
      if (wParam) DropList(hwnd, false);
      else CloseList(hwnd, false);
      return TRUE;
    case CB_GETDROPPEDSTATE: return state.dropped;
    case CB_SETEXTENDEDUI: state.extendedUI = wParam != 0; return CB_OKAY;
    case CB_GETEXTENDEDUI: return state.extendedUI;
    case CB_SETDROPPEDWIDTH: state.droppedWidth = static_cast<int>(wParam); [[fallthrough]];
    case CB_GETDROPPEDWIDTH: {
      RECT combo;
      GetWindowRect(hwnd, &combo);
      return std::max(state.droppedWidth, static_cast<int>(combo.right - combo.left));
    }
    case CB_GETDROPPEDCONTROLRECT:
      if (!lParam) return CB_ERR;
      *reinterpret_cast<RECT*>(lParam) = DroppedListRect(hwnd);
      return TRUE;
    case CB_GETITEMHEIGHT:
      return static_cast<int>(wParam) == -1 ? FieldHeight(state) : ToList(hwnd, LB_GETITEMHEIGHT, wParam);
    case CB_LIMITTEXT:
    case CB_GETEDITSEL:
    case CB_SETEDITSEL: {
      HWND edit = state.edit;
      if (!edit) return CB_ERR;
      if (msg == CB_LIMITTEXT) return SendMessageW(edit, EM_LIMITTEXT, wParam, 0), TRUE;
      if (msg == CB_GETEDITSEL) return SendMessageW(edit, EM_GETSEL, wParam, lParam);
      SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(static_cast<LONG_PTR>(static_cast<short>(LOWORD(lParam)))),
                   static_cast<short>(HIWORD(lParam)));
      return TRUE;
    }
    case WM_DESTROY: {
      if (DropsDown(hwnd) && IsWindow(state.list)) DestroyWindow(state.list);
      state.list = nullptr;
      return 0;
    }
    case WM_NCDESTROY: return 0;
    default:
      if (ListMessage(msg)) return OnListMessage(hwnd, msg, wParam, lParam);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

ComboListState* ComboListStateOf(HWND combo) { return PeekState(combo); }

void PickComboRow(HWND combo, int index) {
  ToList(combo, LB_SETCURSEL, static_cast<WPARAM>(index));
  if (StateOf(combo)->dropped) CloseList(combo, true);
  else Notify(combo, CBN_SELENDOK);
  if (!IsWindow(combo)) return;
  SyncText(combo);
  if (IsWindow(combo)) Notify(combo, CBN_SELCHANGE);
}

void FocusCombo(HWND combo) {
  HWND edit = StateOf(combo)->edit;
  HWND focus = GetFocus();
  if (focus != combo && (!edit || focus != edit)) SetFocus(combo);
}

void RegisterComboBoxClass() {
  RegisterComboListClass();
  RegisterControlClass(kComboBoxClassName, ControlProc<ComboState, ComboProc>);
}

}  // namespace gwes
