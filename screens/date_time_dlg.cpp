#include "screens/date_time_dlg.h"

#include <cstdio>

#include "clock/time_zones.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/kernel/keyboard.h"

namespace {

constexpr int kDateBoxFontPixels = 14;
constexpr int kCaptionHeight = 15;
constexpr int kArrowSize = 27;
constexpr POINT kCalendarCorner{50, 0};
constexpr UINT kZoneListDroppedWidth = 100;
constexpr const char16_t* kTimeFormat = u"HH:mm:ss";

// The text exchanged with an edit control: shown towards the control, read back when saving.
void DDX_LocalText(CDataExchange* exchange, int id, CLocalString& text) {
  HWND item = ::GetDlgItem(exchange->m_pDlgWnd->m_hWnd, id);
  if (item == nullptr) return;
  if (exchange->m_bSaveAndValidate) {
    text.Assign(CWnd::FromHandle(item)->GetWindowText().c_str());
  } else {
    ::SetWindowTextW(item, text);
  }
}

}  // namespace

CDateTimeDlg::CDateTimeDlg(CWnd* owner) : CSkinPage(IDD_DATE_TIME, IDB_DATE_TIME_BACKGROUND, owner) {}

void CDateTimeDlg::DoDataExchange(CDataExchange* exchange) {
  DDX_Control(exchange, IDC_CLOCK_UNUSED_TIME, m_unusedPicker);
  DDX_Control(exchange, IDC_CLOCK_TIME, m_timePicker);
  DDX_Control(exchange, IDC_CLOCK_DATE_BUTTON, m_dateButton);
  DDX_Control(exchange, IDC_CLOCK_DATE, m_dateBox);
  DDX_Control(exchange, IDC_CLOCK_UP, m_up);
  DDX_Control(exchange, IDC_CLOCK_DOWN, m_down);
  DDX_Control(exchange, IDC_CLOCK_RIGHT, m_right);
  DDX_Control(exchange, IDC_CLOCK_LEFT, m_left);
  DDX_Control(exchange, IDC_CLOCK_ZONE_CAPTION, m_zoneCaption);
  DDX_Control(exchange, IDC_CLOCK_TIME_CAPTION, m_timeCaption);
  DDX_Control(exchange, IDC_CLOCK_DATE_CAPTION, m_dateCaption);
  DDX_Control(exchange, IDC_CLOCK_ZONE_LIST, m_zoneList);
  DDX_Control(exchange, IDC_CLOCK_TITLE, m_title);
  DDX_LocalText(exchange, IDC_CLOCK_ZONE_TEXT, m_zoneText);
}

BOOL CDateTimeDlg::OnInitDialog() {
  CSkinPage::OnInitDialog();
  TakeProgramTitleIfAlone();

  GetLocalTime(&m_date);
  GetTimeZoneInformation(&m_startZone);
  m_currentBias = m_startZone.Bias;

  LayOut();
  m_calendar.Create(WS_CHILD, kCalendarCorner, this, IDC_CLOCK_CALENDAR);
  m_calendar.SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  m_timePicker.SetFormat(kTimeFormat);
  CoverPickerSpin();

  FillZoneList(m_zoneList);
  SelectInitialZone(m_zoneList);
  m_zoneList.SetDroppedWidth(kZoneListDroppedWidth);
  m_zoneText.Assign(m_zoneList.GetLBText(m_zoneList.GetCurSel()).c_str());

  SetTimer(kDateTimer, kDateMs);
  SetTimer(kClockTimer, kClockMs);
  ShowDate();
  UpdateData(FALSE);
  // The dialog manager focuses the first tab stop, the date box.
  return TRUE;
}

