// The device root: one host folder that is one device. It holds the device's file system (device
// paths such as "\My Flash Disk\Setting.dat" map onto its sub-folders, case-insensitively) and
// "registry.db" with the registry and the simulated hardware state. A device path can never name
// anything outside the root.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/kernel/win32_types.h"

namespace kernel {

class DeviceStore;

class Device {
 public:
  // Opens the device at an existing host folder that holds "registry.db" (or creates the store
  // there). Throws std::runtime_error when the folder is missing or the store cannot be opened.
  explicit Device(const std::filesystem::path& hostRoot);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // The canonical host path of the root folder.
  const std::filesystem::path& Root() const { return m_root; }
  DeviceStore& Store() { return *m_store; }

 private:
  std::filesystem::path m_root;
  std::unique_ptr<DeviceStore> m_store;
};

// The device this process works on. Set once at start by the front end or tool; tests set their own.
void SetCurrentDevice(std::shared_ptr<Device> device);
Device& CurrentDevice();
bool HasCurrentDevice();

// Where a device path lands on the host.
struct ResolvedPath {
  std::filesystem::path host;  // the host path (the last component as given when it does not exist)
  bool exists = false;         // whether the last component exists
  std::u16string leaf;         // the last component as the device names it (empty for the root)
};

// Resolves a device path inside the root. Components match existing host names case-insensitively
// (an exact match wins). Every component but the last must exist and be a folder. Fails with
// ERROR_INVALID_NAME for "..", "/", a drive or other characters a device name cannot hold, and for
// a symbolic link that leads out of the root; ERROR_PATH_NOT_FOUND for a missing folder on the way.
// Wildcards are refused unless allowWildcards is set (they are then allowed in the last component).
std::optional<ResolvedPath> ResolveDevicePath(const Device& device, std::u16string_view devicePath,
                                              DWORD* error, bool allowWildcards = false);

// Characters a device file name cannot hold: controls, "/", "<", ">", ":", '"', "|", and the
// wildcards "*" and "?" unless they are allowed.
bool IsForbiddenNameChar(char16_t c, bool wildcards);

// Whether a name in the root folder is one of the device store's own files ("registry.db" and its
// journal files, and damaged stores moved aside) or the "run" folder of the running programs'
// control sockets. Device programs can neither open nor list them.
bool IsDeviceStoreName(std::u16string_view name);

// The device path of a host path inside the root ("\" for the root itself); nullopt outside it.
std::optional<std::u16string> DevicePathOf(const Device& device, const std::filesystem::path& host);

}  // namespace kernel
