// The language resource module and the system's default language id.
#pragma once

#include <string>

#include "platform/kernel/win32_types.h"
#include "ui/local_string.h"

inline constexpr const char16_t* kNlsKey = u"nls";
inline constexpr const char16_t* kDefaultLcidValue = u"DefaultLCID";

// "DefaultLCID" of HKEY_LOCAL_MACHINE "nls", 0 when it cannot be read.
DWORD GetDefaultLanguageId();

// The module's name: the program path, a dot, the id as at least four lower-case hexadecimal
// digits, ".mui" ("\Windows\Utility.exe" and 0x0407 give "\Windows\Utility.exe.0407.mui").
std::u16string LanguageModuleName(std::u16string_view programPath, DWORD languageId);