void CDateTimeDlg::LayOut() {
  SetUpTitle(m_title, IDS_MENU_DATE_TIME);
  SetUpLabel(m_dateCaption, IDS_CLOCK_DATE_CAPTION, kCaptionHeight, 30, 125, 80, 17);
  SetUpLabel(m_timeCaption, IDS_CLOCK_TIME_CAPTION, kCaptionHeight, 150, 125, 144, 17);
  SetUpLabel(m_zoneCaption, IDS_CLOCK_ZONE_CAPTION, kCaptionHeight, 38, 67, 246, 20);
  m_dateBox.MoveWindow(30, 146, 80, 22);
  FitDateBoxFont();
  m_timePicker.MoveWindow(150, 146, 80, 22);
  m_zoneList.MoveWindow(68, 90, 186, 22);
  GetDlgItem(IDC_CLOCK_ZONE_TEXT)->MoveWindow(68, 90, 186, 22);
  PlaceButton(m_dateButton, 112, 144, kArrowSize, kArrowSize, IDB_ARROW_DOWN_NORMAL, IDB_ARROW_DOWN_FOCUS,
              IDB_ARROW_DOWN_FOCUS);
  PlaceButton(m_up, 232, 144, kArrowSize, kArrowSize, IDB_ARROW_UP_NORMAL, IDB_ARROW_UP_FOCUS, IDB_ARROW_UP_FOCUS);
  PlaceButton(m_down, 261, 144, kArrowSize, kArrowSize, IDB_ARROW_DOWN_NORMAL, IDB_ARROW_DOWN_FOCUS,
              IDB_ARROW_DOWN_FOCUS);
  PlaceButton(m_left, 33, 87, kArrowSize, kArrowSize, IDB_ARROW_LEFT_NORMAL, IDB_ARROW_LEFT_FOCUS,
              IDB_ARROW_LEFT_NORMAL);
  PlaceButton(m_right, 262, 87, kArrowSize, kArrowSize, IDB_ARROW_RIGHT_NORMAL, IDB_ARROW_RIGHT_FOCUS,
              IDB_ARROW_RIGHT_NORMAL);
}

CDateTimeDlg::~CDateTimeDlg() {
  if (m_hDateFont != nullptr) DeleteObject(m_hDateFont);
}

// In the dialog's 16-pixel face "dd/mm/yyyy" is wider than the 80-pixel box, and "hh:mm:ss" wider
// than the picker's text area beside its covered spin, so their last digits would be cut off; both
// show their text in the same face two pixels smaller, so it reads whole.
void CDateTimeDlg::FitDateBoxFont() {
  LOGFONTW font{};
  if (GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)), sizeof font, &font) != sizeof font) return;
  font.lfHeight = -kDateBoxFontPixels;
  m_hDateFont = CreateFontIndirectW(&font);
  if (m_hDateFont == nullptr) return;
  m_dateBox.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hDateFont), FALSE);
  m_timePicker.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hDateFont), FALSE);
}

// The picker's own spin control gives way to the page's Up and Down: a white cover is laid over
// it and the control itself is hidden. A picker without one keeps its look.
void CDateTimeDlg::CoverPickerSpin() {
  HWND spin = ::GetWindow(m_timePicker, GW_CHILD);
  if (spin == nullptr) return;
  RECT place{};
  ::GetWindowRect(spin, &place);
  ::MapWindowPoints(nullptr, m_timePicker, reinterpret_cast<POINT*>(&place), 2);
  m_spinCover.CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, m_timePicker, 1);
  m_spinCover.SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::ShowWindow(spin, SW_HIDE);
}

void CDateTimeDlg::ShowDate() {
  char text[32];
  std::snprintf(text, sizeof text, "%.2d/%.2d/%.4d", m_date.wDay, m_date.wMonth, m_date.wYear);
  std::u16string wide(text, text + std::char_traits<char>::length(text));
  m_dateBox.SetWindowText(wide.c_str());
  m_calendar.SetCurSel(m_date);
}

void CDateTimeDlg::OnTimer(UINT_PTR id) {
  SYSTEMTIME now{};
  switch (id) {
    case kClockTimer:
      // The picker redraws only when the second it shows changes.
      GetLocalTime(&now);
      m_timePicker.SetTime(&now);
      return;
    case kDateTimer:
      GetLocalTime(&now);
      if (now.wDay == m_date.wDay) return;
      m_date.wYear = now.wYear;
      m_date.wMonth = now.wMonth;
      m_date.wDay = now.wDay;
      ShowDate();
      return;
    default:
      CSkinPage::OnTimer(id);
  }
}

BOOL CDateTimeDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_CLOCK_DATE_BUTTON:
        m_calendar.ShowWindow(m_calendar.IsWindowVisible() ? SW_HIDE : SW_SHOW);
        return TRUE;
      case IDC_CLOCK_UP: StepTime(VK_UP); return TRUE;
      case IDC_CLOCK_DOWN: StepTime(VK_DOWN); return TRUE;
      case IDC_CLOCK_LEFT: StepZone(-1); return TRUE;
      case IDC_CLOCK_RIGHT: StepZone(+1); return TRUE;
      default: break;
    }
  }
  return CSkinPage::OnCommand(wParam, lParam);
}

