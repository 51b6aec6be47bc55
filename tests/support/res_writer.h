// Writes .res bytes the way the resource compiler lays them out, for tests that need resource
// modules of their own (language modules, damaged files).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/resources.h"

namespace test {

using Bytes = std::vector<std::uint8_t>;

inline void PutWord(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutDword(Bytes& out, std::uint32_t value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}
inline void PutName(Bytes& out, const kernel::ResourceName& name) {
  if (const WORD* id = std::get_if<WORD>(&name)) {
    PutWord(out, 0xFFFF);
    PutWord(out, *id);
    return;
  }
  for (char16_t c : std::get<std::u16string>(name)) PutWord(out, c);
  PutWord(out, 0);
}
inline void Pad4(Bytes& out) {
  while (out.size() % 4) out.push_back(0);
}

// Writes .res bytes the way the resource compiler lays them out.
struct ResWriter {
  Bytes bytes;
  ResWriter() { Add(WORD{0}, WORD{0}, 0, {}); }
  ResWriter& Add(const kernel::ResourceName& type, const kernel::ResourceName& name, WORD language, const Bytes& data) {
    Bytes header;
    PutName(header, type);
    PutName(header, name);
    Pad4(header);
    PutDword(header, 0);         // DataVersion
    PutWord(header, data.empty() ? 0 : 0x1030);  // MemoryFlags
    PutWord(header, language);
    PutDword(header, 0);         // Version
    PutDword(header, 0);         // Characteristics
    PutDword(bytes, static_cast<std::uint32_t>(data.size()));
    PutDword(bytes, static_cast<std::uint32_t>(header.size() + 8));
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), data.begin(), data.end());
    Pad4(bytes);
    return *this;
  }
};

// A string-table block: sixteen length-prefixed strings, the ones not given empty.
inline Bytes StringBlock(const std::vector<std::pair<int, std::u16string>>& strings) {
  std::u16string slots[16];
  for (const auto& [slot, text] : strings) slots[slot] = text;
  Bytes out;
  for (const auto& text : slots) {
    PutWord(out, static_cast<std::uint32_t>(text.size()));
    for (char16_t c : text) PutWord(out, c);
  }
  return out;
}

}  // namespace test
