// The "Button" control: push buttons (plain, default and owner-drawn). A press inside followed by a
// release inside clicks (WM_COMMAND BN_CLICKED to the parent); Space pressed and released clicks
// too. An owner-drawn button asks its parent to draw it with WM_DRAWITEM. Check boxes and radio
// buttons are accepted as styles but draw and behave as push buttons.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/gwes_types.h"

// Button styles (the type is the low four bits); BS_PUSHBUTTON and BS_DEFPUSHBUTTON, BM_GETCHECK,
// BM_SETCHECK, BM_SETSTYLE, BM_CLICK and BN_CLICKED come with the dialog manager's header.
constexpr DWORD BS_CHECKBOX = 0x0002;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_RADIOBUTTON = 0x0004;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_USERBUTTON = 0x0008;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD BS_OWNERDRAW = 0x000B;
constexpr DWORD BS_TYPEMASK = 0x000F;
constexpr DWORD BS_NOTIFY = 0x4000;

// Button messages.
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;

// BM_GETSTATE bits.
constexpr LRESULT BST_UNCHECKED = 0x0000;
constexpr LRESULT BST_CHECKED = 0x0001;
constexpr LRESULT BST_PUSHED = 0x0004;
constexpr LRESULT BST_FOCUS = 0x0008;

// Notifications (WM_COMMAND high word).
constexpr WORD BN_DBLCLK = 5;
constexpr WORD BN_DOUBLECLICKED = BN_DBLCLK;
constexpr WORD BN_SETFOCUS = 6;
constexpr WORD BN_KILLFOCUS = 7;

// Owner drawing.
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_FOCUS = 0x0010;

struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};

constexpr char16_t kButtonClassName[] = u"Button";

namespace gwes {

// Registers the class (CS_DBLCLKS); fails harmlessly when it exists.
void RegisterButtonClass();

}  // namespace gwes
