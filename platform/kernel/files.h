// File services on device paths. Files live under the device root; the read-only attribute is
// kept in the host file's owner write bit and enforced here, for every user including root: a
// read-only file cannot be opened for writing, replaced by a copy or deleted until its attributes
// are set to normal. Files are opened without sharing: a second open of an open file fails with
// ERROR_SHARING_VIOLATION, also across processes.
#pragma once

#include <string_view>

#include "platform/kernel/win32_types.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwOID;
  WCHAR cFileName[MAX_PATH];
};

struct SECURITY_ATTRIBUTES;

DWORD GetFileAttributesW(LPCWSTR path);
// FILE_ATTRIBUTE_NORMAL (or any value without READONLY) clears read-only; READONLY sets it.
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);

// shareMode is accepted for shape; every open is exclusive (the program always passes 0).
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, SECURITY_ATTRIBUTES* security, DWORD creation,
                   DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, DWORD* written, void* overlapped);
BOOL FlushFileBuffers(HANDLE file);
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);

// Copies a file; with failIfExists false an existing destination is replaced, unless it is
// read-only (ERROR_ACCESS_DENIED) or open (ERROR_SHARING_VIOLATION). The copy keeps the source's
// attributes.
BOOL CopyFileW(LPCWSTR source, LPCWSTR destination, BOOL failIfExists);
BOOL DeleteFileW(LPCWSTR path);
BOOL CreateDirectoryW(LPCWSTR path, SECURITY_ATTRIBUTES* security);

// Finds files whose names match the last component of the pattern ("*" any run, "?" one
// character, case-insensitive) in the pattern's folder. Entries come in name order.
HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data);
BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE search);

namespace kernel {
// The wildcard rule of the searches, exposed for tests: "*" matches any run, "?" exactly one
// character, letters compare case-insensitively.
bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name);
}  // namespace kernel
