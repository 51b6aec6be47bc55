#include "screens/power_dlg.h"

#include <string>
#include <string_view>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/power.h"
#include "platform/kernel/power_manager.h"
#include "platform/kernel/sync_objects.h"
#include "screens/power_timeout_store.h"
#include "screens/snapshot_request.h"

namespace {

constexpr COLORREF kTextColour = RGB(89, 89, 89);
constexpr int kStatusHeight = 12;

// The time-out choices 1 to 4: the text shown and the seconds written.
struct TimeoutChoice {
  UINT textId;
  DWORD seconds;
};
constexpr TimeoutChoice kChoices[] = {
    {IDS_SUSPEND_10_MINUTES, 600},
    {IDS_SUSPEND_20_MINUTES, 1200},
    {IDS_SUSPEND_30_MINUTES, 1800},
    {IDS_SUSPEND_NEVER, 0},
};
constexpr int kNeverChoice = 4;

// Only the three offered durations map to a choice of their own; every other stored value, 0 and
// a missing value included, reads as never.
int ChoiceForSeconds(DWORD seconds) {
  for (int i = 0; i < kNeverChoice - 1; ++i) {
    if (kChoices[i].seconds == seconds) return i + 1;
  }
  return kNeverChoice;
}

bool TextIs(const CLocalString& text, UINT id) {
  CLocalString other;
  other.LoadString(id);
  return std::u16string_view(text.GetText()) == std::u16string_view(other.GetText());
}

// String `id` with its "%d" replaced by `number` and "%%" by "%". Any other '%' stays as it is, so
// a translated string with another conversion shows that text rather than reading a missing value.
CLocalString FormatNumber(UINT id, int number) {
  CLocalString format;
  format.LoadString(id);
  std::u16string_view in(format.GetText());
  std::u16string out;
  bool numberUsed = false;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == u'%' && i + 1 < in.size() && in[i + 1] == u'%') {
      out += u'%';
      ++i;
    } else if (in[i] == u'%' && i + 1 < in.size() && in[i + 1] == u'd' && !numberUsed) {
      for (char c : std::to_string(number)) out += static_cast<char16_t>(c);
      numberUsed = true;
      ++i;
    } else {
      out += in[i];
    }
  }
  CLocalString text;
  text.Assign(out.c_str());
  return text;
}

void StyleLabel(CSkinLabel& label, int height) {
  label.SetColor(kTextColour);
  label.SetHeight(height);
  label.SetBold(TRUE);
}

}  // namespace

CPowerDlg::CPowerDlg() : CSkinPage(IDD_POWER, IDB_POWER_BACKGROUND) {}

void CPowerDlg::DoDataExchange(CDataExchange* exchange) {
  DDX_Control(exchange, IDC_POWER_TITLE, m_title);
  DDX_Control(exchange, IDC_POWER_STATUS, m_status);
  DDX_Control(exchange, IDC_POWER_TIMEOUT_CAPTION, m_caption);
  DDX_Control(exchange, IDC_POWER_GAUGE, m_gauge);
  DDX_Control(exchange, IDC_POWER_SHORTER, m_shorter);
  DDX_Control(exchange, IDC_POWER_LONGER, m_longer);
}

BOOL CPowerDlg::OnInitDialog() {
  CSkinPage::OnInitDialog();

  SetUpTitle(m_title, IDS_MENU_POWER);
  PlaceButton(m_shorter, 65, 142, 27, 27, IDB_ARROW_LEFT_NORMAL, IDB_ARROW_LEFT_FOCUS, IDB_ARROW_LEFT_NORMAL);
  PlaceButton(m_longer, 228, 142, 27, 27, IDB_ARROW_RIGHT_NORMAL, IDB_ARROW_RIGHT_FOCUS, IDB_ARROW_RIGHT_NORMAL);
  GetDlgItem(IDC_POWER_TIMEOUT)->MoveWindow(100, 143, 120, 25);

  SetChoice(ChoiceForSeconds(PowerTimeoutStore::ReadBattSuspend()));

  m_gauge.MoveWindow(38, 87, 237, 8);
  m_gauge.SetRange(0, 100);
  m_gauge.SetStep(1);

  // At opening a missing battery reads like an unknown state; the refresh says more.
  PowerReading reading = ReadPowerState();
  if (reading.state == PowerState::kNoBattery) reading.state = PowerState::kUnknown;
  CLocalString status = ShowBatteryReading(reading);
  m_status.SetWindowText(status);
  StyleLabel(m_status, kStatusHeight);

  CLocalString caption;
  caption.LoadString(IDS_SUSPEND_CAPTION);
  StyleLabel(m_caption, kStatusHeight);
  m_caption.SetWindowText(caption);
  m_caption.MoveWindow(20, 120, 300, 20);

  SetTimer(kRefreshTimer, kRefreshMs);
  GetDlgItem(IDC_POWER_TIMEOUT)->SetFocus();
  m_last = PowerReading{PowerState::kNone, 0};
  return FALSE;  // the focus is placed
}

