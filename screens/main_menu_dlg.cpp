#include "screens/main_menu_dlg.h"

#include <memory>

#include "platform/gwes/focus.h"
#include "platform/gwes/icon.h"
#include "platform/gwes/surface.h"
#include "platform/kernel/resources.h"
#include "res/resource.h"
#include "screens/backlight_dlg.h"
#include "screens/calibration_dlg.h"
#include "screens/date_time_dlg.h"
#include "screens/language_dlg.h"
#include "screens/power_dlg.h"
#include "screens/skin_page.h"
#include "screens/volume_dlg.h"
#include "ui/local_string.h"
#include "ui/skin_bitmap.h"

namespace {

constexpr COLORREF kTitleColour = RGB(89, 89, 89);
constexpr int kTitleHeight = 22;

enum ButtonId : int {
  kBacklight = IDC_MENU_BACKLIGHT,
  kVolume = IDC_MENU_VOLUME,
  kCalibration = IDC_MENU_CALIBRATION,
  kPower = IDC_MENU_POWER,
  kDateTime = IDC_MENU_DATE_TIME,
  kLanguage = IDC_MENU_LANGUAGE,
  kExit = IDC_MENU_EXIT,
};

struct MenuButton {
  int id;
  POINT place;
  UINT normal, focus, pressed;
  UINT titleId;  // the title while the button has the focus
};

constexpr int kButtonWidth = 54;
constexpr int kButtonHeight = 59;

// In tab order: the upper row, then the lower row.
constexpr MenuButton kMenuButtons[CMainMenuDlg::kButtonCount] = {
    {kBacklight, {25, 77}, IDB_MENU_BACKLIGHT_NORMAL, IDB_MENU_BACKLIGHT_SELECTED, IDB_MENU_BACKLIGHT_NORMAL,
     IDS_MENU_BACKLIGHT},
    {kVolume, {99, 77}, IDB_MENU_VOLUME_NORMAL, IDB_MENU_VOLUME_SELECTED, IDB_MENU_VOLUME_NORMAL, IDS_MENU_VOLUME},
    {kCalibration, {173, 77}, IDB_MENU_CALIBRATION_NORMAL, IDB_MENU_CALIBRATION_SELECTED, IDB_MENU_CALIBRATION_NORMAL,
     IDS_MENU_SCREEN},
    {kPower, {247, 77}, IDB_MENU_POWER_NORMAL, IDB_MENU_POWER_SELECTED, IDB_MENU_POWER_NORMAL, IDS_MENU_POWER},
    {kDateTime, {25, 153}, IDB_MENU_DATE_TIME_NORMAL, IDB_MENU_DATE_TIME_SELECTED, IDB_MENU_DATE_TIME_NORMAL,
     IDS_MENU_DATE_TIME},
    {kLanguage, {99, 153}, IDB_MENU_LANGUAGE_NORMAL, IDB_MENU_LANGUAGE_SELECTED, IDB_MENU_LANGUAGE_NORMAL,
     IDS_MENU_SWITCH_LANGUAGE},
    {kExit, {173, 153}, IDB_MENU_BACK_NORMAL, IDB_MENU_BACK_SELECTED, IDB_MENU_BACK_NORMAL, IDS_MENU_BACK},
};

const MenuButton* FindButton(int id) {
  for (const MenuButton& button : kMenuButtons) {
    if (button.id == id) return &button;
  }
  return nullptr;
}

bool IsPageButton(int id) { return FindButton(id) != nullptr && id != kExit; }

// Where Down and Up move the focus; the exit button sits below the calibration button, so Down
// from the power button lands there too.
int BelowOf(int id) {
  switch (id) {
    case kBacklight: return kDateTime;
    case kVolume: return kLanguage;
    case kCalibration: return kExit;
    case kPower: return kExit;
    default: return 0;
  }
}
int AboveOf(int id) {
  switch (id) {
    case kDateTime: return kBacklight;
    case kLanguage: return kVolume;
    case kExit: return kCalibration;
    default: return 0;
  }
}

std::unique_ptr<CDialog> MakePage(int id) {
  switch (id) {
    case kBacklight: return std::make_unique<CBacklightDlg>();
    case kVolume: return std::make_unique<CVolumeDlg>();
    case kCalibration: return std::make_unique<CCalibrationDlg>();
    case kPower: return std::make_unique<CPowerDlg>();
    case kDateTime: return std::make_unique<CDateTimeDlg>();
    case kLanguage: return std::make_unique<CLanguageDlg>(TRUE);
    default: return nullptr;
  }
}

}  // namespace

