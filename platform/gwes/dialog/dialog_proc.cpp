// The dialog window procedure and keyboard navigation between a dialog's controls.
#include <string>

#include "platform/gwes/dialog/dialog_internal.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/input.h"

namespace gwes::dialog {
namespace {

LRESULT DlgCode(HWND control, MSG* msg = nullptr) {
  return control ? SendMessageW(control, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(msg)) : 0;
}

// Visible and enabled by its own style: a hidden dialog's controls still count.
bool Eligible(HWND control) {
  DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

// The dialog's control the focus window belongs to (the focus may sit in a control's child).
HWND ControlOf(HWND dialog, HWND hwnd) {
  while (hwnd && GetParent(hwnd) != dialog) {
    if (!(StyleOf(hwnd) & WS_CHILD)) return nullptr;
    hwnd = GetParent(hwnd);
  }
  return hwnd;
}

WORD DefaultId(HWND dialog) {
  LRESULT answer = SendMessageW(dialog, DM_GETDEFID, 0, 0);
  return HIWORD(static_cast<ULONG_PTR>(answer)) == DC_HASDEFID ? LOWORD(static_cast<ULONG_PTR>(answer)) : 0;
}

// The default id the dialog keeps: set by DM_SETDEFID or by a BS_DEFPUSHBUTTON in the template.
WORD StoredDefId(HWND dialog) {
  WORD id = 0;
  WithInfo(dialog, [&](DialogInfo& info) { id = info.defId; });
  return id;
}

// The push button that looks like the default one now.
HWND VisualDefault(HWND dialog) {
  for (HWND child : gwes::ChildWindowList(dialog))
    if (DlgCode(child) & DLGC_DEFPUSHBUTTON) return child;
  return nullptr;
}

void SetButtonStyle(HWND button, DWORD style) { SendMessageW(button, BM_SETSTYLE, style, TRUE); }

// A push button that takes the focus looks like the default button; when the focus goes to some
// other control the dialog's default id gets the look back.
void MoveDefaultLook(HWND dialog, HWND focus) {
  LRESULT code = DlgCode(focus);
  HWND current = VisualDefault(dialog);
  if (code & DLGC_UNDEFPUSHBUTTON) {
    if (current && current != focus) SetButtonStyle(current, BS_PUSHBUTTON);
    SetButtonStyle(focus, BS_DEFPUSHBUTTON);
  } else if (!(code & DLGC_DEFPUSHBUTTON)) {
    WORD id = StoredDefId(dialog);
    HWND wanted = id ? GetDlgItem(dialog, id) : nullptr;
    if (wanted && !(DlgCode(wanted) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))) wanted = nullptr;
    if (current && current != wanted) SetButtonStyle(current, BS_PUSHBUTTON);
    if (wanted && current != wanted) SetButtonStyle(wanted, BS_DEFPUSHBUTTON);
  }
}

// Where the dialog's focus goes back to when it is activated.
void RestoreFocus(HWND dialog) {
  HWND saved = nullptr;
  WithInfo(dialog, [&](DialogInfo& info) { saved = info.savedFocus; });
  if (!saved || !IsWindow(saved) || !IsChild(dialog, saved) || !Eligible(saved)) saved = FirstFocusable(dialog);
  if (saved) SetDialogFocus(dialog, saved);
}

LRESULT CtlColor(UINT msg, HDC dc) {
  bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  SetTextColor(dc, GetSysColor(field ? COLOR_WINDOWTEXT : COLOR_STATICTEXT));
  SetBkColor(dc, GetSysColor(field ? COLOR_WINDOW : COLOR_STATIC));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(field ? COLOR_WINDOW : COLOR_STATIC));
}

LRESULT DefaultHandling(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
      if (!brush) brush = GetSysColorBrush(COLOR_STATIC);
      RECT client{};
      GetClientRect(dialog, &client);
      FillRect(dc, &client, brush);
      return 1;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return CtlColor(msg, reinterpret_cast<HDC>(wParam));
    case WM_CLOSE: {
      // Win32 posts the cancel command even when the Cancel button is disabled; a disabled Cancel
      // means cancelling is not allowed now, so the close request is dropped then.
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (!cancel || IsWindowEnabled(cancel))
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case DM_GETDEFID: {
      // With no id kept, the push button that looks like the default one answers, as in Win32.
      WORD id = StoredDefId(dialog);
      if (HWND look = id ? nullptr : VisualDefault(dialog)) id = static_cast<WORD>(GetDlgCtrlID(look));
      return id ? MAKELPARAM(id, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID: {
      WithInfo(dialog, [&](DialogInfo& info) { info.defId = static_cast<WORD>(wParam); });
      HWND focus = ControlOf(dialog, GetFocus());
      if (!(DlgCode(focus) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))) MoveDefaultLook(dialog, focus);
      return TRUE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(dialog, focus)) WithInfo(dialog, [&](DialogInfo& info) { info.savedFocus = focus; });
      } else {
        RestoreFocus(dialog);
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(dialog);
      return 0;
    case WM_NEXTDLGCTL: {
      HWND target;
      if (LOWORD(static_cast<ULONG_PTR>(lParam))) target = reinterpret_cast<HWND>(wParam);
      else target = GetNextDlgTabItem(dialog, ControlOf(dialog, GetFocus()), wParam != 0);
      if (target && IsChild(dialog, target)) SetDialogFocus(dialog, target);
      return 0;
    }
    case WM_GETFONT: {
      HFONT font = nullptr;
      WithInfo(dialog, [&](DialogInfo& info) { font = info.font; });
      return reinterpret_cast<LRESULT>(font);
    }
    case WM_INITDIALOG:
      return 0;
    default:
      return DefWindowProcW(dialog, msg, wParam, lParam);
  }
}

// Messages whose answer is the dialog procedure's own return value rather than DWL_MSGRESULT.
bool AnswersDirectly(UINT msg) {
  return msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC);
}

}  // namespace

