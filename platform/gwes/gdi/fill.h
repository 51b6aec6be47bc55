// Brushes, rectangle fills and the system colours with the device's default scheme.
#pragma once

#include "platform/gwes/gwes_types.h"

// System colour indexes. The device's headers mark them with SYS_COLOR_INDEX_FLAG; GetSysColor and
// GetSysColorBrush accept them with or without it.
constexpr int SYS_COLOR_INDEX_FLAG = 0x40000000;
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_STATIC = 25;
constexpr int COLOR_STATICTEXT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;

HBRUSH CreateSolidBrush(COLORREF colour);
// Fills `rect` (right and bottom edges excluded) with the brush; a hollow brush fills nothing.
// As in Win32, a brush value of (COLOR_xxx + 1) stands for that system colour.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Draws a one-pixel border with the brush along the inside of `rect`; an empty rectangle draws
// nothing. The brush is taken as FillRect takes it.
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
// 0 for an unknown index.
DWORD GetSysColor(int index);
// A brush of the system colour that is never deleted; null for an unknown index.
HBRUSH GetSysColorBrush(int index);

namespace gwes {

class DeviceContext;
// Fills `rect` (context coordinates) with a colour under the surface's lock.
void FillWithColour(const DeviceContext& dc, const RECT& rect, COLORREF colour);

}  // namespace gwes