CMainMenuDlg::CMainMenuDlg()
    : CDialog(IDD_MAIN_MENU), m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_UTILITY))) {}

void CMainMenuDlg::DoDataExchange(CDataExchange* exchange) {
  DDX_Control(exchange, IDC_MENU_TITLE, m_title);
  for (int i = 0; i < kButtonCount; ++i) DDX_Control(exchange, kMenuButtons[i].id, m_buttons[i]);
}

BOOL CMainMenuDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  SetWindowText(kProgramWindowTitle);
  MoveWindow(0, 0, gwes::kScreenWidth, gwes::kScreenHeight);

  m_title.SetColor(kTitleColour);
  m_title.SetHeight(kTitleHeight);
  m_title.SetBold(TRUE);
  CLocalString title;
  title.LoadString(IDS_UTILITY);
  m_title.SetWindowText(title);
  m_title.MoveWindow(85, 15, 200, 40);

  for (int i = 0; i < kButtonCount; ++i) {
    const MenuButton& button = kMenuButtons[i];
    m_buttons[i].MoveWindow(button.place.x, button.place.y, kButtonWidth, kButtonHeight);
    m_buttons[i].m_nNormalId = button.normal;
    m_buttons[i].m_nFocusId = button.focus;
    m_buttons[i].m_nPressedId = button.pressed;
  }
  // The dialog manager focuses the first button, whose focus note sets the first title.
  return TRUE;
}

BOOL CMainMenuDlg::OnEraseBkgnd(HDC dc) {
  DrawSkinBackground(dc, IDB_MENU_BACKGROUND);
  return TRUE;
}

void CMainMenuDlg::SetTitleFor(int buttonId) {
  const MenuButton* button = FindButton(buttonId);
  if (button == nullptr) return;
  CLocalString title;
  title.LoadString(button->titleId);
  m_title.SetWindowText(title);
}

void CMainMenuDlg::OpenPage(int buttonId) {
  std::unique_ptr<CDialog> page = MakePage(buttonId);
  page->DoModal();
  if (buttonId == kLanguage) ::SetForegroundWindow(m_hWnd);
  ::SetFocus(::GetDlgItem(m_hWnd, buttonId));
}

BOOL CMainMenuDlg::PreTranslateMessage(MSG* msg) {
  UINT key = PageKeyOf(*msg);
  if (key == VK_ESCAPE || key == VK_DEVICE_CANCEL) {
    EndDialog(IDOK);
    return TRUE;
  }
  HWND focus = ::GetFocus();
  if (focus != nullptr && (key == VK_RETURN || key == VK_DOWN || key == VK_UP)) {
    int id = ::GetDlgCtrlID(focus);
    if (key == VK_RETURN) {
      if (IsPageButton(id)) {
        OpenPage(id);
      } else {
        EndDialog(IDOK);
      }
    } else if (int next = key == VK_DOWN ? BelowOf(id) : AboveOf(id); next != 0) {
      ::SetFocus(::GetDlgItem(m_hWnd, next));
    }
    return TRUE;
  }
  if (key == VK_DEVICE_CLOSE) {
    m_bExitKeyRequested = TRUE;
    OnCancel();
    return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

BOOL CMainMenuDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  WORD code = HIWORD(wParam);
  if (lParam != 0 && code == BN_SETFOCUS) {
    if (id >= kBacklight && id <= kLanguage) SetTitleFor(id);
    return TRUE;
  }
  if (lParam != 0 && code == BN_CLICKED && FindButton(id) != nullptr) {
    if (id == kExit) {
      EndDialog(IDCANCEL);
    } else {
      OpenPage(id);
    }
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CMainMenuDlg::OnClose() {
  m_bExitKeyRequested = TRUE;
  CDialog::OnClose();
}

void CMainMenuDlg::OnOK() {}
