// The screen calibration page. OK (or Enter) runs the system's touch alignment; once an alignment
// completes, the page waits half a second, then copies the new calibration string into the
// platform's persistent store block (after the magic 0x55 0xAA 0x55 0xAA, one byte a character),
// hands the block back, reports "Calibration succeeded" and ends. The low-battery warning is held
// off from the start of the alignment until the store has run.
#pragma once

#include <memory>

#include "platform/kernel/win32_types.h"
#include "res/resource.h"
#include "screens/skin_page.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"

class CCalibrationDlg : public CSkinPage {
 public:
  // Sent by the page to itself when the wait after an alignment is over; it runs the store.
  static constexpr UINT kStoreMessage = WM_USER + 100;
  static constexpr UINT_PTR kStoreTimer = 1;
  static constexpr UINT kStoreDelayMs = 500;
  static constexpr BYTE kBlockMagic[4] = {0x55, 0xAA, 0x55, 0xAA};

  CCalibrationDlg() : CSkinPage(IDD_CALIBRATION, IDB_CALIBRATION_BACKGROUND) {}
  ~CCalibrationDlg() override;

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  // Starts an alignment unless one is pending.
  void OnOK() override;
  // Ends the page; an alignment waiting for its store lets its block and hold go.
  void OnCancel() override;
  void OnTimer(UINT_PTR id) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The page's keys count only while the main window it saw at opening is still the main window.
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  BOOL OnPageKey(UINT key) override;

 private:
  void StoreCalibration();
  // Copies "CalibrationData" into the block after the magic; false (after telling the user) when
  // the registry could not give it.
  bool CopyCalibrationString();
  // Ends a pending alignment: the block freed, not busy, the hold released.
  void EndAlignment();

  BOOL m_bBusy = FALSE;
  std::unique_ptr<BYTE[]> m_pBlock;
  CWnd* m_pMainWndAtInit = nullptr;
  CSkinLabel m_title;
  CSkinLabel m_heading;
  CSkinLabel m_instructions;
  // Bound as the template has them, never shown or used.
  CWnd m_hiddenAlign;
  CWnd m_hiddenSucceed;
};
