// UTF-16 text helpers: conversion at the edges (UTF-8 for the command line, logs and our own files)
// and the case folding that the file system and the registry use for names.
#pragma once

#include <string>
#include <string_view>

#include "platform/kernel/win32_types.h"

namespace kernel {

// Converts UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string Utf8ToWide(std::string_view text);
// Converts UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::u16string_view text);

// Simple one-to-one upper-case folding for Latin, Greek and Cyrillic letters; names compare equal
// when their folded forms do.
char16_t FoldChar(char16_t c);
std::u16string FoldCase(std::u16string_view text);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// Length of a zero-terminated wide string (0 for null).
std::size_t WideLength(LPCWSTR text);
// The zero-terminated string as a view (empty for null).
std::u16string_view WideView(LPCWSTR text);

}  // namespace kernel
