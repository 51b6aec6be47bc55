// Skin bitmaps: pictures loaded by id from the program's own resources (never from the language
// module), each for one use and released after it, and the background of a screen drawn from one.
#pragma once

#include "platform/gwes/gwes_types.h"

// Owns one device bitmap, or none; releases it when destroyed.
class CSkinBitmap {
 public:
  CSkinBitmap() = default;
  ~CSkinBitmap();
  CSkinBitmap(const CSkinBitmap&) = delete;
  CSkinBitmap& operator=(const CSkinBitmap&) = delete;

  HBITMAP GetSafeHandle() const { return m_hBitmap; }
  operator HBITMAP() const { return m_hBitmap; }
  // Releases the bitmap held now, if any.
  void DeleteObject();

 private:
  friend BOOL LoadSkinBitmap(CSkinBitmap& bitmap, UINT id);
  HBITMAP m_hBitmap = nullptr;
};

// Loads bitmap `id` of the program's resources into `bitmap` (releasing what it held); false, with
// `bitmap` empty, when there is no such bitmap.
BOOL LoadSkinBitmap(CSkinBitmap& bitmap, UINT id);

// Draws bitmap `id` at (0, 0) of `dc` in its own size: an opaque copy, or with `transparentKey`
// left out when one is given. A missing bitmap draws nothing.
void DrawSkinBackground(HDC dc, UINT id);
void DrawSkinBackgroundTransparent(HDC dc, UINT id, COLORREF transparentKey);
