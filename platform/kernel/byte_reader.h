// Little-endian reads over a span of outside bytes (resource files, dialog templates): every read
// is checked against the span's end and fails instead of passing it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/kernel/win32_types.h"

namespace kernel {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  std::size_t Offset() const { return m_offset; }

  bool Byte(BYTE* value) {
    if (m_offset >= m_bytes.size()) return false;
    *value = m_bytes[m_offset++];
    return true;
  }
  // The next WORD without moving past it.
  bool PeekWord(WORD* value) const {
    if (m_bytes.size() - m_offset < 2) return false;
    *value = static_cast<WORD>(m_bytes[m_offset] | (m_bytes[m_offset + 1] << 8));
    return true;
  }
  bool Word(WORD* value) {
    if (!PeekWord(value)) return false;
    m_offset += 2;
    return true;
  }
  bool Short(short* value) {
    WORD word = 0;
    if (!Word(&word)) return false;
    *value = static_cast<short>(word);
    return true;
  }
  bool Dword(DWORD* value) {
    WORD low = 0, high = 0;
    if (!Word(&low) || !Word(&high)) return false;
    *value = low | (DWORD{high} << 16);
    return true;
  }
  // A NUL-terminated UTF-16 string.
  bool String(std::u16string* text) {
    text->clear();
    for (;;) {
      WORD c = 0;
      if (!Word(&c)) return false;
      if (c == 0) return true;
      text->push_back(static_cast<char16_t>(c));
    }
  }
  // An ordinal (0xFFFF and a WORD) or a NUL-terminated UTF-16 string.
  bool Name(std::variant<WORD, std::u16string>* name) {
    WORD first = 0;
    if (!PeekWord(&first)) return false;
    if (first == 0xFFFF) {
      WORD id = 0;
      m_offset += 2;
      if (!Word(&id)) return false;
      *name = id;
      return true;
    }
    std::u16string text;
    if (!String(&text)) return false;
    *name = std::move(text);
    return true;
  }
  bool Bytes(std::size_t count, std::vector<std::uint8_t>* out) {
    if (m_bytes.size() - m_offset < count) return false;
    out->assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_offset),
                m_bytes.begin() + static_cast<std::ptrdiff_t>(m_offset + count));
    m_offset += count;
    return true;
  }
  // Moves to the next multiple of four from the start of the span.
  bool AlignTo4() {
    std::size_t aligned = (m_offset + 3) & ~std::size_t{3};
    if (aligned > m_bytes.size()) return false;
    m_offset = aligned;
    return true;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_offset = 0;
};

}  // namespace kernel
