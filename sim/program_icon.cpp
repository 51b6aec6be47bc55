#include "sim/program_icon.h"

#include <span>

#include "platform/kernel/byte_reader.h"
#include "platform/kernel/resources.h"
#include "res/resource.h"

namespace sim {
namespace {

constexpr std::size_t kBitmapHeaderSize = 40;

std::span<const std::uint8_t> ResourceBytes(LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(nullptr, name, type);
  if (found == nullptr) return {};
  auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
  return bytes ? std::span<const std::uint8_t>(bytes, SizeofResource(nullptr, found)) : std::span<const std::uint8_t>{};
}

// One 32-bit DIB image of an icon: the colour rows bottom-up with their alpha, then the AND mask.
IconPixels DecodeImage(std::span<const std::uint8_t> image) {
  kernel::ByteReader reader(image);
  DWORD headerSize = 0, width = 0, doubleHeight = 0;
  WORD planes = 0, bitCount = 0;
  if (!reader.Dword(&headerSize) || headerSize != kBitmapHeaderSize || !reader.Dword(&width) ||
      !reader.Dword(&doubleHeight) || !reader.Word(&planes) || !reader.Word(&bitCount) || bitCount != 32 ||
      width == 0 || width > 256 || doubleHeight != 2 * width) {
    return {};
  }
  IconPixels icon;
  icon.width = static_cast<int>(width);
  icon.height = static_cast<int>(width);
  std::size_t count = std::size_t{width} * width;
  if (image.size() < kBitmapHeaderSize + 4 * count) return {};
  icon.argb.resize(count);
  kernel::ByteReader pixels(image.subspan(kBitmapHeaderSize));
  for (std::size_t row = 0; row < width; ++row) {
    for (std::size_t x = 0; x < width; ++x) {
      DWORD bgra = 0;
      pixels.Dword(&bgra);
      icon.argb[(width - 1 - row) * width + x] = bgra;
    }
  }
  return icon;
}

}  // namespace

IconPixels ProgramIconPixels() {
  kernel::ByteReader group(ResourceBytes(MAKEINTRESOURCEW(IDI_UTILITY), RT_GROUP_ICON));
  WORD reserved = 0, type = 0, count = 0;
  if (!group.Word(&reserved) || !group.Word(&type) || !group.Word(&count)) return {};
  IconPixels best;
  for (WORD i = 0; i < count; ++i) {
    BYTE width = 0, skip = 0;
    WORD planes = 0, bitCount = 0, id = 0;
    DWORD size = 0;
    if (!group.Byte(&width) || !group.Byte(&skip) || !group.Byte(&skip) || !group.Byte(&skip) ||
        !group.Word(&planes) || !group.Word(&bitCount) || !group.Dword(&size) || !group.Word(&id)) {
      break;
    }
    if (bitCount != 32) continue;
    IconPixels image = DecodeImage(ResourceBytes(MAKEINTRESOURCEW(id), RT_ICON));
    if (image.width > best.width) best = std::move(image);
  }
  return best;
}

}  // namespace sim
