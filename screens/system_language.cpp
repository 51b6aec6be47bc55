#include "screens/system_language.h"

#include "platform/kernel/registry.h"

namespace {

bool WriteDword(const char16_t* keyPath, const char16_t* name, DWORD value) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return false;
  LONG result = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace

DWORD GetDefaultLanguageId() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNlsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD id = 0;
  DWORD size = sizeof id;
  DWORD type = 0;
  LONG result = RegQueryValueExW(key, kDefaultLcidValue, nullptr, &type, reinterpret_cast<BYTE*>(&id), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? id : 0;
}

bool WriteSystemLanguage(DWORD languageId) { return WriteDword(kNlsKey, kDefaultLcidValue, languageId); }

bool WriteVoice(DWORD languageId) { return WriteDword(kVoiceKey, kVoiceIdValue, languageId); }
