#include "platform/gwes/controls/combo_list.h"

#include <algorithm>

#include "platform/gwes/controls/combo_box.h"
#include "platform/gwes/controls/list_box.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/surface.h"

namespace gwes {
namespace {

bool DropsDown(HWND combo) {
  return (static_cast<DWORD>(GetWindowLongW(combo, GWL_STYLE)) & CBS_TYPEMASK) != CBS_SIMPLE;
}

LRESULT ToList(const ComboListState& state, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return state.list ? SendMessageW(state.list, msg, wParam, lParam) : CB_ERR;
}
int Selection(const ComboListState& state) { return static_cast<int>(ToList(state, LB_GETCURSEL)); }

// The row under a point of the list, or -1 outside the rows.
int RowAt(HWND list, POINT point) {
  LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
  return HIWORD(static_cast<ULONG_PTR>(hit)) ? -1 : LOWORD(static_cast<ULONG_PTR>(hit));
}

// The combo's list: the stylus highlights the row under it and a release on a row picks it; a press
// outside the open list closes it unchanged. Everything else is the list box's.
LRESULT ComboListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND combo = reinterpret_cast<HWND>(GetWindowLongW(list, GWL_USERDATA));
  ComboListState* state = ComboListStateOf(combo);
  if (!state) return ListBoxWindowProc(list, msg, wParam, lParam);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT point = PointOf(lParam);
      RECT client;
      GetClientRect(list, &client);
      bool inside = point.x >= 0 && point.y >= 0 && point.x < client.right && point.y < client.bottom;
      if (state->dropped && !inside) {
        CloseList(combo, false);
        return 0;
      }
      if (!state->dropped) {  // a simple combo's list
        FocusCombo(combo);
        if (!(state = ComboListStateOf(combo))) return 0;
        if (GetCapture() != list) SetCapture(list);
      }
      state->listPressed = true;
      int row = RowAt(list, point);
      if (row >= 0) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
      if (msg == WM_LBUTTONDBLCLK && row >= 0 && !state->dropped) {
        state->listPressed = false;
        if (GetCapture() == list) ReleaseCapture();
        PickComboRow(combo, row);
        if (IsWindow(combo)) NotifyParent(combo, CBN_DBLCLK);
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      int row = RowAt(list, PointOf(lParam));
      if (row >= 0 && (state->listPressed || state->openingPress))
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
      return 0;
    }
    case WM_LBUTTONUP: {
      int row = RowAt(list, PointOf(lParam));
      bool pressed = state->listPressed;
      state->openingPress = state->listPressed = false;
      if (!state->dropped && GetCapture() == list) ReleaseCapture();
      if (row >= 0 && (pressed || state->dropped)) PickComboRow(combo, row);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (state->dropped) CloseList(combo, false);
      return 0;
    default: return ListBoxWindowProc(list, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterComboListClass() {
  RegisterListBoxClass();
  RegisterControlClass(kComboListClassName, ComboListProc);
}

HWND CreateComboList(HWND combo, DWORD listStyle, int width, int height) {
  HWND list = DropsDown(combo)
                  ? CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kComboListClassName, u"", WS_POPUP | listStyle,
                                    0, 0, width, height, combo, nullptr, nullptr, nullptr)
                  : CreateWindowExW(0, kComboListClassName, u"", WS_CHILD | WS_VISIBLE | listStyle, 0, 0, width,
                                    height, combo, reinterpret_cast<HMENU>(static_cast<LONG_PTR>(kComboListId)),
                                    nullptr, nullptr);
  if (list) SetWindowLongW(list, GWL_USERDATA, reinterpret_cast<LONG_PTR>(combo));
  return list;
}

RECT DroppedListRect(HWND combo) {
  const ComboListState& state = *ComboListStateOf(combo);
  RECT place;
  GetWindowRect(combo, &place);
  int width = std::max(state.droppedWidth, static_cast<int>(place.right - place.left));
  int row = static_cast<int>(ToList(state, LB_GETITEMHEIGHT));
  int rows = std::max(1, static_cast<int>(ToList(state, LB_GETCOUNT)));
  int room = std::max(row + 2, state.droppedHeight - static_cast<int>(place.bottom - place.top));
  int height = std::min(room, rows * row + 2);
  int top = place.bottom;
  if (top + height > kScreenHeight && place.top - height >= 0) top = place.top - height;
  return RECT{place.left, top, place.left + width, top + height};
}

void DropList(HWND combo, bool byPress) {
  if (!DropsDown(combo) || ComboListStateOf(combo)->dropped || !IsWindowEnabled(combo)) return;
  NotifyParent(combo, CBN_DROPDOWN);  // the parent may still fill the list
  if (!IsWindow(combo)) return;
  ComboListState& state = *ComboListStateOf(combo);
  state.dropped = true;
  state.openingPress = byPress;
  state.listPressed = false;
  state.selectionAtDrop = Selection(state);
  RECT place = DroppedListRect(combo);
  SetWindowPos(state.list, HWND_TOPMOST, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  if (state.selectionAtDrop >= 0) ToList(state, LB_SETCURSEL, static_cast<WPARAM>(state.selectionAtDrop));
  SetCapture(state.list);
  InvalidateRect(combo, nullptr, TRUE);
}

void CloseList(HWND combo, bool ok) {
  ComboListState* state = ComboListStateOf(combo);
  if (!state || !state->dropped) return;
  state->dropped = false;
  state->openingPress = state->listPressed = false;
  HWND list = state->list;
  if (!ok) {
    int before = state->selectionAtDrop;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(static_cast<LONG_PTR>(before)), 0);
  }
  NotifyParent(combo, ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
  if (IsWindow(list)) {
    if (GetCapture() == list) ReleaseCapture();
    ShowWindow(list, SW_HIDE);
  }
  if (!IsWindow(combo)) return;
  InvalidateRect(combo, nullptr, TRUE);
  NotifyParent(combo, CBN_CLOSEUP);
}

void PlaceList(HWND combo) {
  ComboListState* state = ComboListStateOf(combo);
  if (!state || !state->dropped) return;
  RECT place = DroppedListRect(combo);
  MoveWindow(state->list, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

bool ListKeyDown(HWND combo, WPARAM vk) {
  ComboListState& state = *ComboListStateOf(combo);
  if (vk == kKeyF4 && DropsDown(combo)) {
    if (state.dropped) {
      int selection = Selection(state);
      if (selection >= 0) PickComboRow(combo, selection);
      else CloseList(combo, true);
    } else {
      DropList(combo, false);
    }
    return true;
  }
  if (state.dropped && (vk == VK_RETURN || vk == VK_ESCAPE)) {
    int selection = Selection(state);
    if (vk == VK_RETURN && selection >= 0) PickComboRow(combo, selection);
    else CloseList(combo, vk == VK_RETURN);
    return true;
  }
  if (vk == VK_DOWN && state.extendedUI && !state.dropped && DropsDown(combo)) {
    DropList(combo, false);
    return true;
  }
  return false;
}

}  // namespace gwes
