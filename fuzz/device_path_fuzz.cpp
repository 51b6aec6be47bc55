// Fuzzes device path resolution: whatever UTF-16 text comes in, a path that resolves must lead to a
// place inside the device root, also when it runs through links. The device tree, with hostile
// links out of the root, is built once per run.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/kernel/device_root.h"

namespace {

namespace fs = std::filesystem;

struct Tree {
  fs::path base;
  std::unique_ptr<kernel::Device> device;
};

constexpr const char* kTreePrefix = "quorvane-fuzz-path-";

// libFuzzer ends without running exit handlers, so each run's tree is named after its process and
// a run removes the trees of runs that have ended.
void RemoveEndedTrees() {
  std::error_code ec;
  for (fs::directory_iterator it("/tmp", ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.rfind(kTreePrefix, 0) != 0) continue;
    long pid = std::strtol(name.c_str() + std::string_view(kTreePrefix).size(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) fs::remove_all(it->path(), ec);
  }
}

Tree& TheTree() {
  static Tree tree = [] {
    RemoveEndedTrees();
    Tree t;
    t.base = fs::path("/tmp") / (kTreePrefix + std::to_string(::getpid()));
    fs::remove_all(t.base);
    fs::create_directories(t.base);
    t.base = fs::canonical(t.base);
    fs::path root = t.base / "device", outside = t.base / "outside";
    // One-letter names, so that mutated inputs reach the links quickly.
    fs::create_directories(root / "F" / "s");
    fs::create_directories(outside);
    std::ofstream(root / "F" / "S.dat") << "x";
    std::ofstream(outside / "secret") << "outside";
    fs::create_directory_symlink(outside, root / "o");             // out, absolute
    fs::create_symlink(outside / "planted", root / "F" / "d");     // out, dangling
    fs::create_symlink("../../outside/secret", root / "F" / "r");  // out, relative
    fs::create_symlink("d", root / "F" / "h");                     // out, through a dangling hop
    fs::create_symlink("F", root / "i");                           // inside
    fs::create_symlink("..", root / "u");                          // out, parent
    fs::create_symlink("l", root / "l");                           // a loop
    t.device = std::make_unique<kernel::Device>(root);
    return t;
  }();
  return tree;
}

bool IsInside(const fs::path& root, const fs::path& candidate) {
  auto c = candidate.begin();
  for (auto r = root.begin(); r != root.end(); ++r, ++c) {
    if (c == candidate.end() || *r != *c) return false;
  }
  return true;
}

// Where opening or creating the path would really land, following every link by hand, dangling
// ones included. Nothing when the links loop.
std::optional<fs::path> Lands(const fs::path& path, int depth = 0) {
  if (depth > 40) return std::nullopt;
  fs::path current = "/";
  for (const auto& part : path.relative_path()) {
    if (part == "." || part.empty()) continue;
    if (part == "..") {
      current = current.parent_path();
      continue;
    }
    fs::path next = current / part;
    struct stat st{};
    if (::lstat(next.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      fs::path target = fs::read_symlink(next);
      auto landed = Lands(target.is_absolute() ? target : current / target, depth + 1);
      if (!landed) return std::nullopt;
      current = *landed;
    } else {
      current = next;
    }
  }
  return current;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Tree& tree = TheTree();
  bool wildcards = size % 2 == 1;
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  DWORD error = 0;
  auto resolved = kernel::ResolveDevicePath(*tree.device, text, &error, wildcards);
  if (!resolved) {
    if (error != ERROR_INVALID_NAME && error != ERROR_PATH_NOT_FOUND) std::abort();
    return 0;
  }
  const fs::path& root = tree.device->Root();
  if (!IsInside(root, resolved->host)) std::abort();
  auto landed = Lands(resolved->host);
  if (landed && !IsInside(root, *landed)) {
    std::fprintf(stderr, "escaped: %s -> %s\n", resolved->host.c_str(), landed->c_str());
    std::abort();
  }
  return 0;
}
