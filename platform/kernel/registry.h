// The device registry: hives HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER kept in "registry.db".
// Key and value names compare case-insensitively; a leading backslash in a key path is ignored
// ("\ControlPanel\Volume" names the same key as "ControlPanel\Volume"). String values are stored
// as UTF-16LE bytes with their terminator, exactly as written, so byte counts stay exact.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/win32_types.h"

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002));

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// Registry failures beyond the common error codes: a call through a handle whose key has been
// deleted since it was opened, and a store that could not be read or written.
constexpr DWORD ERROR_REGISTRY_IO_FAILED = 1016;
constexpr DWORD ERROR_KEY_DELETED = 1018;

constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

// Opens an existing key (never creates one). ERROR_FILE_NOT_FOUND when it does not exist. A handle
// names its key by path: once the key is deleted, calls through the handle fail with
// ERROR_KEY_DELETED. Options and access rights are ignored, as on the device.
LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, DWORD access, HKEY* result);
// Win32 buffer rules: with data null only the size (and type) is reported; with too small a
// buffer the call fails with ERROR_MORE_DATA and reports the size needed; the type is reported
// whenever the value exists.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LONG RegCloseKey(HKEY key);
// Deletes a key with all its sub-keys and values.
LONG RegDeleteKeyW(HKEY root, LPCWSTR subKey);
LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);

namespace kernel {

// Tool-side access for devicectl, the default image and tests: keys by full path such as
// "HKLM\System\CurrentControlSet\Control\Power\Timeouts" (HKEY_LOCAL_MACHINE, HKLM,
// HKEY_CURRENT_USER, HKCU). Unlike the program's calls, these may create keys.
struct RegistryValue {
  std::u16string name;
  DWORD type = REG_NONE;
  std::vector<std::uint8_t> data;

  bool operator==(const RegistryValue&) const = default;
};

struct RegistryPath {
  HKEY hive = nullptr;
  std::u16string key;  // without the hive, without leading or trailing backslashes
};

// The registry's limits, as Windows has them: a key name of up to 255 characters, all of them
// printable (no control characters), a value name of up to 16,383, at most 512 levels of keys,
// and a whole key path of up to 32,767 characters (a Windows object name).
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::size_t kMaxKeyDepth = 512;
constexpr std::size_t kMaxKeyPathLength = 32767;

// What makes a key path (under its hive) or a value name break the limits; nullopt within them.
std::optional<std::string> KeyPathProblem(std::u16string_view key);
std::optional<std::string> ValueNameProblem(std::u16string_view name);

// Thrown by the tool-side calls that would create a key or value beyond the limits.
struct RegistryLimitError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

// Splits "HKLM\Key\Sub" into hive and key; nullopt for an unknown hive.
std::optional<RegistryPath> ParseRegistryPath(std::u16string_view fullPath);
// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
std::u16string HiveName(HKEY hive);

// Runs fn as one write transaction: every registry call fn makes on this thread (tool-side or
// Win32-shaped) joins it, so a read-modify-write cannot lose another process's update and a
// failure (an exception) leaves nothing half-done. Nested calls join the outer transaction.
void RegistryTransaction(const std::function<void()>& fn);

// The tool-side functions return false or nothing for a missing key or value and for a path
// without a known hive; they throw std::runtime_error when the store itself fails.
// Creates the key and every missing parent; true when it exists afterwards. RegistryCreateKey and
// RegistrySetValue throw RegistryLimitError (and change nothing) beyond the limits.
bool RegistryCreateKey(const RegistryPath& path);
bool RegistryKeyExists(const RegistryPath& path);
// Sets a value, creating the key when needed.
bool RegistrySetValue(const RegistryPath& path, const RegistryValue& value);
std::optional<RegistryValue> RegistryGetValue(const RegistryPath& path, std::u16string_view name);
bool RegistryDeleteValue(const RegistryPath& path, std::u16string_view name);
bool RegistryDeleteKey(const RegistryPath& path);
// The key's values, ordered by name, and the full paths (under the hive, as RegistryPath::key) of
// its direct sub-keys, ordered by name.
std::vector<RegistryValue> RegistryListValues(const RegistryPath& path);
std::vector<std::u16string> RegistryListSubKeys(const RegistryPath& path);

// A key and everything below it, read as one consistent snapshot: the key first, then its
// sub-keys depth-first, each level ordered by name; values ordered by name. Empty when the key
// does not exist.
struct RegistryTreeKey {
  std::u16string key;  // path under the hive, as RegistryPath::key
  std::vector<RegistryValue> values;
};
std::vector<RegistryTreeKey> RegistryReadTree(const RegistryPath& path);

}  // namespace kernel
