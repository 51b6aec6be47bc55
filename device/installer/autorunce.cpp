// autorunce.exe: the navigator's installer. Started by the utility with no command line, it takes
// the package of the system language that lies next to it (else on the flash disk), unpacks it
// into "\Program Files\Pelora", registers the installation under HKLM\SOFTWARE\Apps\Tavix Pelora
// and sets "SetupFinishedEvent". How it behaves and how long it works is device state
// (devicectl installer).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "device/installer/installer_settings.h"
#include "platform/kernel/cabinet.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/device_programs.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/process.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/sync_objects.h"
#include "platform/kernel/wide_string.h"

namespace {

constexpr int kExitNoDevice = 1;
constexpr int kExitNoPackage = 2;
constexpr int kExitDamagedPackage = 3;

constexpr const char16_t* kInstallFolder = u"\\Program Files\\Pelora";
constexpr const char16_t* kFlashDisk = u"\\My Flash Disk";

// The navigator's packages by the system language they serve.
struct PackageLanguage {
  DWORD languageId;
  const char16_t* word;
};
constexpr PackageLanguage kPackageLanguages[] = {
    {1030, u"danish"},  {1031, u"german"},  {1033, u"english"}, {1036, u"french"},  {1040, u"italian"},
    {1043, u"dutch"},   {1053, u"swedish"}, {2057, u"english"}, {2067, u"flemish"}, {3082, u"spanish"},
};

DWORD SystemLanguage() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"nls", 0, 0, &key) != ERROR_SUCCESS) return 0;
  DWORD id = 0;
  DWORD size = sizeof id;
  DWORD type = 0;
  LONG error = RegQueryValueExW(key, u"DefaultLCID", nullptr, &type, reinterpret_cast<BYTE*>(&id), &size);
  RegCloseKey(key);
  return error == ERROR_SUCCESS && type == REG_DWORD ? id : 0;
}

const char16_t* WordFor(DWORD languageId) {
  for (const auto& entry : kPackageLanguages) {
    if (entry.languageId == languageId) return entry.word;
  }
  return nullptr;
}

// The folder this program was started from.
std::u16string OwnFolder() {
  WCHAR path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::u16string own(path, length < MAX_PATH ? length : 0);
  std::size_t slash = own.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : own.substr(0, slash);
}

struct Package {
  std::u16string path;
  std::u16string version;  // what follows "Pelora_<word>_" in the file name, without ".cab"
};

std::optional<Package> FindPackageIn(const std::u16string& folder, const std::u16string& word) {
  std::u16string prefix = u"Pelora_" + word + u"_";
  std::u16string pattern = folder + u"\\" + prefix + u"*.cab";
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  std::u16string name = found.cFileName;
  std::u16string version = name.substr(prefix.size(), name.size() - prefix.size() - 4);
  return Package{folder + u"\\" + name, version};
}

std::vector<std::uint8_t> SzBytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

// The key appears with both of its values at once: whoever sees it sees a whole installation.
void RegisterInstallation(const std::u16string& word, const std::u16string& version) {
  kernel::RegistryPath key{HKEY_LOCAL_MACHINE, u"SOFTWARE\\Apps\\Tavix Pelora"};
  kernel::RegistryTransaction([&] {
    kernel::RegistrySetValue(key, {u"Language", REG_SZ, SzBytes(word)});
    kernel::RegistrySetValue(key, {u"Version", REG_SZ, SzBytes(version)});
  });
}

void SignalSetupFinished() {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, u"SetupFinishedEvent");
  if (event == nullptr) return;
  SetEvent(event);
  CloseHandle(event);
}

int Install() {
  device::InstallerSettings settings = device::ReadInstallerSettings();
  const char16_t* word = WordFor(SystemLanguage());
  if (word == nullptr) return kExitNoPackage;
  std::optional<Package> package = FindPackageIn(OwnFolder(), word);
  if (!package) package = FindPackageIn(kFlashDisk, word);
  if (!package) return kExitNoPackage;

  if (kernel::ExtractCabinet(package->path.c_str(), kInstallFolder) != ERROR_SUCCESS) return kExitDamagedPackage;
  // The rest of the installation's work takes its time on the device's clock.
  Sleep(static_cast<DWORD>(settings.seconds * 1000));
  switch (settings.behaviour) {
    case device::InstallerBehaviour::kFinish:
      RegisterInstallation(word, package->version);
      SignalSetupFinished();
      break;
    case device::InstallerBehaviour::kSignalOnly:
      SignalSetupFinished();
      break;
    case device::InstallerBehaviour::kNoKey:
      break;
    case device::InstallerBehaviour::kCrash:
      std::abort();
    case device::InstallerBehaviour::kHang: {
      // Waits for an event that nobody can set: only a restart of the device ends it.
      HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
      WaitForSingleObject(never, INFINITE);
      break;
    }
  }
  return 0;
}

}  // namespace

int main() {
  const char* root = std::getenv("QUORVANE_DEVICE");
  if (root == nullptr || *root == 0) {
    std::fprintf(stderr, "autorunce: runs only when started on a device\n");
    return kExitNoDevice;
  }
  try {
    kernel::SetCurrentDevice(std::make_shared<kernel::Device>(root));
    kernel::EnterDeviceProgram();
    return Install();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "autorunce: %s\n", e.what());
    return kExitNoDevice;
  }
}
