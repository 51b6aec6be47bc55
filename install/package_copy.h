// Moving the navigator's installer and package onto the flash disk: older packages and the old
// installer copy are removed first, then both are copied with retries, because the storage card
// may still be settling or a stale copy may be read-only.
#pragma once

#include "platform/kernel/win32_types.h"

inline constexpr const char16_t* kFlashInstallerPath = u"\\My Flash Disk\\autorunce.exe";

// Copies source over destination. When a copy fails it retries up to 5 times, 1000 ms apart: each
// retry first gives PACKAGE_NOT_FOUND if the source has gone, and clears and deletes an existing
// destination. PACKAGE_FAILED for a missing path or after the sixth failed copy.
DWORD CopyWithRetry(LPCWSTR source, LPCWSTR destination);

// Deletes up to 10 older packages "Pelora*.cab" from the flash disk (a file that cannot be deleted
// uses up passes), then the flash-disk installer and the navigator's install key. Failures are
// ignored.
void CleanFlashPackages();

// Copies "<folder>\Autorunce.exe" and then the package found last (g_packagePath) to the flash
// disk: PACKAGE_FAILED without a package or folder, else the first copy's failure or the second
// copy's result.
DWORD CopyPackageToFlash(LPCWSTR folder);
