#include "install/package_search.h"

#include <algorithm>

#include "platform/kernel/files.h"
#include "platform/kernel/wide_string.h"

WCHAR g_packageName[kPackagePathChars];
WCHAR g_packagePath[kPackagePathChars];

const std::array<PackageWord, 10> PackageWordTable = {{
    {1030, u"danish"},
    {1031, u"german"},
    {1033, u"english"},
    {1036, u"french"},
    {1040, u"italian"},
    {1043, u"dutch"},
    {1053, u"swedish"},
    {2057, u"english"},
    {2067, u"flemish"},
    {3082, u"spanish"},
}};

namespace {

// Copies text with its terminator into a buffer it is known to fit.
void StoreInBuffer(WCHAR (&buffer)[kPackagePathChars], std::u16string_view text) {
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = u'\0';
}

}  // namespace

const char16_t* PackageWordFor(DWORD languageId) {
  for (const auto& entry : PackageWordTable) {
    if (entry.languageId == languageId) return entry.word;
  }
  return nullptr;
}

std::optional<PackageLayout> PackageLayoutFor(DWORD platformType) {
  if (platformType == 9) return PackageLayout{u"\\Storage Card\\Installation", false};
  if (platformType == 8) return PackageLayout{u"\\SD Card\\Installation", true};
  return std::nullopt;
}

std::optional<std::u16string> ComposePath(std::initializer_list<std::u16string_view> parts, std::size_t bufferChars) {
  std::u16string path;
  for (auto part : parts) path += part;
  if (path.size() >= bufferChars) return std::nullopt;
  return path;
}

bool FileExists(LPCWSTR pattern) {
  WIN32_FIND_DATAW data{};
  HANDLE search = FindFirstFileW(pattern, &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

std::optional<std::u16string> FindFirstName(LPCWSTR pattern) {
  WIN32_FIND_DATAW data{};
  HANDLE search = FindFirstFileW(pattern, &data);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  const WCHAR* end = std::find(std::begin(data.cFileName), std::end(data.cFileName), u'\0');
  return std::u16string(data.cFileName, static_cast<std::size_t>(end - data.cFileName));
}

DWORD FindPackage(LPCWSTR folder, DWORD languageId) {
  std::u16string_view folderText = kernel::WideView(folder);
  if (folderText.size() < 3 || languageId == 0) return PACKAGE_FAILED;
  const char16_t* word = PackageWordFor(languageId);
  if (word == nullptr) return PACKAGE_FAILED;
  auto pattern = ComposePath({folderText, u"\\Pelora_", word, u"*.cab"}, kPackagePathChars);
  if (!pattern) return PACKAGE_FAILED;
  auto name = FindFirstName(pattern->c_str());
  if (!name) return PACKAGE_NOT_FOUND;
  // A name or path beyond its buffer fails as a whole, so the last package found stays intact.
  auto path = ComposePath({folderText, u"\\", *name}, kPackagePathChars);
  if (name->size() >= kPackagePathChars || !path) return PACKAGE_FAILED;
  StoreInBuffer(g_packageName, *name);
  StoreInBuffer(g_packagePath, *path);
  return PACKAGE_SUCCESS;
}
