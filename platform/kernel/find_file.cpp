// File searches: FindFirstFileW, FindNextFileW, FindClose and the wildcard rule they use.
//
// The matches of a search are taken when it starts and handed out in name order (case-folded,
// then exact), so results never depend on the host's directory order. The device's FAT volumes
// report creation order instead; the program only ever takes the first match of a pattern and
// does not rely on either order.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/host_file.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"

namespace kernel {

bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name) {
  // Greedy matching that backtracks only to the last "*": linear in practice, never exponential.
  std::size_t p = 0, n = 0;
  std::size_t starAt = std::u16string_view::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starAt = p++;
      starName = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || FoldChar(pattern[p]) == FoldChar(name[n]))) {
      ++p;
      ++n;
    } else if (starAt != std::u16string_view::npos) {
      p = starAt + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

namespace {

struct FoundEntry {
  std::u16string name;
  struct stat st;
};

class FindSearch final : public KernelObject {
 public:
  explicit FindSearch(std::vector<FoundEntry> entries) : m_entries(std::move(entries)) {}
  // The next entry, or null at the end.
  const FoundEntry* Next() { return m_next < m_entries.size() ? &m_entries[m_next++] : nullptr; }

 private:
  std::vector<FoundEntry> m_entries;
  std::size_t m_next = 0;
};

void FillFindData(const FoundEntry& entry, WIN32_FIND_DATAW* data) {
  *data = WIN32_FIND_DATAW{};
  data->dwFileAttributes = AttributesOfHostFile(entry.st);
  data->ftCreationTime = FileTimeFromHost(entry.st.st_mtim);
  data->ftLastAccessTime = FileTimeFromHost(entry.st.st_atim);
  data->ftLastWriteTime = FileTimeFromHost(entry.st.st_mtim);
  if (!S_ISDIR(entry.st.st_mode)) {
    auto size = static_cast<std::uint64_t>(entry.st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
  }
  // The host name as stored, cut to fit with its terminator; a cut never splits a surrogate pair.
  std::size_t length = std::min<std::size_t>(entry.name.size(), MAX_PATH - 1);
  if (length < entry.name.size() && length > 0 && entry.name[length - 1] >= 0xD800 &&
      entry.name[length - 1] <= 0xDBFF) {
    --length;
  }
  std::copy_n(entry.name.begin(), length, data->cFileName);
  data->cFileName[length] = 0;
}

// The entries of a folder whose names match. Links are listed only when they lead to something
// inside the root; anything else a link could show (the size or kind of a host file) stays hidden.
std::vector<FoundEntry> MatchingEntries(const Device& device, const std::filesystem::path& folder,
                                        std::u16string_view pattern) {
  std::vector<FoundEntry> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::u16string name = Utf8ToWide(it->path().filename().string());
    if (!MatchesWildcard(pattern, name)) continue;
    if (folder == device.Root() && IsDeviceStoreName(name)) continue;
    FoundEntry entry{std::move(name), {}};
    if (::lstat(it->path().c_str(), &entry.st) != 0) continue;
    if (S_ISLNK(entry.st.st_mode)) {
      std::error_code linkError;
      auto target = std::filesystem::canonical(it->path(), linkError);
      if (linkError || !DevicePathOf(device, target) || ::stat(target.c_str(), &entry.st) != 0) continue;
    }
    found.push_back(std::move(entry));
  }
  std::sort(found.begin(), found.end(), [](const FoundEntry& a, const FoundEntry& b) {
    auto foldedA = FoldCase(a.name), foldedB = FoldCase(b.name);
    return foldedA != foldedB ? foldedA < foldedB : a.name < b.name;
  });
  return found;
}

}  // namespace
}  // namespace kernel

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
  if (pattern == nullptr || data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::u16string_view text = kernel::WideView(pattern);
  std::size_t slash = text.rfind(u'\\');
  std::u16string_view folderPart = slash == std::u16string_view::npos ? std::u16string_view{} : text.substr(0, slash);
  std::u16string_view leaf = slash == std::u16string_view::npos ? text : text.substr(slash + 1);
  if (leaf == u"..") {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  for (char16_t c : leaf) {
    if (kernel::IsForbiddenNameChar(c, true)) {
      SetLastError(ERROR_INVALID_NAME);
      return INVALID_HANDLE_VALUE;
    }
  }
  auto& device = kernel::CurrentDevice();
  DWORD error = ERROR_PATH_NOT_FOUND;
  auto folder = kernel::ResolveDevicePath(device, folderPart, &error);
  std::error_code ec;
  if (folder && (!folder->exists || !std::filesystem::is_directory(folder->host, ec))) {
    folder.reset();
    error = ERROR_PATH_NOT_FOUND;
  }
  if (!folder) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  // "*.*" names every file, also those without a dot, as on Windows.
  auto entries = kernel::MatchingEntries(device, folder->host, leaf == u"*.*" ? u"*" : leaf);
  if (entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto search = std::make_shared<kernel::FindSearch>(std::move(entries));
  kernel::FillFindData(*search->Next(), data);
  SetLastError(ERROR_SUCCESS);
  return kernel::InsertHandle(std::move(search));
}

BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data) {
  auto object = kernel::LookupHandle<kernel::FindSearch>(search);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const kernel::FoundEntry* entry = object->Next();
  if (entry == nullptr) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  kernel::FillFindData(*entry, data);
  return TRUE;
}

BOOL FindClose(HANDLE search) {
  if (!kernel::LookupHandle<kernel::FindSearch>(search) || !kernel::RemoveHandle(search)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
