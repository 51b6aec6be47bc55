// Device contexts: memory contexts that draw into the bitmap selected into them, and contexts the
// window manager makes on a surface (the framebuffer) with an origin and a clip. A context keeps the
// selected bitmap, font, brush and pen, and the text colour, background colour and background mode.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/gwes/gwes_types.h"
#include "platform/gwes/rect.h"
#include "platform/gwes/surface.h"

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// A memory context holding the 1 x 1 default bitmap; `reference` may be null (the screen).
HDC CreateCompatibleDC(HDC reference);
// Deletes any context; the objects selected into it are released (they are not deleted).
BOOL DeleteDC(HDC dc);
// Selects a bitmap, font, brush or pen and returns the previously selected object of that kind;
// null (and ERROR_INVALID_HANDLE) for an unknown handle. A bitmap can be selected into one memory
// context at a time, and into no window context.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// The selected object of a kind: OBJ_BITMAP, OBJ_FONT, OBJ_BRUSH or OBJ_PEN.
HGDIOBJ GetCurrentObject(HDC dc, UINT kind);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetBkColor(HDC dc);
// TRANSPARENT or OPAQUE; returns the previous mode, 0 on failure.
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
// The bounding box of the part of the context's drawing area that is not clipped away, in its
// coordinates; returns NULLREGION, SIMPLEREGION, COMPLEXREGION, or 0 for a bad context.
int GetClipBox(HDC dc, RECT* rect);

namespace gwes {

// A context drawing on `target` with its coordinates relative to `origin` (surface coordinates),
// clipped to the union of the `clip` rectangles (surface coordinates). Drawing through it takes the
// surface's lock, so another thread can draw on the same surface through its own context.
HDC CreateSurfaceDC(std::shared_ptr<Surface> target, POINT origin, std::vector<RECT> clip);

class DeviceContext : public GdiObject {
 public:
  DeviceContext(bool memory, std::shared_ptr<Surface> surface, POINT origin, std::vector<RECT> clip);
  ~DeviceContext() override;
  bool IsMemory() const { return m_memory; }

  // Selects a looked-up object, returning the previous handle of its kind (null on refusal).
  HGDIOBJ Select(HGDIOBJ handle, const std::shared_ptr<GdiObject>& object);
  HGDIOBJ Selected(GdiKind kind) { return SlotOf(kind).handle; }

  // What drawing reaches: the surface, the origin of the context's coordinates on it, and disjoint
  // clip rectangles inside the surface.
  const std::shared_ptr<Surface>& TargetSurface() const { return m_surface; }
  POINT Origin() const { return m_origin; }
  const std::vector<RECT>& Clip() const { return m_clip; }

  // A window's context follows the windows above it: what of the window shows is looked up again
  // at each drawing, so a window put above it after it was made (a message over an animation that
  // another thread draws) is never drawn over. The source gives the window's visible part in
  // surface coordinates, or false when it cannot say now (nothing is drawn then).
  using ClipSource = std::function<bool(std::vector<RECT>* clip)>;
  void FollowWindow(ClipSource source) { m_clipSource = std::move(source); }
  // The clip to draw with now, inside the surface and disjoint; false when nothing may be drawn.
  bool CurrentClip(std::vector<RECT>* clip) const;

  const FontObject& Font() const { return *m_font; }
  const BrushObject& Brush() const { return *m_brush; }

  COLORREF m_textColour = RGB(0, 0, 0);
  COLORREF m_bkColour = RGB(255, 255, 255);
  int m_bkMode = OPAQUE;

 private:
  struct Slot {
    HGDIOBJ handle = nullptr;
    std::shared_ptr<GdiObject> object;
  };
  Slot& SlotOf(GdiKind kind);
  void Hold(Slot& slot, HGDIOBJ handle, std::shared_ptr<GdiObject> object);

  bool m_memory;
  std::shared_ptr<Surface> m_surface;
  POINT m_origin;
  std::vector<RECT> m_clip;
  ClipSource m_clipSource;
  Slot m_bitmapSlot, m_fontSlot, m_brushSlot, m_penSlot;
  const FontObject* m_font = nullptr;
  const BrushObject* m_brush = nullptr;
};

std::shared_ptr<DeviceContext> LookupDC(HDC dc);

// Holds the locks of one or two surfaces (one when both are the same), taken without deadlock.
class SurfaceLock {
 public:
  explicit SurfaceLock(Surface& first, Surface* second = nullptr);

 private:
  std::unique_lock<std::mutex> m_first;
  std::unique_lock<std::mutex> m_second;
};

// Calls draw(piece) for every part of `rect` (context coordinates) that the clip lets through, the
// piece given in surface coordinates. The caller holds the surface's lock.
template <typename Draw>
void ForEachVisiblePiece(const DeviceContext& dc, const RECT& rect, Draw draw) {
  const POINT origin = dc.Origin();
  const RECT onSurface{rect.left + origin.x, rect.top + origin.y, rect.right + origin.x, rect.bottom + origin.y};
  if (RectEmpty(onSurface)) return;
  std::vector<RECT> current;
  if (!dc.CurrentClip(&current)) return;
  for (const RECT& clip : current) {
    const RECT piece = Intersection(onSurface, clip);
    if (!RectEmpty(piece)) draw(piece);
  }
}

// A colour as an XRGB pixel.
constexpr std::uint32_t PixelOf(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}
constexpr COLORREF ColourOf(std::uint32_t pixel) {
  return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
}

}  // namespace gwes
