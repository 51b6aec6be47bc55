// The dialog manager's private state: what each live dialog keeps beside its window (font, base
// units, the control that had the focus, the default id, the modal loop's end request).
#pragma once

#include "platform/gwes/dialog/dialog.h"
#include <optional>

#include "platform/gwes/dialog_template.h"
#include "platform/gwes/gdi.h"

namespace gwes::dialog {

struct DialogInfo {
  HFONT font = nullptr;
  bool ownsFont = false;
  int baseX = 0;  // average character width in pixels
  int baseY = 0;  // character height in pixels
  HWND savedFocus = nullptr;
  WORD defId = 0;  // 0: none set
  bool modal = false;
  HWND disabledOwner = nullptr;  // what a modal loop disabled and must enable again
  bool ended = false;
  INT_PTR result = 0;
};

// Records the dialog's state. Returns false for a window that is not a dialog.
bool WithInfo(HWND dialog, const std::function<void(DialogInfo&)>& use);
void AddInfo(HWND dialog, const DialogInfo& info);
void RemoveInfo(HWND dialog);
// The module's RT_DIALOG resource, parsed; nullopt (with the resource error) when absent.
std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE instance, LPCWSTR templateName);
// Registers the dialog class once.
void EnsureDialogClass();
// Gives the focus to a control and moves the default push button look with it.
void SetDialogFocus(HWND dialog, HWND control);
// The control the dialog starts with: the first tab-stop one, else the first visible enabled one.
HWND FirstFocusable(HWND dialog);

}  // namespace gwes::dialog
