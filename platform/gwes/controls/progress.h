// The "msctls_progress32" common control: a bar that fills from the left (from the bottom with
// PBS_VERTICAL) in proportion to its position within its range. It takes no input and sends no
// notifications; positions are always held inside the range.
#pragma once

#include "platform/gwes/controls/controls.h"
#include "platform/gwes/gwes_types.h"

// Progress bar styles.
constexpr DWORD PBS_SMOOTH = 0x01;
constexpr DWORD PBS_VERTICAL = 0x04;

// Progress bar messages.
constexpr UINT PBM_SETRANGE = 0x0401;  // WM_USER + 1: lParam MAKELPARAM(min, max); returns the old pair
constexpr UINT PBM_SETPOS = 0x0402;    // returns the previous position
constexpr UINT PBM_DELTAPOS = 0x0403;  // returns the previous position
constexpr UINT PBM_SETSTEP = 0x0404;   // returns the previous step
constexpr UINT PBM_STEPIT = 0x0405;    // returns the previous position; past the end it starts over
constexpr UINT PBM_SETRANGE32 = 0x0406;
constexpr UINT PBM_GETRANGE = 0x0407;  // wParam TRUE: the minimum, FALSE: the maximum; fills a PBRANGE
constexpr UINT PBM_GETPOS = 0x0408;
constexpr UINT PBM_SETBARCOLOR = 0x0409;
constexpr UINT PBM_SETBKCOLOR = 0x2001;  // CCM_SETBKCOLOR

constexpr COLORREF CLR_DEFAULT = 0xFF000000;

struct PBRANGE {
  int iLow;
  int iHigh;
};

constexpr char16_t kProgressClassName[] = u"msctls_progress32";

namespace gwes {

// Registers the class; fails harmlessly when it exists.
void RegisterProgressClass();

}  // namespace gwes
