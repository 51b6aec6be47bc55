#include "app/language_module.h"

std::u16string LanguageModuleName(std::u16string_view programPath, DWORD languageId) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string hex;
  for (DWORD rest = languageId; rest != 0; rest >>= 4) hex.insert(hex.begin(), kDigits[rest & 0xF]);
  if (hex.size() < 4) hex.insert(0, 4 - hex.size(), u'0');
  return std::u16string(programPath) + u"." + hex + u".mui";
}
