// DrawTextW: formatted text in a rectangle, with alignment, vertical placement of single lines,
// line breaks, word breaks and the "&" prefix rule. Layout is a pure function over a width measure,
// so its rules are tested without fonts.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gwes/gwes_types.h"

constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_EXPANDTABS = 0x0040;  // accepted; tabs draw as nothing
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_EXTERNALLEADING = 0x0200;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// Draws `count` characters (-1: up to the NUL) in `rect`. DT_VCENTER and DT_BOTTOM place the text
// only together with DT_SINGLELINE, as on the device. Without DT_NOCLIP the text is clipped to the
// rectangle. DT_CALCRECT draws nothing and sets the rectangle's right and bottom edges to the
// text's extent. Returns the text's height, or with DT_VCENTER/DT_BOTTOM the offset from the top of
// the rectangle to the bottom of the text; 0 on failure.
int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format);

namespace gwes {

struct TextLine {
  std::u16string text;  // as shown: prefixes resolved, breaks removed
  int underline = -1;   // index of the character shown underlined, -1 for none
  int width = 0;
};

// Splits text into the lines DrawTextW shows. Without DT_NOPREFIX "&&" shows "&" and "&x" shows x
// underlined (the last such character of a line is the one underlined; a final lone "&" is
// dropped). Without DT_SINGLELINE "\r\n", "\n" and "\r" end lines. With DT_WORDBREAK (and not
// DT_SINGLELINE) lines are broken at spaces to fit `width`; the spaces at a break are dropped and
// a word wider than `width` stands alone on its line. `measure` gives a text's width in pixels and
// must be additive (the width of a text is the sum of its parts').
std::vector<TextLine> LayoutText(std::u16string_view text, UINT format, int width,
                                 const std::function<int(std::u16string_view)>& measure);

}  // namespace gwes
