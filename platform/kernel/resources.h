// Resources of the program's own module and of loaded resource-only modules (language modules):
// compiled Win32 resource files (.res), parsed with bounds checks on every field. The program's
// own resources are handed in at start by the front end (they are embedded in the executable).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/kernel/win32_types.h"

struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

inline LPCWSTR MAKEINTRESOURCEW(ULONG_PTR id) { return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id))); }
inline bool IS_INTRESOURCE(LPCWSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }

inline LPCWSTR const RT_ICON = MAKEINTRESOURCEW(3);
inline LPCWSTR const RT_BITMAP = MAKEINTRESOURCEW(2);
inline LPCWSTR const RT_DIALOG = MAKEINTRESOURCEW(5);
inline LPCWSTR const RT_STRING = MAKEINTRESOURCEW(6);
inline LPCWSTR const RT_RCDATA = MAKEINTRESOURCEW(10);
inline LPCWSTR const RT_GROUP_ICON = MAKEINTRESOURCEW(14);
inline LPCWSTR const RT_VERSION = MAKEINTRESOURCEW(16);

constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

// A null name (or the program's file name) gives the program's own module: a fixed value that no
// loaded module shares.
HMODULE GetModuleHandleW(LPCWSTR name);
// Names and types are integer ids (MAKEINTRESOURCEW) or strings ("WAVE", "TXT"; compared without
// regard to letter case; "#123" is the id 123). A null module is the program's own. The first
// resource of that type and name is found, whatever its language; an HRSRC is only good with the
// module it came from.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// Copies at most capacity - 1 characters and a terminating NUL; returns the number copied, 0 when
// the id is absent. A null module is the program's own. Windows answers a zero capacity with a
// read-only pointer written over the buffer; here a zero capacity or null buffer returns 0 with
// ERROR_INVALID_PARAMETER and writes nothing.
int LoadStringW(HMODULE module, UINT id, LPWSTR buffer, int capacity);

namespace kernel {

// A resource name or type: an integer id or a string.
using ResourceName = std::variant<WORD, std::u16string>;

struct ResourceEntry {
  ResourceName type;
  ResourceName name;
  WORD language = 0;
  std::span<const std::uint8_t> data;  // inside the parsed bytes
};

// Parses a .res file (a sequence of resource headers and data, each aligned to 4 bytes, beginning
// with the empty entry). nullopt when any header or size runs past the end.
std::optional<std::vector<ResourceEntry>> ParseResourceFile(std::span<const std::uint8_t> bytes);

// The program's own resources (the embedded .res); the bytes must outlive the process's use.
void SetProgramResources(std::span<const std::uint8_t> bytes);

// Counts the calls of SetProgramResources: what was read from the program's resources under one
// count stays valid as long as the count does.
std::uint64_t ProgramResourcesGeneration();

// True for the module values that name the program itself: null and GetModuleHandleW(nullptr).
bool IsProgramModule(HMODULE module);

}  // namespace kernel
