// LoadBitmapW: the resource lookup in front of CreateBitmapFromDib, kept apart so that programs
// drawing only their own bitmaps do not pull in the resource services.
//
// Screens load their bitmaps afresh at every use (a background at every erase). The program's
// own resources never change while they are set, so their pictures are converted once and every
// load is a new bitmap reading those converted pixels until something draws into it, when it takes
// a copy of its own: the program still owns and frees each bitmap it loads, drawing into one load
// never shows in another, and a 320 x 240 background costs neither a conversion nor a copy.
#include <map>
#include <mutex>

#include "platform/gwes/gdi/bitmap.h"
#include "platform/gwes/gdi/dib.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/resources.h"

namespace {

struct ConvertedPicture {
  int width = 0;
  int height = 0;
  int bitsPixel = 32;
  gwes::SharedPixels pixels;
};

struct ConvertedPictures {
  std::mutex lock;
  std::uint64_t generation = 0;
  std::map<const std::uint8_t*, ConvertedPicture> images;  // keyed by where the DIB lies
};

ConvertedPictures& Converted() {
  static ConvertedPictures pictures;
  return pictures;
}

HBITMAP LoadProgramBitmap(std::span<const std::uint8_t> dib) {
  auto& converted = Converted();
  std::unique_lock guard(converted.lock);
  if (converted.generation != kernel::ProgramResourcesGeneration()) {
    converted.images.clear();
    converted.generation = kernel::ProgramResourcesGeneration();
  }
  auto found = converted.images.find(dib.data());
  if (found == converted.images.end()) {
    auto image = gwes::ParseDib(dib);
    if (!image) {
      SetLastError(ERROR_INVALID_DATA);
      return nullptr;
    }
    ConvertedPicture picture{image->width, image->height, image->bitsPixel == 1 ? 1 : 32,
                             std::make_shared<const std::vector<std::uint32_t>>(std::move(image->pixels))};
    found = converted.images.emplace(dib.data(), std::move(picture)).first;
  }
  const ConvertedPicture& picture = found->second;
  return gwes::CreateBitmapSharing(picture.width, picture.height, picture.bitsPixel, picture.pixels);
}

}  // namespace

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
  std::span<const std::uint8_t> dib(bytes, size);
  return kernel::IsProgramModule(instance) ? LoadProgramBitmap(dib) : gwes::CreateBitmapFromDib(dib);
}
