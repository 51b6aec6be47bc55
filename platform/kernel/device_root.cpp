#include "platform/kernel/device_root.h"

#include <sys/stat.h>

#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/kernel/device_store.h"
#include "platform/kernel/wide_string.h"

namespace kernel {
namespace {

std::mutex g_currentLock;
std::shared_ptr<Device> g_current;

}  // namespace

bool IsForbiddenNameChar(char16_t c, bool wildcards) {
  if (c < 0x20) return true;
  switch (c) {
    case u'/':
    case u'<':
    case u'>':
    case u':':
    case u'"':
    case u'|':
      return true;
    case u'*':
    case u'?':
      return !wildcards;
    default:
      return false;
  }
}

namespace {

bool IsInside(const std::filesystem::path& root, const std::filesystem::path& candidate) {
  auto r = root.begin();
  auto c = candidate.begin();
  for (; r != root.end(); ++r, ++c) {
    if (c == candidate.end() || *r != *c) return false;
  }
  return true;
}

// Where a link finally leads. weakly_canonical leaves a link whose target does not exist
// unresolved, so such a link is read by hand and its target followed in turn: a dangling link must
// not let a later create land outside the root. Loops and long chains resolve nowhere.
std::optional<std::filesystem::path> FinalTarget(std::filesystem::path link) {
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code ec;
    auto full = std::filesystem::weakly_canonical(link, ec);
    if (ec) return std::nullopt;
    struct stat st{};
    if (::lstat(full.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return full;
    auto next = std::filesystem::read_symlink(full, ec);
    if (ec) return std::nullopt;
    link = next.is_absolute() ? next : full.parent_path() / next;
  }
  return std::nullopt;
}

// Finds the host entry of one component in a folder: exact name first, then a case-insensitive
// match. Returns the host name, or nothing.
std::optional<std::string> MatchEntry(const std::filesystem::path& folder, std::u16string_view name) {
  std::string exact = WideToUtf8(name);
  struct stat st{};
  if (::lstat((folder / exact).c_str(), &st) == 0) return exact;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::string host = it->path().filename().string();
    if (EqualsNoCase(Utf8ToWide(host), name)) return host;
  }
  return std::nullopt;
}

}  // namespace

Device::Device(const std::filesystem::path& hostRoot) {
  std::error_code ec;
  m_root = std::filesystem::canonical(hostRoot, ec);
  if (ec || !std::filesystem::is_directory(m_root)) {
    throw std::runtime_error("device root is not a folder: " + hostRoot.string());
  }
  m_store = std::make_unique<DeviceStore>(m_root / "registry.db");
}

Device::~Device() = default;

void SetCurrentDevice(std::shared_ptr<Device> device) {
  std::lock_guard guard(g_currentLock);
  g_current = std::move(device);
}

Device& CurrentDevice() {
  std::lock_guard guard(g_currentLock);
  if (!g_current) throw std::logic_error("no device is open");
  return *g_current;
}

bool HasCurrentDevice() {
  std::lock_guard guard(g_currentLock);
  return g_current != nullptr;
}

std::optional<ResolvedPath> ResolveDevicePath(const Device& device, std::u16string_view devicePath,
                                              DWORD* error, bool allowWildcards) {
  auto fail = [&](DWORD code) -> std::optional<ResolvedPath> {
    if (error) *error = code;
    return std::nullopt;
  };
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  while (start <= devicePath.size()) {
    std::size_t end = devicePath.find(u'\\', start);
    if (end == std::u16string_view::npos) end = devicePath.size();
    auto part = devicePath.substr(start, end - start);
    if (!part.empty() && part != u".") parts.push_back(part);
    start = end + 1;
  }
  if (!parts.empty() && IsDeviceStoreName(parts[0])) return fail(ERROR_ACCESS_DENIED);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size();
    if (parts[i] == u"..") return fail(ERROR_INVALID_NAME);
    for (char16_t c : parts[i]) {
      if (IsForbiddenNameChar(c, allowWildcards && last)) return fail(ERROR_INVALID_NAME);
    }
  }

  ResolvedPath result;
  result.host = device.Root();
  result.exists = true;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size();
    auto match = MatchEntry(result.host, parts[i]);
    if (!match) {
      if (!last) return fail(ERROR_PATH_NOT_FOUND);
      result.host /= WideToUtf8(parts[i]);
      result.exists = false;
      result.leaf = std::u16string(parts[i]);
      break;
    }
    result.host /= *match;
    result.leaf = Utf8ToWide(*match);
    // A link is followed only while its target stays inside the root.
    struct stat st{};
    if (::lstat(result.host.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      auto target = FinalTarget(result.host);
      if (!target || !IsInside(device.Root(), *target)) return fail(ERROR_INVALID_NAME);
    }
    if (!last && !std::filesystem::is_directory(result.host)) return fail(ERROR_PATH_NOT_FOUND);
  }
  return result;
}

bool IsDeviceStoreName(std::u16string_view name) {
  std::u16string folded = FoldCase(name);
  return folded == u"REGISTRY.DB" || folded == u"RUN" || folded.rfind(u"REGISTRY.DB-", 0) == 0 || folded.rfind(u"REGISTRY.DB.DAMAGED-", 0) == 0;
}

std::optional<std::u16string> DevicePathOf(const Device& device, const std::filesystem::path& host) {
  std::error_code ec;
  auto full = std::filesystem::weakly_canonical(host, ec);
  if (ec || !IsInside(device.Root(), full)) return std::nullopt;
  std::u16string out;
  auto it = full.begin();
  for (auto r = device.Root().begin(); r != device.Root().end(); ++r) ++it;
  for (; it != full.end(); ++it) {
    out += u'\\';
    out += Utf8ToWide(it->string());
  }
  return out.empty() ? u"\\" : out;
}

}  // namespace kernel
