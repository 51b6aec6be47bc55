// REGEDIT4 text: the export and import format of devicectl. Parsing is a pure function over the
// text; applying the result to the registry is a separate step.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/kernel/registry.h"

namespace kernel {

struct RegFileKey {
  std::u16string path;  // full path with the hive name, e.g. "HKEY_LOCAL_MACHINE\nls"
  bool remove = false;  // "[-HKEY_...]": delete the key
  std::vector<RegistryValue> values;
  std::vector<std::u16string> removedValues;  // "name"=-

  bool operator==(const RegFileKey&) const = default;
};

struct RegFileError {
  int line = 0;
  std::string message;
};

// Parses UTF-8 REGEDIT4 (or "Windows Registry Editor Version 5.00") text. Values: "name"="text",
// @="text", dword:XXXXXXXX, hex:..,.. (binary), hex(N):.. (any type), "name"=- (delete).
// Key paths come back with the full hive name and without empty components; "text" becomes
// UTF-16LE bytes with a terminator. Within one key a later line wins over an earlier write or
// deletion of the same value, so values and removedValues never name the same value.
std::variant<std::vector<RegFileKey>, RegFileError> ParseRegFile(std::string_view text);

// Writes keys in REGEDIT4 form: a header line, a blank line, then each key with its values, then
// its deleted values. ParseRegFile reads the result back to the same keys; REG_SZ data that is not
// plain terminated text is written as hex(1): so its bytes survive. Quoted names and text escape
// their control characters; a key path beyond the registry's limits throws std::invalid_argument.
std::string FormatRegFile(const std::vector<RegFileKey>& keys);

// Exports the key (or both hives, HKEY_CURRENT_USER first, when path is empty) with all its
// sub-keys, depth-first and ordered by name, from one consistent snapshot of each hive.
std::vector<RegFileKey> ExportRegistry(const std::optional<RegistryPath>& path);
// Applies parsed keys to the registry in order, as one transaction: a key's values are written,
// then its deleted values removed. Throws std::runtime_error (and applies nothing) for a path
// without a known hive or when the store fails.
void ImportRegistry(const std::vector<RegFileKey>& keys);

}  // namespace kernel
