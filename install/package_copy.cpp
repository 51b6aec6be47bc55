#include "install/package_copy.h"

#include "install/installer_run.h"
#include "install/package_search.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/files.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/wide_string.h"

namespace {

constexpr int kCopyRetries = 5;
constexpr DWORD kCopyRetryPauseMs = 1000;
constexpr int kCleanPasses = 10;

}  // namespace

DWORD CopyWithRetry(LPCWSTR source, LPCWSTR destination) {
  if (kernel::WideLength(source) == 0 || kernel::WideLength(destination) == 0) return PACKAGE_FAILED;
  if (CopyFileW(source, destination, FALSE)) return PACKAGE_SUCCESS;
  for (int retry = 0; retry < kCopyRetries; ++retry) {
    if (!FileExists(source)) return PACKAGE_NOT_FOUND;
    if (FileExists(destination)) {
      SetFileAttributesW(destination, FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(destination);
    }
    Sleep(kCopyRetryPauseMs);
    if (CopyFileW(source, destination, FALSE)) return PACKAGE_SUCCESS;
  }
  return PACKAGE_FAILED;
}

void CleanFlashPackages() {
  for (int pass = 0; pass < kCleanPasses; ++pass) {
    auto name = FindFirstName(u"\\MY Flash Disk\\Pelora*.cab");
    if (!name) break;
    // A name too long for the path buffer cannot be deleted; like a failed delete it costs a pass.
    if (auto path = ComposePath({u"\\MY Flash Disk\\", *name}, MAX_PATH)) {
      SetFileAttributesW(path->c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path->c_str());
    }
  }
  DeleteFileW(kFlashInstallerPath);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kInstallKey);
}

DWORD CopyPackageToFlash(LPCWSTR folder) {
  std::u16string_view name = kernel::WideView(g_packageName);
  if (kernel::WideLength(g_packagePath) < 4 || name.size() < 4 || kernel::WideLength(folder) == 0) {
    return PACKAGE_FAILED;
  }
  auto installer = ComposePath({kernel::WideView(folder), u"\\Autorunce.exe"}, kPackagePathChars);
  if (!installer) return PACKAGE_FAILED;
  DWORD result = CopyWithRetry(installer->c_str(), kFlashInstallerPath);
  if (result != PACKAGE_SUCCESS) return result;
  auto package = ComposePath({u"\\My Flash Disk\\", name}, kPackagePathChars);
  if (!package) return PACKAGE_FAILED;
  return CopyWithRetry(g_packagePath, package->c_str());
}
