#include "screens/calibration_dlg.h"

#include <new>

#include "platform/afx/win_thread.h"
#include "platform/gwes/dialog/dialog.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/touch_calibrate.h"
#include "platform/kernel/hardware.h"
#include "platform/kernel/registry.h"
#include "screens/battery_hold.h"
#include "screens/message_dlg.h"
#include "screens/platform_requests.h"
#include "ui/local_string.h"

namespace {

constexpr const char16_t* kTouchKey = u"HARDWARE\\DEVICEMAP\\TOUCH";
constexpr const char16_t* kCalibrationValue = u"CalibrationData";
// At most 125 characters and the terminating zero are read.
constexpr DWORD kCalibrationBytes = 253;

void ShowRegistryError(HWND owner, UINT stringId) {
  CLocalString text;
  text.LoadString(stringId);
  MessageBoxW(owner, text, u"", MB_OK);
}

}  // namespace

CCalibrationDlg::~CCalibrationDlg() { EndAlignment(); }

void CCalibrationDlg::DoDataExchange(CDataExchange* exchange) {
  DDX_Control(exchange, IDC_CALIBRATION_TITLE, m_title);
  DDX_Control(exchange, IDC_CALIBRATION_HEADING, m_heading);
  DDX_Control(exchange, IDC_CALIBRATION_TEXT, m_instructions);
  DDX_Control(exchange, IDC_CALIBRATION_HIDDEN_ALIGN, m_hiddenAlign);
  DDX_Control(exchange, IDC_CALIBRATION_HIDDEN_SUCCEED, m_hiddenSucceed);
}

BOOL CCalibrationDlg::OnInitDialog() {
  CSkinPage::OnInitDialog();
  m_pMainWndAtInit = AfxGetMainWnd();
  SetUpTitle(m_title, IDS_MENU_SCREEN);
  SetUpLabel(m_heading, IDS_ALIGN_SCREEN, 15, 30, 70, 200, 30);
  SetUpLabel(m_instructions, IDS_ALIGN_INSTRUCTIONS, 13, 30, 100, 260, 80);
  m_bBusy = FALSE;
  m_pBlock.reset();
  return TRUE;
}

void CCalibrationDlg::OnOK() {
  if (m_bBusy) return;
  m_bBusy = TRUE;
  m_pBlock.reset(new (std::nothrow) BYTE[kStoreBlockSize]);
  if (!m_pBlock) {  // no memory for the block: nothing could be stored, so no alignment starts
    m_bBusy = FALSE;
    return;
  }
  ReadStoreBlock(m_pBlock.get());
  HoldBatteryWarning(true);
  BOOL aligned = TouchCalibrate();
  // The page may have been cancelled while the alignment ran; the cancel let the hold go already.
  if (!m_bBusy) return;
  if (aligned) {
    SetTimer(kStoreTimer, kStoreDelayMs);
  } else {
    EndAlignment();
  }
}

void CCalibrationDlg::OnCancel() {
  if (m_bBusy) {
    KillTimer(kStoreTimer);
    EndAlignment();
  }
  CSkinPage::OnCancel();
}

void CCalibrationDlg::OnTimer(UINT_PTR id) {
  KillTimer(id);
  if (m_bBusy) SendMessage(kStoreMessage);
}

LRESULT CCalibrationDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kStoreMessage) {
    if (m_bBusy && m_pBlock) StoreCalibration();
    return 0;
  }
  return CSkinPage::WindowProc(msg, wParam, lParam);
}

void CCalibrationDlg::StoreCalibration() {
  std::copy(std::begin(kBlockMagic), std::end(kBlockMagic), m_pBlock.get());
  if (CopyCalibrationString()) {
    WriteStoreBlock(m_pBlock.get());
    m_pBlock.reset();
    CMessageDlg message;
    message.SetTextId(IDS_CALIBRATION_SUCCEEDED);
    message.DoModal();
  }
  EndAlignment();
  if (m_pMainWndAtInit != nullptr && ::IsWindow(m_pMainWndAtInit->m_hWnd)) {
    ::SetForegroundWindow(m_pMainWndAtInit->m_hWnd);
  }
  CSkinPage::OnCancel();
}

bool CCalibrationDlg::CopyCalibrationString() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTouchKey, 0, 0, &key) != ERROR_SUCCESS) {
    ShowRegistryError(m_hWnd, IDS_FAILED_OPEN_REGISTER);
    return false;
  }
  BYTE text[kCalibrationBytes] = {};
  DWORD size = kCalibrationBytes;
  LONG status = RegQueryValueExW(key, kCalibrationValue, nullptr, nullptr, text, &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) {
    ShowRegistryError(m_hWnd, IDS_FAILED_QUERY_REGISTER);
    return false;
  }
  // The characters before the first zero, one byte each: the low byte of each UTF-16 unit.
  BYTE* out = m_pBlock.get() + sizeof kBlockMagic;
  for (DWORD unit = 0; unit < size / 2 && (text[2 * unit] | text[2 * unit + 1]) != 0; ++unit) *out++ = text[2 * unit];
  return true;
}

void CCalibrationDlg::EndAlignment() {
  if (!m_bBusy) return;
  m_pBlock.reset();
  m_bBusy = FALSE;
  HoldBatteryWarning(false);
}

BOOL CCalibrationDlg::PreTranslateMessage(MSG* msg) {
  if (AfxGetMainWnd() != m_pMainWndAtInit) return CDialog::PreTranslateMessage(msg);
  return CSkinPage::PreTranslateMessage(msg);
}

BOOL CCalibrationDlg::OnPageKey(UINT key) {
  switch (key) {
    case VK_RETURN:
      OnOK();
      return TRUE;
    case VK_DEVICE_CLOSE:
      if (m_bBusy) return FALSE;  // no special meaning while an alignment is pending
      break;
    default:
      break;
  }
  return CSkinPage::OnPageKey(key);
}
