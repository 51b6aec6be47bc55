// LoadBitmapW: the resource lookup in front of CreateBitmapFromDib, kept apart so that programs
// drawing only their own bitmaps do not pull in the resource services.
#include "platform/gwes/gdi/bitmap.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/resources.h"

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  HRSRC resource = FindResourceW(instance, name, RT_BITMAP);
  if (!resource) return nullptr;
  HGLOBAL data = LoadResource(instance, resource);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(data));
  const DWORD size = SizeofResource(instance, resource);
  if (!bytes || size == 0) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return gwes::CreateBitmapFromDib(std::span<const std::uint8_t>(bytes, size));
}
