// REGEDIT4 text from outside: the parser must never crash, and whatever it accepts must survive
// FormatRegFile and a second parse unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/kernel/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto parsed = kernel::ParseRegFile(text);
  auto* keys = std::get_if<std::vector<kernel::RegFileKey>>(&parsed);
  if (keys == nullptr) {
    if (std::get<kernel::RegFileError>(parsed).line < 1) std::abort();
    return 0;
  }
  auto again = kernel::ParseRegFile(kernel::FormatRegFile(*keys));
  auto* reread = std::get_if<std::vector<kernel::RegFileKey>>(&again);
  if (reread == nullptr || *reread != *keys) std::abort();
  return 0;
}
