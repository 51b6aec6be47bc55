#include "platform/gwes/gdi/gdi_objects.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/font_engine.h"
#include "platform/kernel/last_error.h"

namespace gwes {
namespace {

struct GdiTable {
  std::mutex lock;
  std::unordered_map<ULONG_PTR, std::shared_ptr<GdiObject>> objects;
  // GDI handles live in their own range, away from kernel handles, and grow by four.
  ULONG_PTR next = 0x10000;
};

GdiTable& Table() {
  static GdiTable table;
  return table;
}

// Copies a description into the caller's buffer the way GetObjectW does: the size needed without a
// buffer, at most `size` bytes otherwise.
template <typename T>
int CopyDescription(const T& description, int size, LPVOID buffer) {
  if (!buffer) return sizeof(T);
  if (size <= 0) return 0;
  const int count = std::min<int>(size, sizeof(T));
  std::memcpy(buffer, &description, static_cast<std::size_t>(count));
  return count;
}

}  // namespace

HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object) {
  auto& table = Table();
  std::lock_guard guard(table.lock);
  ULONG_PTR value = table.next;
  table.next += 4;
  table.objects.emplace(value, std::move(object));
  return reinterpret_cast<HGDIOBJ>(value);
}

HGDIOBJ InsertStockObject(std::shared_ptr<GdiObject> object) {
  object->m_stock = true;
  return InsertGdiObject(std::move(object));
}

std::shared_ptr<GdiObject> LookupGdiObject(const void* handle) {
  auto& table = Table();
  std::lock_guard guard(table.lock);
  auto it = table.objects.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == table.objects.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

bool RemoveGdiObject(const void* handle) {
  std::shared_ptr<GdiObject> doomed;
  auto& table = Table();
  std::lock_guard guard(table.lock);
  auto it = table.objects.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == table.objects.end()) return false;
  doomed = std::move(it->second);
  table.objects.erase(it);
  return true;
}

std::size_t GdiObjectCount() {
  auto& table = Table();
  std::lock_guard guard(table.lock);
  return table.objects.size();
}

HBITMAP DefaultBitmap() {
  static const HBITMAP bitmap = [] {
    auto object = std::make_shared<BitmapObject>(1, 1, 1);
    object->m_surface->At(0, 0) = 0x00FFFFFF;
    return InsertStockObject(std::move(object));
  }();
  return bitmap;
}

}  // namespace gwes

HGDIOBJ GetStockObject(int index) {
  using gwes::BrushObject, gwes::PenObject;
  static const auto stock = [] {
    std::unordered_map<int, HGDIOBJ> objects;
    const std::pair<int, COLORREF> brushes[] = {{WHITE_BRUSH, RGB(255, 255, 255)}, {LTGRAY_BRUSH, RGB(192, 192, 192)},
                                                {GRAY_BRUSH, RGB(128, 128, 128)},  {DKGRAY_BRUSH, RGB(64, 64, 64)},
                                                {BLACK_BRUSH, RGB(0, 0, 0)}};
    for (auto [id, colour] : brushes) objects[id] = gwes::InsertStockObject(std::make_shared<BrushObject>(colour, false));
    objects[NULL_BRUSH] = gwes::InsertStockObject(std::make_shared<BrushObject>(0, true));
    objects[WHITE_PEN] = gwes::InsertStockObject(std::make_shared<PenObject>(PS_SOLID, 1, RGB(255, 255, 255)));
    objects[BLACK_PEN] = gwes::InsertStockObject(std::make_shared<PenObject>(PS_SOLID, 1, RGB(0, 0, 0)));
    objects[NULL_PEN] = gwes::InsertStockObject(std::make_shared<PenObject>(PS_NULL, 1, RGB(0, 0, 0)));
    for (auto [id, description] : {std::pair{SYSTEM_FONT, gwes::SystemLogFont()}, {DEFAULT_GUI_FONT, gwes::GuiLogFont()}}) {
      objects[id] = gwes::InsertStockObject(std::make_shared<gwes::FontObject>(description, gwes::ResolveFont(description)));
    }
    return objects;
  }();
  auto it = stock.find(index);
  if (it == stock.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return it->second;
}

HPEN CreatePen(int style, int width, COLORREF colour) {
  return gwes::InsertGdiObject(std::make_shared<gwes::PenObject>(style, width, colour & gwes::kColourBits));
}

BOOL DeleteObject(HGDIOBJ handle) {
  auto object = gwes::LookupGdiObject(handle);
  if (!object || object->Kind() == gwes::GdiKind::DeviceContext) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->m_stock) return TRUE;
  if (object->m_selections.load() > 0) {
    SetLastError(ERROR_BUSY);
    return FALSE;
  }
  return gwes::RemoveGdiObject(handle) ? TRUE : FALSE;
}

int GetObjectW(HGDIOBJ handle, int size, LPVOID buffer) {
  auto object = gwes::LookupGdiObject(handle);
  if (!object) return 0;
  switch (object->Kind()) {
    case gwes::GdiKind::Bitmap: {
      const auto& bitmap = static_cast<const gwes::BitmapObject&>(*object);
      const LONG width = bitmap.m_surface->width;
      // Device bitmaps give no pointer to their bits; rows are word-aligned like the device's.
      const LONG widthBytes = bitmap.m_bitsPixel == 1 ? (width + 15) / 16 * 2 : width * 4;
      const BITMAP description{0, width, bitmap.m_surface->height, widthBytes, 1,
                               static_cast<WORD>(bitmap.m_bitsPixel), nullptr};
      return gwes::CopyDescription(description, size, buffer);
    }
    case gwes::GdiKind::Font:
      return gwes::CopyDescription(static_cast<const gwes::FontObject&>(*object).m_logFont, size, buffer);
    case gwes::GdiKind::Brush: {
      const auto& brush = static_cast<const gwes::BrushObject&>(*object);
      return gwes::CopyDescription(LOGBRUSH{brush.m_hollow ? BS_NULL : BS_SOLID, brush.m_colour, 0}, size, buffer);
    }
    case gwes::GdiKind::Pen: {
      const auto& pen = static_cast<const gwes::PenObject&>(*object);
      return gwes::CopyDescription(LOGPEN{static_cast<UINT>(pen.m_style), POINT{pen.m_width, 0}, pen.m_colour}, size, buffer);
    }
    case gwes::GdiKind::DeviceContext:
      break;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

DWORD GetObjectType(HGDIOBJ handle) {
  auto object = gwes::LookupGdiObject(handle);
  if (!object) return 0;
  switch (object->Kind()) {
    case gwes::GdiKind::Bitmap: return OBJ_BITMAP;
    case gwes::GdiKind::Brush: return OBJ_BRUSH;
    case gwes::GdiKind::Font: return OBJ_FONT;
    case gwes::GdiKind::Pen: return OBJ_PEN;
    case gwes::GdiKind::DeviceContext:
      return static_cast<const gwes::DeviceContext&>(*object).IsMemory() ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}
