// The "Edit" control: one line of text (or several with ES_MULTILINE) typed at a caret. Typing,
// Backspace, Delete, Left, Right, Home and End edit and move the caret (Shift extends the
// selection); the parent hears EN_UPDATE then EN_CHANGE after each change of the text (typing,
// WM_SETTEXT, EM_REPLACESEL), EN_SETFOCUS and EN_KILLFOCUS, and EN_MAXTEXT when a change would pass
// the limit. While focused the caret, a one-pixel line, blinks on a timer.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/gwes_types.h"

// Edit styles.
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_UPPERCASE = 0x0008;
constexpr DWORD ES_LOWERCASE = 0x0010;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr DWORD ES_NUMBER = 0x2000;

// Edit messages.
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;

// Notifications (WM_COMMAND high word).
constexpr WORD EN_SETFOCUS = 0x0100;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_UPDATE = 0x0400;
constexpr WORD EN_MAXTEXT = 0x0501;

constexpr char16_t kEditClassName[] = u"Edit";

namespace gwes {

void RegisterEditClass();

// The caret's blink period (each half: shown, then hidden).
constexpr UINT kCaretBlinkMs = 500;

}  // namespace gwes
