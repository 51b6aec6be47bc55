// Feeds arbitrary bytes to the resource-file parser, and through a program module made of them to
// the lookups, the string loader and the resource accessors.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/kernel/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  auto entries = kernel::ParseResourceFile(bytes);
  if (entries) {
    // Every entry's data lies inside the input.
    for (const auto& entry : *entries) {
      if (!entry.data.empty() && (entry.data.data() < data || entry.data.data() + entry.data.size() > data + size)) {
        std::abort();
      }
    }
  }
  kernel::SetProgramResources(bytes);
  WCHAR buffer[64];
  for (UINT id : {0u, 1u, 15u, 16u, 153u}) LoadStringW(nullptr, id, buffer, 64);
  for (WORD type : {2, 5, 6, 10}) {
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(type));
    if (resource != nullptr) {
      auto* first = static_cast<const volatile std::uint8_t*>(LockResource(LoadResource(nullptr, resource)));
      DWORD length = SizeofResource(nullptr, resource);
      if (length > 0) (void)first[length - 1];
    }
  }
  FindResourceW(nullptr, u"#1", u"wave");
  kernel::SetProgramResources({});
  return 0;
}
