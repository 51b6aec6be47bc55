// Finding the navigator's language package "Pelora_<word>*.cab" in the installation folder of the
// storage card, and the fixed-size path buffers that the package operations share. A path that
// does not fit its buffer is a failure, never a truncated path.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/kernel/win32_types.h"

// Results of the package file operations.
constexpr DWORD PACKAGE_SUCCESS = 0;    // found, copied
constexpr DWORD PACKAGE_NOT_FOUND = 2;  // a source is missing
constexpr DWORD PACKAGE_FAILED = 9;     // invalid input or failure

// Wide characters, terminator included, of the search pattern, g_packageName, g_packagePath and
// the paths built for the copy and the installer run; the flash-disk clean-up uses MAX_PATH.
constexpr std::size_t kPackagePathChars = 64;

// The package found last (file name, and folder + "\" + name); empty until a search succeeds, kept
// until the next successful one.
extern WCHAR g_packageName[kPackagePathChars];
extern WCHAR g_packagePath[kPackagePathChars];

// The word in the package file name of each language with a package; any other id has none.
struct PackageWord {
  DWORD languageId;
  const char16_t* word;
};
extern const std::array<PackageWord, 10> PackageWordTable;
// The word for a language id, or null.
const char16_t* PackageWordFor(DWORD languageId);

// Where the packages and the installer lie for a platform type: 9 runs the installer straight
// from "\Storage Card\Installation"; 8 copies it from "\SD Card\Installation" to the flash disk
// first. Other types have no layout.
struct PackageLayout {
  const char16_t* folder;
  bool fromFlashDisk;
};
std::optional<PackageLayout> PackageLayoutFor(DWORD platformType);

// The parts joined into one path, or nothing when it would not fit a buffer of bufferChars
// (terminator included).
std::optional<std::u16string> ComposePath(std::initializer_list<std::u16string_view> parts, std::size_t bufferChars);

// True when at least one file matches the path or pattern.
bool FileExists(LPCWSTR pattern);
// The file name (without folder) of the first match, or nothing.
std::optional<std::u16string> FindFirstName(LPCWSTR pattern);

// Looks for the package of a language in a folder: PACKAGE_SUCCESS with g_packageName and
// g_packagePath set, PACKAGE_NOT_FOUND when no file matches, PACKAGE_FAILED for a folder shorter
// than 3 characters, a language without a package word, or a name or path too long for its buffer
// (the previous package is then kept).
DWORD FindPackage(LPCWSTR folder, DWORD languageId);
