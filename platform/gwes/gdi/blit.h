// Block transfers between contexts: BitBlt (opaque copy and plain fills) and TransparentImage
// (copy leaving out a key colour, stretching when the sizes differ). Both clip to the destination
// context's clip and to the source surface: destination pixels whose source lies outside the
// source surface are left as they are.
#pragma once

#include "platform/gwes/gwes_types.h"

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// SRCCOPY copies from `src`; PATCOPY fills with the destination's brush; BLACKNESS and WHITENESS
// fill with black and white (`src` unused). Other raster operations fail (ERROR_INVALID_PARAMETER).
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
// `source` is a context or a bitmap. Source pixels whose colour bits equal those of `key` are not
// drawn; the top byte of pixels and key never takes part.
BOOL TransparentImage(HDC dst, LONG x, LONG y, LONG width, LONG height, HANDLE source, LONG srcX, LONG srcY,
                      LONG srcWidth, LONG srcHeight, COLORREF key);
