// Modal dialogs of the framework. DoModal loads the dialog's template from the program's
// resources (or takes one in memory), disables the window it runs over — its parent, or when it
// has none the application's main window — creates the dialog modeless and runs its own message
// loop until EndDialog, then enables that window again and destroys the dialog. Loops nest: a
// dialog may run another dialog modally from any handler. Every message of the loop first goes
// through the PreTranslateMessage chain (the target window's object, up to the dialog, whose
// default passes input to IsDialogMessageW).
#pragma once

#include "platform/afx/wnd.h"
#include "platform/gwes/dialog/dialog.h"

// What DoDataExchange is asked to do: bind the dialog's members to its controls.
struct CDataExchange {
  CWnd* m_pDlgWnd = nullptr;
  BOOL m_bSaveAndValidate = FALSE;
};

// Binds `control` to the dialog's control `id` (once; a bound member stays bound).
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  // A dialog made from template bytes the caller keeps alive for the whole DoModal.
  CDialog();
  BOOL InitModalIndirect(const void* dialogTemplate, CWnd* parent = nullptr);

  // The EndDialog result; -1 when the template is missing or the dialog could not be created.
  virtual INT_PTR DoModal();
  // Called once the controls exist: binds the members (UpdateData); true gives the focus to the
  // first tab-stop control.
  virtual BOOL OnInitDialog();
  // Binds members to controls (and, in dialogs that keep values, moves them); the default does
  // nothing.
  virtual void DoDataExchange(CDataExchange* exchange);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  virtual void OnOK();
  virtual void OnCancel();
  // Ends the modal loop after the current message; DoModal returns the result.
  void EndDialog(int result);

  // Keyboard and stylus messages for the dialog or its controls go to IsDialogMessageW.
  BOOL PreTranslateMessage(MSG* msg) override;
  // Routes the IDOK and IDCANCEL commands to OnOK and OnCancel.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // A close request is the Cancel command.
  void OnClose() override;

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;
  const void* m_lpDialogTemplate = nullptr;

 protected:
  // Runs the dialog's message loop until EndDialog, the dialog's destruction or WM_QUIT (which is
  // posted again for the enclosing loop); returns the result.
  int RunModalLoop();
  BOOL ContinueModal() const { return m_bContinueModal; }

 private:
  friend INT_PTR AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
  bool m_bContinueModal = false;
  int m_nModalResult = -1;
};

// The dialog procedure of framework dialogs: binds the dialog window to its object at its first
// message and answers WM_INITDIALOG with OnInitDialog.
INT_PTR AfxDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
