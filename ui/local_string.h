// Texts by string id. Every text the program shows comes through CLocalString, so that a language
// module can replace the program's own string table as a whole.
#pragma once

#include <string>

#include "platform/kernel/win32_types.h"

// The loaded language module, or none. The application sets it once at start, before the first
// screen, and frees it at exit; strings are looked up in it at every load.
extern HMODULE LanguageModule;

class CLocalString {
 public:
  CLocalString() = default;
  virtual ~CLocalString() = default;

  // Replaces the text by string `id`: from the language module when one is loaded (and only from
  // it), else from the program's own table. True when the text is not empty; an id found nowhere
  // gives the empty text.
  BOOL LoadString(UINT id);
  // Replaces the text by a copy of `text`; null gives the empty text.
  void Assign(LPCWSTR text);

  LPCWSTR GetText() const { return m_text.c_str(); }
  int GetLength() const { return static_cast<int>(m_text.size()); }
  operator LPCWSTR() const { return m_text.c_str(); }

 private:
  std::u16string m_text;
};
