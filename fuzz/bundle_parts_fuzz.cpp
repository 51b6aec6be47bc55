// Parses arbitrary bytes as a bundle's state and logs: whatever parses writes back to text that
// parses to the same state and logs.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/kernel/bundle/bundle_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (auto state = kernel::ParseStateJson(text, &error)) {
    auto again = kernel::ParseStateJson(kernel::FormatStateJson(*state), &error);
    if (!again || *again != *state) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
  error.clear();
  if (auto logs = kernel::ParseLogsJson(text, &error)) {
    auto again = kernel::ParseLogsJson(kernel::FormatLogsJson(*logs), &error);
    if (!again || !(*again == *logs)) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
