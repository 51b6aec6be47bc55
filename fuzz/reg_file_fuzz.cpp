// REGEDIT4 text from outside: the parser must never crash, and whatever it accepts must survive
// FormatRegFile and a second parse unchanged. The same bytes also serve as keys, names and data
// of their own (any characters a name can hold): written and read back, they must come back the
// same, so no name or data can turn into a key or value of its own.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/kernel/reg_file.h"
#include "platform/kernel/wide_string.h"

namespace {

// Takes the next piece of the input: a length byte, then that many bytes.
std::string_view Take(std::string_view& input) {
  if (input.empty()) return {};
  std::size_t size = std::min<std::size_t>(static_cast<unsigned char>(input[0]), input.size() - 1);
  std::string_view piece = input.substr(1, size);
  input.remove_prefix(1 + size);
  return piece;
}

// Keys and values built from the bytes, kept within what the registry can hold: key names
// printable and without backslashes, value names distinct within their key.
std::vector<kernel::RegFileKey> KeysFrom(std::string_view input) {
  std::vector<kernel::RegFileKey> keys;
  while (!input.empty() && keys.size() < 16) {
    kernel::RegFileKey key;
    key.path = input[0] & 1 ? u"HKEY_LOCAL_MACHINE" : u"HKEY_CURRENT_USER";
    for (std::u16string part : {kernel::Utf8ToWide(Take(input)), kernel::Utf8ToWide(Take(input))}) {
      std::erase_if(part, [](char16_t c) { return c < 0x20 || c == 0x7F || c == u'\\'; });
      if (!part.empty() && part.size() <= kernel::kMaxKeyNameLength) key.path += u"\\" + part;
    }
    for (int count = input.empty() ? 0 : input[0] & 3; count > 0 && !input.empty(); --count) {
      kernel::RegistryValue value;
      value.name = kernel::Utf8ToWide(Take(input));
      value.type = input.empty() ? 0 : static_cast<unsigned char>(input[0]) % 9;
      std::string_view data = Take(input);
      value.data.assign(data.begin(), data.end());
      bool repeated = false;
      for (const auto& other : key.values) repeated = repeated || kernel::EqualsNoCase(other.name, value.name);
      if (!repeated) key.values.push_back(std::move(value));
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto built = KeysFrom(text);
  auto back = kernel::ParseRegFile(kernel::FormatRegFile(built));
  auto* backKeys = std::get_if<std::vector<kernel::RegFileKey>>(&back);
  if (backKeys == nullptr || *backKeys != built) std::abort();

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
