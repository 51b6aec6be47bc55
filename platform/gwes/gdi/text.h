// Fonts from LOGFONTW descriptions and single-line text output: ExtTextOutW, extents and metrics.
// Glyphs are blended onto the surface by their grey-scale coverage in the text colour; in OPAQUE
// background mode the text's cells are filled with the background colour first.
#pragma once

#include <string_view>

#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/gwes/gwes_types.h"

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// Null (ERROR_FILE_NOT_FOUND) when the face's font file is missing.
HFONT CreateFontIndirectW(const LOGFONTW* description);
// Draws `count` characters with the cell's top-left corner at (x, y). ETO_OPAQUE fills `rect` with
// the background colour first; ETO_CLIPPED keeps the text inside `rect`. `dx`, when given, holds
// each character's advance.
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const int* dx);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);

namespace gwes {

class DeviceContext;
class FontInstance;

// The selected font's instance; null when the font could not be loaded.
const FontInstance* SelectedFont(const DeviceContext& dc);

// Draws one line with the cell's top-left at (x, y) (context coordinates) in the context's text
// colour, and in OPAQUE mode over its cell filled with the background colour. Drawing stays inside
// `bounds` when given. `underline` names a character index to underline (-1 for none); the
// font's own underline and strike-out apply to the whole line. Returns the line's width.
int DrawTextRun(const DeviceContext& dc, int x, int y, std::u16string_view text, const RECT* bounds, int underline,
                const int* dx = nullptr);

}  // namespace gwes
