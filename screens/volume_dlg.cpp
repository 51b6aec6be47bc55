#include "screens/volume_dlg.h"

#include "platform/gwes/controls/trackbar.h"
#include "platform/gwes/focus.h"
#include "platform/kernel/audio.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/resources.h"

DWORD g_savedVolume = 0;

namespace {

constexpr int kLowestPosition = 0;
constexpr int kHighestPosition = 5;
constexpr DWORD kVolumeStep = 0x33333333;
constexpr DWORD kSilent = 0x00000000;
constexpr DWORD kLoud = 0xFFFFFFFF;
constexpr const char16_t* kVolumeKey = u"\\ControlPanel\\Volume";
constexpr const char16_t* kVolumeValue = u"Volume";
constexpr const char16_t* kWaveType = u"WAVE";

// Writes "Volume" when the key exists; the key is never created.
void WriteVolumeValue(DWORD volume) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kVolumeKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  RegSetValueExW(key, kVolumeValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&volume), sizeof volume);
  RegCloseKey(key);
}

void StoreVolume(DWORD volume) {
  waveOutSetVolume(nullptr, volume);
  WriteVolumeValue(volume);
}

// Plays the click to its end; without the resource the page stays silent.
void Click() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_CLICK_SOUND), kWaveType);
  if (found == nullptr) return;
  HGLOBAL image = LoadResource(nullptr, found);
  if (image == nullptr) return;
  sndPlaySoundW(static_cast<LPCWSTR>(LockResource(image)), SND_SYNC | SND_MEMORY);
}

DWORD CurrentVolume() {
  DWORD volume = 0;
  waveOutGetVolume(nullptr, &volume);
  return volume;
}

}  // namespace

std::optional<DWORD> VolumeForPosition(int pos) {
  if (pos < kLowestPosition || pos > kHighestPosition) return std::nullopt;
  return static_cast<DWORD>(pos) * kVolumeStep;
}

int PositionForVolume(DWORD volume) {
  for (int pos = kLowestPosition; pos <= kHighestPosition; ++pos) {
    if (VolumeForPosition(pos) == volume) return pos;
  }
  return kLowestPosition;
}

void CVolumeDlg::DoDataExchange(CDataExchange* exchange) {
  DDX_Control(exchange, IDC_VOLUME_RIGHT, m_right);
  DDX_Control(exchange, IDC_VOLUME_LEFT, m_left);
  DDX_Control(exchange, IDC_VOLUME_TITLE, m_title);
  DDX_Control(exchange, IDC_VOLUME_HIDDEN_CAPTION, m_hiddenCaption);
  DDX_Control(exchange, IDC_VOLUME_SLIDER, m_slider);
}

BOOL CVolumeDlg::OnInitDialog() {
  CSkinPage::OnInitDialog();
  SetUpTitle(m_title, IDS_MENU_VOLUME);
  PlaceButton(m_left, 29, 112, 27, 27, IDB_ARROW_LEFT_NORMAL, IDB_ARROW_LEFT_FOCUS, IDB_ARROW_LEFT_NORMAL);
  PlaceButton(m_right, 259, 112, 27, 27, IDB_ARROW_RIGHT_NORMAL, IDB_ARROW_RIGHT_FOCUS, IDB_ARROW_RIGHT_NORMAL);
  m_slider.SetRange(kLowestPosition, kHighestPosition, FALSE);
  m_slider.SetPageSize(1);

  DWORD volume = CurrentVolume();
  g_savedVolume = volume;
  m_slider.m_nTrackId = IDB_SLIDER_TRACK;
  m_slider.MoveWindow(56, 112, 203, 34);
  m_slider.SetPos(PositionForVolume(volume));
  // The dialog manager focuses the slider, the first tab stop.
  return TRUE;
}

BOOL CVolumeDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    UINT key = static_cast<UINT>(msg->wParam);
    switch (key) {
      case VK_UP: msg->wParam = VK_DOWN; break;
      case VK_DOWN: msg->wParam = VK_UP; break;
      case VK_F6:
      case VK_F7:
      case VK_F10: FollowVolume(); break;
      default:
        if (OnPageKey(key)) return TRUE;
        break;
    }
  }
  return CDialog::PreTranslateMessage(msg);
}

BOOL CVolumeDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_VOLUME_LEFT: Step(-1); return TRUE;
      case IDC_VOLUME_RIGHT: Step(+1); return TRUE;
      default: break;
    }
  }
  return CSkinPage::OnCommand(wParam, lParam);
}

void CVolumeDlg::OnHScroll(UINT code, UINT, HWND scrollBar) {
  if (scrollBar != m_slider.m_hWnd || code != TB_ENDTRACK) return;
  StoreVolume(VolumeForPosition(m_slider.GetPos()).value_or(kSilent));
  Click();
}

void CVolumeDlg::Step(int direction) {
  int next = m_slider.GetPos() + direction;
  m_slider.SetPos(next);
  StoreVolume(VolumeForPosition(next).value_or(direction < 0 ? kSilent : kLoud));
  Click();
  m_slider.SetFocus();
}

void CVolumeDlg::FollowVolume() {
  DWORD volume = CurrentVolume();
  Click();
  m_slider.SetPos(PositionForVolume(volume));
  WriteVolumeValue(volume);
}

void CVolumeDlg::OnCancel() {
  StoreVolume(g_savedVolume);
  CSkinPage::OnCancel();
}
