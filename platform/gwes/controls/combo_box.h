// The "ComboBox" control: a selection field over a list of texts with 32-bit item values, kept in
// a list box of its own ("ComboLBox"). A drop-down combo (CBS_DROPDOWN, CBS_DROPDOWNLIST) is only
// as tall as its field; the height it is given is the height of its list, which opens below it (or
// above when the screen ends) as a top-most popup when the field is tapped or the list is asked to
// show. A tap on a row then selects it and closes the list; a tap elsewhere closes it unchanged.
// CBS_SIMPLE shows its list under the field at all times. CBS_DROPDOWN and CBS_SIMPLE type into an
// "Edit" child; a drop-down list shows the selected text itself, and its window text is that text.
// Up and Down (and Left, Right, Home, End, Page Up, Page Down) move the selection while the list is
// closed; F4 opens and closes it, and with the extended interface Down opens it. The parent hears
// CBN_SELCHANGE for the user's changes only, CBN_SETFOCUS and CBN_KILLFOCUS, and CBN_DROPDOWN,
// CBN_SELENDOK or CBN_SELENDCANCEL and CBN_CLOSEUP around the list.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/gwes_types.h"

// Combo box styles.
constexpr DWORD CBS_SIMPLE = 0x0001;
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_TYPEMASK = 0x0003;
constexpr DWORD CBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD CBS_AUTOHSCROLL = 0x0040;
constexpr DWORD CBS_OEMCONVERT = 0x0080;
constexpr DWORD CBS_SORT = 0x0100;
constexpr DWORD CBS_HASSTRINGS = 0x0200;
constexpr DWORD CBS_NOINTEGRALHEIGHT = 0x0400;
constexpr DWORD CBS_DISABLENOSCROLL = 0x0800;
constexpr DWORD CBS_UPPERCASE = 0x2000;
constexpr DWORD CBS_LOWERCASE = 0x4000;

// Combo box messages.
constexpr UINT CB_GETEDITSEL = 0x0140;
constexpr UINT CB_LIMITTEXT = 0x0141;
constexpr UINT CB_SETEDITSEL = 0x0142;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;
constexpr UINT CB_SELECTSTRING = 0x014D;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_SHOWDROPDOWN = 0x014F;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDCONTROLRECT = 0x0152;
constexpr UINT CB_GETITEMHEIGHT = 0x0154;
constexpr UINT CB_SETEXTENDEDUI = 0x0155;
constexpr UINT CB_GETEXTENDEDUI = 0x0156;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr UINT CB_GETTOPINDEX = 0x015B;
constexpr UINT CB_SETTOPINDEX = 0x015C;
constexpr UINT CB_GETDROPPEDWIDTH = 0x015F;
constexpr UINT CB_SETDROPPEDWIDTH = 0x0160;

// Answers.
constexpr LRESULT CB_OKAY = 0;
constexpr LRESULT CB_ERR = -1;
constexpr LRESULT CB_ERRSPACE = -2;

// Notifications (WM_COMMAND high word).
constexpr WORD CBN_ERRSPACE = static_cast<WORD>(-1);
constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD CBN_DBLCLK = 2;
constexpr WORD CBN_SETFOCUS = 3;
constexpr WORD CBN_KILLFOCUS = 4;
constexpr WORD CBN_EDITCHANGE = 5;
constexpr WORD CBN_EDITUPDATE = 6;
constexpr WORD CBN_DROPDOWN = 7;
constexpr WORD CBN_CLOSEUP = 8;
constexpr WORD CBN_SELENDOK = 9;
constexpr WORD CBN_SELENDCANCEL = 10;

constexpr char16_t kComboBoxClassName[] = u"ComboBox";
// The class of a combo box's own list.
constexpr char16_t kComboListClassName[] = u"ComboLBox";

namespace gwes {

// Registers "ComboBox" and "ComboLBox" (the list box class included); fails harmlessly when they
// exist. CBS_DROPDOWN and CBS_SIMPLE need the "Edit" class as well.
void RegisterComboBoxClass();

// The id of a combo box's edit child and of its list, as in Win32.
constexpr int kComboEditId = 1001;
constexpr int kComboListId = 1000;

}  // namespace gwes
