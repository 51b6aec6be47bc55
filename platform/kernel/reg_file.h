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
};

struct RegFileError {
  int line = 0;
  std::string message;
};

// Parses UTF-8 REGEDIT4 (or "Windows Registry Editor Version 5.00") text. Values: "name"="text",
// @="text", dword:XXXXXXXX, hex:..,.. (binary), hex(N):.. (any type), "name"=- (delete).
std::variant<std::vector<RegFileKey>, RegFileError> ParseRegFile(std::string_view text);

// Writes keys in REGEDIT4 form: a header line, a blank line, then each key with its values.
std::string FormatRegFile(const std::vector<RegFileKey>& keys);

// Exports the key (or both hives when path is empty) with all its sub-keys.
std::vector<RegFileKey> ExportRegistry(const std::optional<RegistryPath>& path);
// Applies parsed keys to the registry in order.
void ImportRegistry(const std::vector<RegFileKey>& keys);

}  // namespace kernel
