#include "ui/local_string.h"

#include "platform/kernel/resources.h"

HMODULE LanguageModule = nullptr;

namespace {
constexpr int kFirstCapacity = 256;
constexpr int kCapacityStep = 256;
}  // namespace

BOOL CLocalString::LoadString(UINT id) {
  HMODULE source = LanguageModule != nullptr ? LanguageModule : GetModuleHandleW(nullptr);
  UINT stringId = id & 0xFFFF;
  // Most texts fit the first buffer; a text that filled it may have been cut, so it is read again
  // into a buffer 256 characters larger until one character is left over.
  WCHAR buffer[kFirstCapacity];
  int copied = LoadStringW(source, stringId, buffer, kFirstCapacity);
  if (kFirstCapacity - copied > 1) {
    m_text.assign(buffer, static_cast<std::size_t>(copied));
    return copied > 0;
  }
  int capacity = 2 * kFirstCapacity;
  for (;;) {
    m_text.assign(static_cast<std::size_t>(capacity), u'\0');
    copied = LoadStringW(source, stringId, m_text.data(), capacity);
    if (capacity - copied > 1) break;
    capacity += kCapacityStep;
  }
  m_text.resize(m_text.find(u'\0'));
  return copied > 0;
}

void CLocalString::Assign(LPCWSTR text) {
  if (text == nullptr) {
    m_text.clear();
  } else {
    m_text = text;
  }
}
