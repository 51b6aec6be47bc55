// The volume page: six volume steps, silent to loud, on the skinned slider. Each applied step goes
// to the wave output and to HKCU "\ControlPanel\Volume" at once and is followed by the click, played
// to its end. OK keeps the volume; every other way out stores the word that was in force when the
// page opened, exactly as it was (also one of none of the six steps).
#pragma once

#include <optional>

#include "res/resource.h"
#include "screens/skin_page.h"
#include "ui/skin_button.h"
#include "ui/skin_label.h"
#include "ui/skin_slider.h"

// The wave-output volume word when the volume page last opened.
extern DWORD g_savedVolume;

// The word of slider position `pos` (0 to 5: pos x 0x33333333, both channels alike); nothing for
// any other position.
std::optional<DWORD> VolumeForPosition(int pos);
// The position whose word is exactly `volume`; 0 for any other word.
int PositionForVolume(DWORD volume);

class CVolumeDlg : public CSkinPage {
 public:
  CVolumeDlg() : CSkinPage(IDD_VOLUME, IDB_VOLUME_BACKGROUND) {}

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  // Only key-down messages are looked at: Up and Down swap, the volume keys are followed and
  // passed on; character messages go their way untouched.
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // Applies the slider when a gesture ends; moves before that change nothing.
  void OnHScroll(UINT code, UINT position, HWND scrollBar) override;
  void OnCancel() override;

 private:
  // One step from the slider's position: Left gives 0 below the range, Right 0xFFFFFFFF above.
  void Step(int direction);
  // The volume keys were handled by the device already: show the volume now in force.
  void FollowVolume();

  CSkinSlider m_slider;
  CSkinButton m_left;
  CSkinButton m_right;
  CSkinLabel m_title;
  // Bound, never shown.
  CSkinLabel m_hiddenCaption;
};
