#include "install/installer_run.h"

#include <optional>
#include <string>

#include "install/package_copy.h"
#include "install/package_search.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/process.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"
#include "platform/kernel/wide_string.h"

bool KeyExists(HKEY root, LPCWSTR subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey, 0, 0, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool RunInstallerAndWait(bool fromFlashDisk) {
  std::u16string_view name = kernel::WideView(g_packageName);
  std::u16string installer = fromFlashDisk ? kFlashInstallerPath : u"\\Storage Card\\Installation\\autorunce.exe";
  auto package = ComposePath({fromFlashDisk ? u"\\My Flash Disk\\" : u"\\Storage Card\\Installation\\", name},
                             kPackagePathChars);
  if (!package || !FileExists(installer.c_str()) || !FileExists(package->c_str())) return false;

  // No command line, no inherited handles, the default environment and folder; the installer is
  // never waited for as a process, and its handles are not needed here.
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(installer.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  HANDLE finished = CreateEventW(nullptr, FALSE, FALSE, kSetupFinishedEvent);
  Sleep(finished != nullptr ? kInstallerStartPauseMs : kInstallerStartPauseNoEventMs);
  bool installed = false;
  for (int attempt = 0; attempt < kInstallerAttempts && !installed; ++attempt) {
    if (finished != nullptr) {
      WaitForSingleObject(finished, kInstallerAttemptMs);
    } else {
      Sleep(kInstallerAttemptMs);
    }
    installed = KeyExists(HKEY_LOCAL_MACHINE, kInstallKey);
  }
  if (finished != nullptr) CloseHandle(finished);
  return installed;
}
