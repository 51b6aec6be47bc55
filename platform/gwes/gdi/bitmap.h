// Device bitmaps: every colour bitmap is a 32-bit XRGB surface, whatever it was made from.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gwes/gwes_types.h"
#include "platform/gwes/surface.h"

// A colour bitmap of the given size (zeroed, black). Every surface of this device is 32-bit, so the
// bitmap is colour even when `dc` is a memory context still holding its monochrome default bitmap.
// A zero width or height gives the 1 x 1 default bitmap.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A bitmap from device-dependent bits: 1 bit per pixel (rows padded to 16 bits, set bits white)
// or 32 bits XRGB; `bits` may be null (zeroed).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// The bitmap resource `name` of `instance` (null: the program's own), converted to a device bitmap;
// null when the resource is missing or is not a readable DIB.
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);

namespace gwes {

// A device bitmap from a DIB (a BITMAP resource's bytes); null (ERROR_INVALID_DATA) when unreadable.
HBITMAP CreateBitmapFromDib(std::span<const std::uint8_t> dib);
// A device bitmap reading width x height XRGB pixels (top row first) that it shares with others
// until it is drawn into, when it takes a copy of its own.
HBITMAP CreateBitmapSharing(int width, int height, int bitsPixel, SharedPixels pixels);

}  // namespace gwes
