// The standard controls of the window system ("Button", "Static", "Edit"): their registration and
// their notifications. The WM_GETDLGCODE answers and the button values the dialog manager uses
// come from its header.
#pragma once

#include "platform/gwes/dialog/dialog.h"
#include "platform/gwes/window.h"

namespace gwes {

// Registers the "Button", "Static" and "Edit" classes; any later call does nothing. Safe to call
// from any thread.
void RegisterStandardControls();

// Sends WM_COMMAND (control id, code) with the control's window to the control's parent; nothing
// when it has none.
void NotifyParent(HWND control, WORD code);

}  // namespace gwes
