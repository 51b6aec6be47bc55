// The system's language settings in the registry: the default language id under "nls" and the
// voice language that always follows it. Keys are opened, never created.
#pragma once

#include "platform/kernel/win32_types.h"

inline constexpr const char16_t* kNlsKey = u"nls";
inline constexpr const char16_t* kDefaultLcidValue = u"DefaultLCID";
inline constexpr const char16_t* kVoiceKey = u"Software\\Tavix\\CurrentVoice";
inline constexpr const char16_t* kVoiceIdValue = u"VoiceID";

// "DefaultLCID" of HKEY_LOCAL_MACHINE "nls", 0 when it cannot be read.
DWORD GetDefaultLanguageId();

// Write "DefaultLCID" and "VoiceID" as 32-bit numbers; false (nothing written) when the key
// cannot be opened or the write fails.
bool WriteSystemLanguage(DWORD languageId);
bool WriteVoice(DWORD languageId);
