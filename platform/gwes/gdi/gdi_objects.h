// GDI objects (bitmaps, brushes, fonts, pens) and device contexts behind handles in one process-wide,
// thread-safe table. A deleted object is simply gone from the table, so a stale handle fails cleanly.
// Handle values are never reused within a process.
#pragma once

#include <atomic>
#include <memory>

#include "platform/gwes/gwes_types.h"
#include "platform/gwes/surface.h"

// GetObjectW's descriptions, with their Win32 layouts.
struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTW {
  LONG lfHeight;  // < 0: character height in pixels; > 0: cell height; 0: the default size
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
};

struct LOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;
  COLORREF lopnColor;
};

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_NULL = 5;

// GetStockObject indexes.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// GetObjectType results.
constexpr DWORD OBJ_PEN = 1;
constexpr DWORD OBJ_BRUSH = 2;
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_FONT = 6;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_MEMDC = 10;

HGDIOBJ GetStockObject(int index);
// Pens are kept and selected like the other objects; nothing of this device draws lines yet.
HPEN CreatePen(int style, int width, COLORREF colour);
// Stock objects are never deleted (the call succeeds and changes nothing). An object that is
// selected into a device context is not deleted either: the call fails with ERROR_BUSY and the
// object stays valid, so no context is ever left drawing with a freed object.
BOOL DeleteObject(HGDIOBJ object);
// Fills a BITMAP, LOGFONTW, LOGBRUSH or LOGPEN; with a null buffer returns the size needed.
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
DWORD GetObjectType(HGDIOBJ object);

namespace gwes {

enum class GdiKind { Bitmap, Brush, Font, Pen, DeviceContext };

class GdiObject {
 public:
  explicit GdiObject(GdiKind kind) : m_kind(kind) {}
  virtual ~GdiObject() = default;
  GdiKind Kind() const { return m_kind; }

  bool m_stock = false;
  // Device contexts that have this object selected; a selected object cannot be deleted.
  std::atomic<int> m_selections{0};

 private:
  GdiKind m_kind;
};

class BitmapObject : public GdiObject {
 public:
  BitmapObject(int width, int height, int bitsPixel)
      : GdiObject(GdiKind::Bitmap), m_surface(std::make_shared<Surface>(width, height)), m_bitsPixel(bitsPixel) {}
  BitmapObject(std::shared_ptr<Surface> surface, int bitsPixel)
      : GdiObject(GdiKind::Bitmap), m_surface(std::move(surface)), m_bitsPixel(bitsPixel) {}
  std::shared_ptr<Surface> m_surface;
  int m_bitsPixel;  // 32 for colour bitmaps, 1 for monochrome ones (still stored as XRGB)
};

class BrushObject : public GdiObject {
 public:
  BrushObject(COLORREF colour, bool hollow) : GdiObject(GdiKind::Brush), m_colour(colour), m_hollow(hollow) {}
  COLORREF m_colour;
  bool m_hollow;
};

class PenObject : public GdiObject {
 public:
  PenObject(int style, int width, COLORREF colour)
      : GdiObject(GdiKind::Pen), m_style(style), m_width(width), m_colour(colour) {}
  int m_style;
  int m_width;
  COLORREF m_colour;
};

class FontInstance;
class FontObject : public GdiObject {
 public:
  FontObject(const LOGFONTW& logFont, const FontInstance* instance)
      : GdiObject(GdiKind::Font), m_logFont(logFont), m_instance(instance) {}
  LOGFONTW m_logFont;
  const FontInstance* m_instance;  // the cached face at its pixel size; lives for the process
};

// Stores the object and returns its handle (never null).
HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object);
// Stores an object that is never deleted and never counts as selected for deletion.
HGDIOBJ InsertStockObject(std::shared_ptr<GdiObject> object);
// The object behind a handle, or null (with ERROR_INVALID_HANDLE) for an unknown handle.
std::shared_ptr<GdiObject> LookupGdiObject(const void* handle);
template <typename T>
std::shared_ptr<T> LookupGdi(const void* handle) {
  return std::dynamic_pointer_cast<T>(LookupGdiObject(handle));
}
// Removes the handle from the table; false for an unknown handle.
bool RemoveGdiObject(const void* handle);
// Number of live objects and contexts (stock objects included), for leak checks in tests.
std::size_t GdiObjectCount();

// The 1 x 1 monochrome bitmap every new memory context holds.
HBITMAP DefaultBitmap();

}  // namespace gwes
