// The language resource module's name; the default language id it is named after is read through
// screens/system_language.h.
#pragma once

#include <string>

#include "platform/kernel/win32_types.h"
#include "screens/system_language.h"
#include "ui/local_string.h"

// The module's name: the program path, a dot, the id as at least four lower-case hexadecimal
// digits, ".mui" ("\Windows\Utility.exe" and 0x0407 give "\Windows\Utility.exe.0407.mui").
std::u16string LanguageModuleName(std::u16string_view programPath, DWORD languageId);