void SetDialogFocus(HWND dialog, HWND control) {
  if (!SetFocus(control) && GetFocus() != control) return;
  WithInfo(dialog, [&](DialogInfo& info) { info.savedFocus = control; });
  MoveDefaultLook(dialog, control);
}

}  // namespace gwes::dialog

using namespace gwes::dialog;

LRESULT DefDlgProcW(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongW(dialog, DWL_DLGPROC));
  SetWindowLongW(dialog, DWL_MSGRESULT, 0);
  INT_PTR handled = proc ? proc(dialog, msg, wParam, lParam) : 0;
  if (msg == WM_NCDESTROY) {
    RemoveInfo(dialog);
    return DefWindowProcW(dialog, msg, wParam, lParam);
  }
  if (handled) return AnswersDirectly(msg) ? handled : GetWindowLongW(dialog, DWL_MSGRESULT);
  if (!IsWindow(dialog)) return 0;
  return DefaultHandling(dialog, msg, wParam, lParam);
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> children = gwes::ChildWindowList(dialog);
  if (children.empty()) return nullptr;
  auto count = static_cast<long>(children.size());
  long start = previous ? 0 : count - 1;  // a null control: the search starts at the first (last) one
  for (long i = 0; i < count; ++i)
    if (children[i] == control) start = i;
  long step = previous ? -1 : 1;
  for (long n = 1; n <= count; ++n) {
    HWND candidate = children[((start + step * n) % count + count) % count];
    if ((StyleOf(candidate) & WS_TABSTOP) && Eligible(candidate)) return candidate;
  }
  return control;
}