CPowerDlg::PowerReading CPowerDlg::ReadPowerState() {
  SYSTEM_POWER_STATUS_EX status{};
  if (!GetSystemPowerStatusEx(&status, TRUE)) return {PowerState::kUnknown, 0};
  if (status.ACLineStatus != AC_LINE_ONLINE) return {PowerState::kOnBattery, status.BatteryLifePercent};
  // The flag is one value here, not a set of bits: high and charging together is unknown.
  switch (status.BatteryFlag) {
    case BATTERY_FLAG_HIGH:
      return {PowerState::kOnLineFull, 100};
    case BATTERY_FLAG_CHARGING:
      m_nChargingCounter += 10;
      if (m_nChargingCounter > 100) m_nChargingCounter = 0;
      return {PowerState::kCharging, m_nChargingCounter};
    case BATTERY_FLAG_NO_BATTERY:
      return {PowerState::kNoBattery, 0};
    default:
      return {PowerState::kUnknown, 0};
  }
}

CLocalString CPowerDlg::ShowBatteryReading(const PowerReading& reading) {
  CLocalString text;
  switch (reading.state) {
    case PowerState::kOnLineFull:
      text = FormatNumber(IDS_BATTERY_REMAINING, 100);
      m_gauge.SetPos(100);
      break;
    case PowerState::kCharging:
      text.LoadString(IDS_BATTERY_CHARGING);
      m_gauge.SetPos(reading.number);
      break;
    case PowerState::kOnBattery:
      text = FormatNumber(IDS_BATTERY_REMAINING, reading.number);
      m_gauge.SetPos(reading.number);
      break;
    default:
      text = FormatNumber(IDS_BATTERY_REMAINING, 0);
      m_gauge.SetPos(0);
      break;
  }
  return text;
}

void CPowerDlg::Refresh() {
  PowerReading now = ReadPowerState();
  if (now.state == m_last.state && now.number == m_last.number) return;

  CLocalString text;
  if (now.state == PowerState::kNoBattery) {
    m_gauge.ShowWindow(SW_HIDE);
    text.LoadString(IDS_EXTERNAL_POWER);
    m_status.SetWindowText(text);
  } else {
    // The gauge shows in every state with a battery, also when one comes back after a reading
    // without one.
    text = ShowBatteryReading(now);
    m_gauge.ShowWindow(SW_SHOW);
  }
  m_last = now;

  if (m_status.GetWindowText() == std::u16string_view(text.GetText())) return;
  m_status.SetWindowText(text);
  RECT area{};
  m_status.GetWindowRect(&area);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
  ::InvalidateRect(m_hWnd, &area, TRUE);
}

void CPowerDlg::SetChoice(int choice) {
  m_nChoice = choice;
  m_timeoutText.LoadString(kChoices[choice - 1].textId);
  GetDlgItem(IDC_POWER_TIMEOUT)->SetWindowText(m_timeoutText);
}

void CPowerDlg::StepDown() {
  if (TextIs(m_timeoutText, IDS_SUSPEND_NEVER)) {
    SetChoice(3);
  } else if (TextIs(m_timeoutText, IDS_SUSPEND_30_MINUTES)) {
    SetChoice(2);
  } else {
    SetChoice(1);
  }
  GetDlgItem(IDC_POWER_TIMEOUT_LIST)->SetFocus();
}

void CPowerDlg::StepUp() {
  if (TextIs(m_timeoutText, IDS_SUSPEND_10_MINUTES)) {
    SetChoice(2);
  } else if (TextIs(m_timeoutText, IDS_SUSPEND_20_MINUTES)) {
    SetChoice(3);
  } else {
    SetChoice(kNeverChoice);
  }
  GetDlgItem(IDC_POWER_TIMEOUT_LIST)->SetFocus();
}

BOOL CPowerDlg::OnPageKey(UINT key) {
  switch (key) {
    case VK_LEFT:
    case VK_DOWN:
      StepDown();
      return FALSE;
    case VK_RIGHT:
    case VK_UP:
      StepUp();
      return FALSE;
    default:
      return CSkinPage::OnPageKey(key);
  }
}

BOOL CPowerDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  if (lParam != 0 && HIWORD(wParam) == BN_CLICKED && (id == IDC_POWER_SHORTER || id == IDC_POWER_LONGER)) {
    id == IDC_POWER_SHORTER ? StepDown() : StepUp();
    return TRUE;
  }
  return CSkinPage::OnCommand(wParam, lParam);
}

void CPowerDlg::OnTimer(UINT_PTR id) {
  if (id != kRefreshTimer) {
    CSkinPage::OnTimer(id);
    return;
  }
  Refresh();
}

void CPowerDlg::OnOK() {
  if (m_nChoice >= 1 && m_nChoice <= kNeverChoice) PowerTimeoutStore::WriteBattSuspend(kChoices[m_nChoice - 1].seconds);
  // The power manager is told even when the write failed.
  if (HANDLE event = CreateEventW(nullptr, FALSE, FALSE, kernel::kReloadTimeoutsEvent); event != nullptr) {
    SetEvent(event);
    CloseHandle(event);
  }
  RequestSnapshot();
  CSkinPage::OnOK();
}
