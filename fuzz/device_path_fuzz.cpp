// Fuzzes device path resolution: whatever UTF-16 text comes in, a path that resolves must lead to a
// place inside the device root, also when it runs through links. The device tree, with hostile
// links out of the root, is laid once in a fixed place that every run shares.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "platform/kernel/device_root.h"

namespace {

namespace fs = std::filesystem;

// Only missing parts are laid, so runs side by side share the tree and none has to remove it
// (libFuzzer ends without running exit handlers). One-letter names let mutations reach the links.
kernel::Device& TheDevice() {
  static std::unique_ptr<kernel::Device> device = [] {
    std::error_code exists;
    fs::path base = fs::temp_directory_path() / "quorvane-fuzz-path";
    fs::create_directories(base / "device" / "F" / "s", exists);
    fs::create_directories(base / "outside", exists);
    base = fs::canonical(base);
    fs::path root = base / "device", outside = base / "outside";
    std::ofstream(root / "F" / "S.dat") << "x";
    std::ofstream(outside / "secret") << "outside";
    fs::create_directory_symlink(outside, root / "o", exists);             // out, absolute
    fs::create_symlink(outside / "planted", root / "F" / "d", exists);     // out, dangling
    fs::create_symlink("../../outside/secret", root / "F" / "r", exists);  // out, relative
    fs::create_symlink("d", root / "F" / "h", exists);                     // out, through a dangling hop
    fs::create_symlink("F", root / "i", exists);                           // inside
    fs::create_symlink("..", root / "u", exists);                          // out, parent
    fs::create_symlink("l", root / "l", exists);                           // a loop
    return std::make_unique<kernel::Device>(root);
  }();
  return *device;
}

bool IsInside(const fs::path& root, const fs::path& candidate) {
  return std::mismatch(root.begin(), root.end(), candidate.begin(), candidate.end()).first == root.end();
}

// Where opening or creating the path would really land, following every link by hand, dangling
// ones included. Nothing when the links loop.
std::optional<fs::path> Lands(const fs::path& path, int depth = 0) {
  if (depth > 40) return std::nullopt;
  fs::path current = "/";
  for (const auto& part : path.relative_path()) {
    struct stat st{};
    if (part == "." || part.empty()) continue;
    if (part == "..") {
      current = current.parent_path();
    } else if (::lstat((current / part).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      fs::path target = fs::read_symlink(current / part);
      auto landed = Lands(target.is_absolute() ? target : current / target, depth + 1);
      if (!landed) return std::nullopt;
      current = *landed;
    } else {
      current /= part;
    }
  }
  return current;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kernel::Device& device = TheDevice();
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  DWORD error = 0;
  auto resolved = kernel::ResolveDevicePath(device, text, &error, size % 2 == 1);
  if (!resolved) {
    if (error != ERROR_INVALID_NAME && error != ERROR_PATH_NOT_FOUND) std::abort();
    return 0;
  }
  auto landed = Lands(resolved->host);
  if (!IsInside(device.Root(), resolved->host) || (landed && !IsInside(device.Root(), *landed))) {
    std::fprintf(stderr, "escaped: %s -> %s\n", resolved->host.c_str(), landed ? landed->c_str() : "(loop)");
    std::abort();
  }
  return 0;
}
