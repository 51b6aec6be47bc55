// Starting the navigator's installer "autorunce.exe" and waiting for its install key: the key's
// appearance is the only sign of a finished installation; the event "SetupFinishedEvent" that the
// installer may set only ends one attempt of the wait early.
#pragma once

#include "platform/kernel/win32_types.h"

// Under HKEY_LOCAL_MACHINE; deleted before an installation, created by the installer.
inline constexpr const char16_t* kInstallKey = u"SOFTWARE\\Apps\\Tavix Pelora";
inline constexpr const char16_t* kSetupFinishedEvent = u"SetupFinishedEvent";

// The first pause (with or without the event), then the attempts of the wait for the key.
constexpr DWORD kInstallerStartPauseMs = 3000;
constexpr DWORD kInstallerStartPauseNoEventMs = 6000;
constexpr int kInstallerAttempts = 30;
constexpr DWORD kInstallerAttemptMs = 2000;

// True when the key can be opened.
bool KeyExists(HKEY root, LPCWSTR subKey);

// Starts the installer from the flash disk or from "\Storage Card\Installation", next to the
// package found last (g_packageName), and waits up to 3 s (6 s without the event) plus 30 attempts
// of 2 s for the install key. False when the installer or the package is missing, the installer
// cannot start, or the key does not appear in time. The installer keeps running either way.
bool RunInstallerAndWait(bool fromFlashDisk);