// A group runs from a control with WS_GROUP (or the first control) up to the next one with
// WS_GROUP. Hidden and disabled controls still start and end groups but are never chosen; with none
// to choose the control itself is the answer. A null control (or the dialog) gives the first
// eligible control, wherever the dialog's first group starts.
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> children = gwes::ChildWindowList(dialog);
  if (!control || control == dialog) {
    if (previous) return nullptr;
    for (HWND child : children)
      if (Eligible(child)) return child;
    return nullptr;
  }
  auto count = static_cast<long>(children.size());
  long at = -1;
  for (long i = 0; i < count; ++i)
    if (children[i] == control) at = i;
  if (at < 0) return nullptr;
  long first = at;
  while (first > 0 && !(StyleOf(children[first]) & WS_GROUP)) --first;
  long last = at;
  while (last + 1 < count && !(StyleOf(children[last + 1]) & WS_GROUP)) ++last;
  long size = last - first + 1;
  long step = previous ? -1 : 1;
  for (long n = 1; n < size; ++n) {
    HWND candidate = children[first + (((at - first) + step * n) % size + size) % size];
    if (Eligible(candidate)) return candidate;
  }
  return control;
}

BOOL IsDialogMessageW(HWND dialog, MSG* msg) {
  if (!msg || !dialog || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) return FALSE;
  LRESULT code = DlgCode(msg->hwnd, msg);
  if (!(code & DLGC_WANTMESSAGE)) {
    if (msg->message == WM_KEYDOWN) {
      switch (msg->wParam) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) break;
          SendMessageW(dialog, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
          return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
          if (code & DLGC_WANTARROWS) break;
          HWND focus = ControlOf(dialog, GetFocus());
          HWND next = GetNextDlgGroupItem(dialog, focus, msg->wParam == VK_LEFT || msg->wParam == VK_UP);
          if (next && next != focus) {
            SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), 1);
            if (DlgCode(next) & DLGC_RADIOBUTTON) SendMessageW(next, BM_CLICK, 0, 0);
          }
          return TRUE;
        }
        case VK_ESCAPE:
          SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
          return TRUE;
        case VK_RETURN: {
          HWND focus = ControlOf(dialog, GetFocus());
          if (focus && (DlgCode(focus) & DLGC_DEFPUSHBUTTON)) {
            if (IsWindowEnabled(focus))
              SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(focus)), BN_CLICKED),
                           reinterpret_cast<LPARAM>(focus));
            return TRUE;
          }
          WORD id = DefaultId(dialog);
          if (!id) id = IDOK;
          HWND button = GetDlgItem(dialog, id);
          if (!button || IsWindowEnabled(button))
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
          return TRUE;
        }
        default:
          break;
      }
    } else if (msg->message == WM_CHAR) {
      // The characters of the keys the dialog itself acted on are dropped.
      bool wanted = (code & DLGC_WANTCHARS) || (msg->wParam == u'\t' && (code & DLGC_WANTTAB));
      if (!wanted && (msg->wParam == u'\t' || msg->wParam == u'\r' || msg->wParam == 0x1B)) return TRUE;
    }
  }
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return TRUE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int maxCount) {
  if (buffer && maxCount > 0) buffer[0] = 0;
  HWND item = GetDlgItem(dialog, id);
  return item ? static_cast<UINT>(GetWindowTextW(item, buffer, maxCount)) : 0;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextW(item, text) : FALSE;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageW(item, msg, wParam, lParam) : 0;
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  WCHAR text[32] = {};
  if (!GetDlgItemTextW(dialog, id, text, 32)) return 0;
  std::size_t i = 0;
  while (text[i] == u' ') ++i;
  bool negative = false;
  if (isSigned && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  if (text[i] < u'0' || text[i] > u'9') return 0;
  unsigned long long value = 0;
  for (; text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + static_cast<unsigned>(text[i] - u'0');
    if (value > (isSigned ? 0x80000000ULL - (negative ? 0 : 1) : 0xFFFFFFFFULL)) return 0;  // out of range
  }
  while (text[i] == u' ') ++i;
  if (text[i] != 0) return 0;
  if (translated) *translated = TRUE;
  return negative ? static_cast<UINT>(0U - static_cast<UINT>(value)) : static_cast<UINT>(value);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  std::string digits = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  return SetDlgItemTextW(dialog, id, std::u16string(digits.begin(), digits.end()).c_str());
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return FALSE;
  SendMessageW(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}
