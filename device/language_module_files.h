// The program's language modules as the default image holds them in "\Windows": the file name
// ("Utility.exe.0407.mui") and the compiled bytes of each.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace device {

struct LanguageModuleFile {
  std::string name;
  std::span<const std::uint8_t> bytes;
};

const std::vector<LanguageModuleFile>& LanguageModuleFiles();

}  // namespace device