BOOL CDateTimeDlg::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg == WM_NOTIFY && lParam != 0) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_CLOCK_CALENDAR && header->hwndFrom == m_calendar.m_hWnd) {
      if (header->code == MCN_SELECT) {
        OnCalendarPick(reinterpret_cast<const NMSELCHANGE*>(lParam)->stSelStart);
        *result = 0;
        return TRUE;
      }
      if (header->code == MCN_SELECTNONE) {
        m_calendar.ShowWindow(SW_HIDE);
        *result = 0;
        return TRUE;
      }
    }
  }
  return CSkinPage::OnWndMsg(msg, wParam, lParam, result);
}

// A picked date is the user's: the date box no longer follows the clock.
void CDateTimeDlg::OnCalendarPick(const SYSTEMTIME& date) {
  KillTimer(kDateTimer);
  m_date.wYear = date.wYear;
  m_date.wMonth = date.wMonth;
  m_date.wDay = date.wDay;
  ShowDate();
  m_calendar.ShowWindow(SW_HIDE);
}

void CDateTimeDlg::StepTime(BYTE vk) {
  KillTimer(kClockTimer);
  m_timePicker.SetFocus();
  // One silent key-down, as the picker's own arrow key; the picker steps its selected field.
  keybd_event(vk, 0, KEYEVENTF_SILENT, 0);
}

void CDateTimeDlg::StepZone(int direction) {
  int selected = m_zoneList.GetCurSel();
  int count = m_zoneList.GetCount();
  if (direction < 0 && selected >= 1 && selected <= count) m_zoneList.SetCurSel(selected - 1);
  if (direction > 0 && selected >= 0 && selected < count - 1) m_zoneList.SetCurSel(selected + 1);
  m_zoneText.Assign(m_zoneList.GetLBText(m_zoneList.GetCurSel()).c_str());
  UpdateData(FALSE);

  // Universal time stays: the local clock moves by the difference between the two biases.
  LONG bias = m_currentBias;
  if (ZoneBiasFromName(m_zoneList.GetWindowText().c_str(), &bias)) {
    ShiftClock(m_currentBias, bias);
    m_currentBias = bias;
  }
  m_zoneList.SetFocus();
}

// The zone first (universal time stays, so local time moves with it), then the local time from the
// edited date and the picker's time, which puts the local time back where the user sees it.
void CDateTimeDlg::ApplySettings() {
  ApplyZone(m_zoneList.GetWindowText().c_str());
  SYSTEMTIME local{};
  GetLocalTime(&local);
  SYSTEMTIME shown{};
  m_timePicker.GetTime(&shown);
  local.wYear = m_date.wYear;
  local.wMonth = m_date.wMonth;
  local.wDay = m_date.wDay;
  local.wHour = shown.wHour;
  local.wMinute = shown.wMinute;
  local.wSecond = shown.wSecond;
  SetLocalTime(&local);
}

void CDateTimeDlg::OnOK() {
  ApplySettings();
  UpdateData(TRUE);
  CSkinPage::OnOK();
}

void CDateTimeDlg::OnCancel() {
  ShiftClock(m_currentBias, m_startZone.Bias);
  // Moved back once: a second way out in the same turn moves nothing.
  m_currentBias = m_startZone.Bias;
  CSkinPage::OnCancel();
}

BOOL CDateTimeDlg::OnPageKey(UINT key) {
  HWND focus = ::GetFocus();
  if (focus == nullptr) return FALSE;
  switch (key) {
    case VK_RETURN:
      ApplySettings();
      EndDialog(IDOK);
      return TRUE;
    case VK_LEFT:
    case VK_RIGHT:
      if (focus != m_zoneList.m_hWnd && focus != ::GetDlgItem(m_hWnd, IDC_CLOCK_ZONE_TEXT)) return FALSE;
      StepZone(key == VK_LEFT ? -1 : +1);
      return TRUE;
    case VK_UP:
    case VK_DOWN:
      if (focus == m_timePicker.m_hWnd) KillTimer(kClockTimer);
      return FALSE;
    default:
      return CSkinPage::OnPageKey(key);
  }
}
