#include "screens/backlight_dlg.h"

#include "platform/gwes/focus.h"
#include "screens/platform_requests.h"
#include "screens/snapshot_request.h"

DWORD g_savedBacklightLevel = 0;

namespace {

constexpr int kLowestLevel = 1;
constexpr int kHighestLevel = 8;
// Shown when the backlight reports no level in range.
constexpr int kFallbackLevel = 4;

}  // namespace

void CBacklightDlg::DoDataExchange(CDataExchange* exchange) {
  DDX_Control(exchange, IDC_BACKLIGHT_SLIDER, m_slider);
  DDX_Control(exchange, IDC_BACKLIGHT_LEFT, m_left);
  DDX_Control(exchange, IDC_BACKLIGHT_RIGHT, m_right);
  DDX_Control(exchange, IDC_BACKLIGHT_TITLE, m_title);
  DDX_Control(exchange, IDC_BACKLIGHT_HIDDEN_CAPTION, m_hiddenCaption);
  DDX_Control(exchange, IDC_BACKLIGHT_HIDDEN_COMBO, m_hiddenCombo);
  DDX_Control(exchange, IDC_BACKLIGHT_HIDDEN_NOTE, m_hiddenNote);
  DDX_Control(exchange, IDC_BACKLIGHT_HIDDEN_SLIDER, m_hiddenSlider);
  DDX_Control(exchange, IDC_BACKLIGHT_HIDDEN_LEVEL, m_hiddenLevel);
}

BOOL CBacklightDlg::OnInitDialog() {
  CSkinPage::OnInitDialog();
  SetUpTitle(m_title, IDS_MENU_BACKLIGHT);
  PlaceButton(m_left, 29, 112, 27, 27, IDB_ARROW_LEFT_NORMAL, IDB_ARROW_LEFT_FOCUS, IDB_ARROW_LEFT_NORMAL);
  PlaceButton(m_right, 259, 112, 27, 27, IDB_ARROW_RIGHT_NORMAL, IDB_ARROW_RIGHT_FOCUS, IDB_ARROW_RIGHT_NORMAL);
  m_slider.m_nTrackId = IDB_SLIDER_TRACK;
  m_slider.MoveWindow(56, 112, 203, 34);
  m_slider.SetRange(kLowestLevel, kHighestLevel, TRUE);

  DWORD reported = QueryBacklightLevel();
  bool inRange = reported >= kLowestLevel && reported <= kHighestLevel;
  m_slider.SetPos(inRange ? static_cast<int>(reported) : kFallbackLevel);
  // Kept as reported, so a cancel gives the backlight back exactly what it had.
  g_savedBacklightLevel = reported;
  return TRUE;
}

BOOL CBacklightDlg::PreTranslateMessage(MSG* msg) {
  UINT key = PageKeyOf(*msg);
  if (key == VK_UP) msg->wParam = VK_RIGHT;
  if (key == VK_DOWN) msg->wParam = VK_LEFT;
  return CSkinPage::PreTranslateMessage(msg);
}

BOOL CBacklightDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_BACKLIGHT_LEFT: StepDown(); return TRUE;
      case IDC_BACKLIGHT_RIGHT: StepUp(); return TRUE;
      default: break;
    }
  }
  return CSkinPage::OnCommand(wParam, lParam);
}

void CBacklightDlg::OnHScroll(UINT, UINT, HWND scrollBar) {
  if (scrollBar != m_slider.m_hWnd) return;
  SetBacklightLevel(static_cast<DWORD>(m_slider.GetPos()));
}

void CBacklightDlg::StepDown() {
  int level = m_slider.GetPos();
  if (level > kLowestLevel && level <= kHighestLevel) {
    m_slider.SetPos(level - 1);
    SetBacklightLevel(static_cast<DWORD>(level - 1));
  } else {
    m_slider.SetPos(level);
  }
  m_slider.SetFocus();
}

void CBacklightDlg::StepUp() {
  int level = m_slider.GetPos();
  if (level >= kLowestLevel && level < kHighestLevel) {
    m_slider.SetPos(level + 1);
    SetBacklightLevel(static_cast<DWORD>(level + 1));
  } else {
    m_slider.SetPos(level);
  }
  m_slider.SetFocus();
}

// The level is in force already; only the snapshot is asked for.
void CBacklightDlg::OnOK() {
  RequestSnapshot();
  CSkinPage::OnOK();
}

void CBacklightDlg::OnCancel() {
  SetBacklightLevel(g_savedBacklightLevel);
  CSkinPage::OnCancel();
}
