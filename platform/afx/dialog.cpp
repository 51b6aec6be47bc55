#include "platform/afx/dialog.h"

#include "platform/afx/winapp.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/paint.h"

namespace {

// The dialog DoModal is creating; AfxDlgProc binds it at the window's first dialog message.
thread_local CDialog* t_creatingDialog = nullptr;

bool IsInputMessage(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST);
}

// Offers the message to the objects from its window up through its parents, ending at the first
// top-level window (never the owner: a page's keys are not its opener's).
BOOL WalkPreTranslateTree(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd && ::IsWindow(hwnd); hwnd = ::GetParent(hwnd)) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd); wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    if (!(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) break;
  }
  return FALSE;
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::CDialog() = default;

BOOL CDialog::InitModalIndirect(const void* dialogTemplate, CWnd* parent) {
  m_lpDialogTemplate = dialogTemplate;
  m_pParentWnd = parent;
  return dialogTemplate != nullptr;
}

INT_PTR CDialog::DoModal() {
  // The window the dialog runs over is disabled for the dialog's lifetime.
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  HWND disabled = owner;
  if (!disabled) {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd) disabled = app->m_pMainWnd->m_hWnd;
  }
  bool enableAfter = disabled && ::IsWindow(disabled) && ::IsWindowEnabled(disabled);
  if (enableAfter) ::EnableWindow(disabled, FALSE);

  m_bContinueModal = true;
  m_nModalResult = -1;
  CDialog* outer = t_creatingDialog;
  t_creatingDialog = this;
  // A template of the program's resources is found and loaded by the dialog manager.
  auto param = reinterpret_cast<LPARAM>(this);
  HWND dialog = m_lpDialogTemplate
                    ? ::CreateDialogIndirectParamW(nullptr, m_lpDialogTemplate, owner, &AfxDlgProc, param)
                    : ::CreateDialogParamW(nullptr, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(m_nIDTemplate)),
                                           owner, &AfxDlgProc, param);
  t_creatingDialog = outer;

  if (dialog && m_hWnd == dialog) RunModalLoop();
  m_bContinueModal = false;

  if (m_hWnd) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  }
  if (enableAfter) ::EnableWindow(disabled, TRUE);
  if (m_hWnd) {
    if (disabled && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(disabled);
    ::DestroyWindow(m_hWnd);
  } else if (dialog && ::IsWindow(dialog)) {
    ::DestroyWindow(dialog);
  }
  return m_nModalResult;
}

int CDialog::RunModalLoop() {
  bool showWhenIdle = !::IsWindowVisible(m_hWnd);
  MSG msg{};
  while (m_bContinueModal && m_hWnd) {
    // Like the desktop framework, a dialog created hidden is shown once its queue first runs dry.
    if (showWhenIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
      ::UpdateWindow(m_hWnd);
      showWhenIdle = false;
    }
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      m_nModalResult = -1;
      break;
    }
    if (got < 0) break;
    if (!WalkPreTranslateTree(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return m_nModalResult;
}

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  if (m_bContinueModal) {
    m_bContinueModal = false;
    // Wakes the loop when the end came from outside a dispatched message.
    if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
  }
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange{this, saveAndValidate};
  DoDataExchange(&exchange);
  return TRUE;
}

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
  if (control.m_hWnd == nullptr) control.SubclassDlgItem(static_cast<UINT>(id), exchange->m_pDlgWnd);
}
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (!m_hWnd || !IsInputMessage(msg->message)) return FALSE;
  if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
  return ::IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDOK:
        OnOK();
        return TRUE;
      case IDCANCEL:
        OnCancel();
        return TRUE;
      default:
        break;
    }
  }
  return CWnd::OnCommand(wParam, lParam);
}

void CDialog::OnClose() {
  SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, IDCANCEL)));
}

INT_PTR AfxDlgProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
  auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hwnd));
  if (!dialog && t_creatingDialog && !t_creatingDialog->m_hWnd) {
    dialog = t_creatingDialog;
    t_creatingDialog = nullptr;
    dialog->SubclassWindow(hwnd);
  }
  if (dialog && msg == WM_INITDIALOG) return dialog->OnInitDialog();
  return FALSE;
}
