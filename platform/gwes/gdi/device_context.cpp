#include "platform/gwes/gdi/device_context.h"

#include <utility>

#include "platform/gwes/rect.h"
#include "platform/kernel/last_error.h"

namespace gwes {
namespace {

// Splits `piece` into the parts outside `cut` (at most four) and appends them to `out`.
void Subtract(const RECT& piece, const RECT& cut, std::vector<RECT>& out) {
  const RECT overlap = Intersection(piece, cut);
  if (RectEmpty(overlap)) {
    out.push_back(piece);
    return;
  }
  if (piece.top < overlap.top) out.push_back(RECT{piece.left, piece.top, piece.right, overlap.top});
  if (overlap.bottom < piece.bottom) out.push_back(RECT{piece.left, overlap.bottom, piece.right, piece.bottom});
  if (piece.left < overlap.left) out.push_back(RECT{piece.left, overlap.top, overlap.left, overlap.bottom});
  if (overlap.right < piece.right) out.push_back(RECT{overlap.right, overlap.top, piece.right, overlap.bottom});
}

// Clip rectangles inside the surface and disjoint, so that blending text never touches a pixel
// twice even when the window manager hands in overlapping rectangles.
std::vector<RECT> DisjointClip(const std::vector<RECT>& clip, const Surface& surface) {
  const RECT bounds{0, 0, surface.width, surface.height};
  std::vector<RECT> result;
  for (const RECT& rect : clip) {
    std::vector<RECT> pieces{Intersection(rect, bounds)};
    if (RectEmpty(pieces.front())) continue;
    for (const RECT& taken : result) {
      std::vector<RECT> rest;
      for (const RECT& piece : pieces) Subtract(piece, taken, rest);
      pieces = std::move(rest);
    }
    result.insert(result.end(), pieces.begin(), pieces.end());
  }
  return result;
}

}  // namespace

DeviceContext::DeviceContext(bool memory, std::shared_ptr<Surface> surface, POINT origin, std::vector<RECT> clip)
    : GdiObject(GdiKind::DeviceContext), m_memory(memory), m_surface(std::move(surface)), m_origin(origin),
      m_clip(std::move(clip)) {
  if (m_memory) {
    HBITMAP bitmap = DefaultBitmap();
    Select(bitmap, LookupGdiObject(bitmap));
  }
  for (int stock : {SYSTEM_FONT, WHITE_BRUSH, BLACK_PEN}) {
    HGDIOBJ handle = GetStockObject(stock);
    Select(handle, LookupGdiObject(handle));
  }
}

DeviceContext::~DeviceContext() {
  for (Slot* slot : {&m_bitmapSlot, &m_fontSlot, &m_brushSlot, &m_penSlot}) {
    if (slot->object) slot->object->m_selections.fetch_sub(1);
  }
}

DeviceContext::Slot& DeviceContext::SlotOf(GdiKind kind) {
  switch (kind) {
    case GdiKind::Bitmap: return m_bitmapSlot;
    case GdiKind::Font: return m_fontSlot;
    case GdiKind::Brush: return m_brushSlot;
    default: return m_penSlot;
  }
}

void DeviceContext::Hold(Slot& slot, HGDIOBJ handle, std::shared_ptr<GdiObject> object) {
  if (slot.object) slot.object->m_selections.fetch_sub(1);
  slot.handle = handle;
  slot.object = std::move(object);
}

HGDIOBJ DeviceContext::Select(HGDIOBJ handle, const std::shared_ptr<GdiObject>& object) {
  if (!object || object->Kind() == GdiKind::DeviceContext) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  Slot& slot = SlotOf(object->Kind());
  if (slot.handle == handle) return handle;
  if (object->Kind() == GdiKind::Bitmap) {
    if (!m_memory) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    // A bitmap belongs to one memory context at a time (the shared default bitmap excepted).
    int unselected = 0;
    if (!object->m_stock && !object->m_selections.compare_exchange_strong(unselected, 1)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (object->m_stock) object->m_selections.fetch_add(1);
    auto bitmap = std::static_pointer_cast<BitmapObject>(object);
    m_surface = bitmap->m_surface;
    m_clip = {RECT{0, 0, m_surface->width, m_surface->height}};
  } else {
    object->m_selections.fetch_add(1);
    if (object->Kind() == GdiKind::Font) m_font = static_cast<const FontObject*>(object.get());
    if (object->Kind() == GdiKind::Brush) m_brush = static_cast<const BrushObject*>(object.get());
  }
  HGDIOBJ previous = slot.handle;
  Hold(slot, handle, object);
  return previous;
}

std::shared_ptr<DeviceContext> LookupDC(HDC dc) {
  auto object = LookupGdiObject(dc);
  if (!object || object->Kind() != GdiKind::DeviceContext) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return std::static_pointer_cast<DeviceContext>(object);
}

HDC CreateSurfaceDC(std::shared_ptr<Surface> target, POINT origin, std::vector<RECT> clip) {
  if (!target) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<RECT> disjoint = DisjointClip(clip, *target);
  auto dc = std::make_shared<DeviceContext>(false, std::move(target), origin, std::move(disjoint));
  return reinterpret_cast<HDC>(InsertGdiObject(std::move(dc)));
}

bool DeviceContext::CurrentClip(std::vector<RECT>* clip) const {
  if (!m_clipSource) {
    *clip = m_clip;
    return true;
  }
  std::vector<RECT> visible;
  if (!m_clipSource(&visible) || !m_surface) return false;
  *clip = DisjointClip(visible, *m_surface);
  return true;
}

SurfaceLock::SurfaceLock(Surface& first, Surface* second) {
  if (second && second != &first) {
    std::lock(first.lock, second->lock);
    m_first = std::unique_lock(first.lock, std::adopt_lock);
    m_second = std::unique_lock(second->lock, std::adopt_lock);
  } else {
    m_first = std::unique_lock(first.lock);
  }
}

}  // namespace gwes

HDC CreateCompatibleDC(HDC reference) {
  if (reference && !gwes::LookupDC(reference)) return nullptr;
  auto dc = std::make_shared<gwes::DeviceContext>(true, nullptr, POINT{0, 0}, std::vector<RECT>{});
  return reinterpret_cast<HDC>(gwes::InsertGdiObject(std::move(dc)));
}

BOOL DeleteDC(HDC dc) {
  if (!gwes::LookupDC(dc)) return FALSE;
  return gwes::RemoveGdiObject(dc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  auto context = gwes::LookupDC(dc);
  if (!context) return nullptr;
  return context->Select(object, gwes::LookupGdiObject(object));
}

HGDIOBJ GetCurrentObject(HDC dc, UINT kind) {
  auto context = gwes::LookupDC(dc);
  if (!context) return nullptr;
  switch (kind) {
    case OBJ_BITMAP: return context->IsMemory() ? context->Selected(gwes::GdiKind::Bitmap) : nullptr;
    case OBJ_FONT: return context->Selected(gwes::GdiKind::Font);
    case OBJ_BRUSH: return context->Selected(gwes::GdiKind::Brush);
    case OBJ_PEN: return context->Selected(gwes::GdiKind::Pen);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  auto context = gwes::LookupDC(dc);
  if (!context) return CLR_INVALID;
  return std::exchange(context->m_textColour, colour & gwes::kColourBits);
}

COLORREF GetTextColor(HDC dc) {
  auto context = gwes::LookupDC(dc);
  return context ? context->m_textColour : CLR_INVALID;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
  auto context = gwes::LookupDC(dc);
  if (!context) return CLR_INVALID;
  return std::exchange(context->m_bkColour, colour & gwes::kColourBits);
}

COLORREF GetBkColor(HDC dc) {
  auto context = gwes::LookupDC(dc);
  return context ? context->m_bkColour : CLR_INVALID;
}

int SetBkMode(HDC dc, int mode) {
  auto context = gwes::LookupDC(dc);
  if (!context) return 0;
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return std::exchange(context->m_bkMode, mode);
}

int GetBkMode(HDC dc) {
  auto context = gwes::LookupDC(dc);
  return context ? context->m_bkMode : 0;
}

int GetClipBox(HDC dc, RECT* rect) {
  auto context = gwes::LookupDC(dc);
  if (!context || !rect) return 0;
  RECT box{};
  for (const RECT& clip : context->Clip()) UnionRect(&box, &box, &clip);
  const POINT origin = context->Origin();
  OffsetRect(&box, -origin.x, -origin.y);
  *rect = box;
  if (context->Clip().empty()) return NULLREGION;
  return context->Clip().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
