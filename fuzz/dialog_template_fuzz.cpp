// Fuzzes the dialog-template parser in both layouts: it must never read outside the template, and
// what it accepts must hold no more items than the bytes could carry.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/gwes/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exactly sized copy, so that any read past the end is caught.
  std::vector<std::uint8_t> bytes(data, data + size);
  auto dialog = gwes::ParseDialogTemplate(bytes);
  if (!dialog) return 0;
  // Each item takes at least 18 bytes (24 in the extended layout).
  std::size_t smallest = dialog->extended ? 24 : 18;
  if (dialog->items.size() * smallest > size) std::abort();
  for (const auto& item : dialog->items) {
    if (item.creationData.size() > size) std::abort();
    (void)gwes::ControlClassName(item.windowClass);
  }
  return 0;
}
