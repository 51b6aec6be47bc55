// The dialog manager: dialogs created from DLGTEMPLATE resources, the dialog window procedure
// (DefDlgProcW), keyboard navigation between controls (IsDialogMessageW), modal loops that nest,
// the dialog item helpers and the standard message box.
#pragma once

#include <functional>

#include "platform/gwes/message_queue.h"

using INT_PTR = LONG_PTR;
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Standard command ids.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Dialog messages.
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;

// Dialog styles.
constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_SETFOREGROUND = 0x0200;
constexpr DWORD DS_CENTER = 0x0800;

// WM_GETDLGCODE answers.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// The button messages and styles the dialog manager sends and sets.
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_SETSTYLE = 0x00F4;
constexpr UINT BM_CLICK = 0x00F5;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr WORD BN_CLICKED = 0;

// Message box flags and answers.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x0040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;

// The dialog window class: "Dialog", with DLGWINDOWEXTRA extra bytes and DefDlgProcW.
inline constexpr char16_t kDialogClassName[] = u"Dialog";

// Creates a modeless dialog from template bytes (either layout): the dialog window (owned by
// `owner`), its font and controls, then WM_INITDIALOG with the first tab-stop control; when the
// dialog procedure returns TRUE that control is given the focus. Shown when the template asks for
// WS_VISIBLE. Null with ERROR_INVALID_PARAMETER for a template that does not parse,
// ERROR_CANNOT_FIND_WND_CLASS when a control's class is unknown.
HWND CreateDialogIndirectParamW(HINSTANCE instance, const void* dialogTemplate, HWND owner, DLGPROC proc,
                                LPARAM param);
// The template by resource (an id through MAKEINTRESOURCEW, or a name) of the module.
HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
// Runs a dialog modally: the owner (or, without one, the application's main window) is disabled
// until EndDialog; the dialog's own loop passes messages through IsDialogMessageW. Returns the
// EndDialog result, -1 when the dialog could not be created. A WM_QUIT ends the loop and is posted
// again for the enclosing loop.
INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const void* dialogTemplate, HWND owner, DLGPROC proc,
                                LPARAM param);
INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
// Ends a modal dialog's loop after the current message; the dialog is hidden and then destroyed by
// the loop. A modeless dialog is only hidden. FALSE for a window that is not a dialog.
BOOL EndDialog(HWND dialog, INT_PTR result);

LRESULT DefDlgProcW(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// Handles the message when it is meant for the dialog or one of its controls: keyboard navigation
// and the Enter and Escape commands, or dispatch. FALSE when the message is not the dialog's.
BOOL IsDialogMessageW(HWND dialog, MSG* msg);
// The next (or previous) visible, enabled WS_TABSTOP control after `control`, wrapping; the first
// (or last) one for a null control.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The next (or previous) visible, enabled control of the WS_GROUP run that holds `control`, wrapping
// inside the run.
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);

// Dialog units to pixels with the dialog's own font.
BOOL MapDialogRect(HWND dialog, RECT* rect);
// The system font's base units: width in the low word, height in the high word.
LONG GetDialogBaseUnits();

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int maxCount);
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);

// A modal box with the text and an OK button, centred on the screen; IDOK when dismissed, 0 when it
// could not be shown.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace gwes {

// The window a modal dialog without an owner disables while it runs (the application's main
// window); null when the application has none.
void SetModalOwnerFallback(std::function<HWND()> fallback);

// One turn of a modal loop: waits for a message and dispatches it, through IsDialogMessageW of
// `dialog` first when one is given. False when the loop must end: on a quit message, which is
// posted again so that the enclosing loop ends too, or when no message can be retrieved.
bool PumpModalMessage(HWND dialog = nullptr);

}  // namespace gwes
