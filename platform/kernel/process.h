// Processes and modules: starting a program by device path, the program's own path, and
// resource-only modules (language modules) loaded by device path.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/kernel/win32_types.h"

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

struct SECURITY_ATTRIBUTES;
struct STARTUPINFOW;

// Starts the program at a device path as a new host process: no shell, no arguments, the device
// root in its environment (QUORVANE_DEVICE), the root as its working folder. Fails with
// ERROR_FILE_NOT_FOUND for a missing file and ERROR_BAD_EXE_FORMAT for one that cannot be run.
// The process handle can be waited on.
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, SECURITY_ATTRIBUTES* processSecurity,
                    SECURITY_ATTRIBUTES* threadSecurity, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, STARTUPINFOW* startup,
                    PROCESS_INFORMATION* info);
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
constexpr DWORD STILL_ACTIVE = 259;

// The program's own module: a null module names it; its path is "\Windows\Utility.exe", or for a
// program started on the device the path it was started by (see EnterDeviceProgram).
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

// Loads a resource-only module (a compiled resource file) by device path; null with
// ERROR_MOD_NOT_FOUND when it is missing and ERROR_BAD_FORMAT when it is not a resource file.
HMODULE LoadLibraryW(LPCWSTR path);
BOOL FreeLibrary(HMODULE module);

namespace kernel {
constexpr const char16_t* kProgramPath = u"\\Windows\\Utility.exe";
void SetOwnModulePath(std::u16string path);
// The bytes of a loaded module (empty for an unknown handle).
std::span<const std::uint8_t> ModuleBytes(HMODULE module);
}  // namespace kernel
