// The power and battery page: the main battery's state, read twice a second into a status line
// and a gauge, and the choice of the suspend time-out on battery (10, 20 or 30 minutes, or never),
// stepped in memory by the arrows and written to "BattSuspend" only by OK, which then tells the
// power manager to reload its time-outs and has the settings snapshot written.
#pragma once

#include "res/resource.h"
#include "screens/battery_gauge.h"
#include "screens/skin_page.h"
#include "ui/local_string.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"

class CPowerDlg : public CSkinPage {
 public:
  CPowerDlg();

  // The refresh timer's id and period.
  static constexpr UINT_PTR kRefreshTimer = 1001;
  static constexpr UINT kRefreshMs = 500;

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  // Writes the choice, tells the power manager, has the snapshot written and ends the page.
  void OnOK() override;

 protected:
  // Left and Down step the choice down, Right and Up step it up; both then go on to the dialog
  // manager. The page keys of every page as CSkinPage knows them.
  BOOL OnPageKey(UINT key) override;

 private:
  enum class PowerState : int {
    kNone = 0,  // before the first refresh
    kOnLineFull = 1000,
    kCharging = 1200,
    kOnBattery = 1400,
    kNoBattery = 1500,
    kUnknown = -1,
  };
  struct PowerReading {
    PowerState state;
    int number;
  };

  // One status reading; advances the charging counter while the battery charges.
  PowerReading ReadPowerState();
  // Sets the gauge's position for a reading with a battery (or an unknown one) and returns the
  // status line that goes with it.
  CLocalString ShowBatteryReading(const PowerReading& reading);
  // Applies a reading that differs from the last one.
  void Refresh();
  void StepDown();
  void StepUp();
  // Puts the choice's text into the time-out box.
  void SetChoice(int choice);

  CSkinLabel m_title;
  CSkinLabel m_status;
  CSkinLabel m_caption;
  CBatteryGauge m_gauge;
  CSkinButton m_shorter;
  CSkinButton m_longer;

  // The choice, 1 to 4 (10, 20, 30 minutes, never), and the text the time-out box shows; both are
  // set afresh at every opening.
  int m_nChoice = 4;
  CLocalString m_timeoutText;
  // Runs 10, 20, ..., 100, 0, 10, ... while the battery charges.
  int m_nChargingCounter = 0;
  PowerReading m_last{PowerState::kNone, 0};
};
