// The default device image: what a fresh device holds, laid into a device root on first use.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/kernel/device_root.h"

namespace device {

// The device root used when none is named: $QUORVANE_DEVICE, else ~/.local/share/quorvane/device.
std::filesystem::path DefaultDeviceRoot();

// Lays the image into the current device: the folders "\Windows" (with the program's language
// modules, written again when they differ from the build's), "\My Flash Disk",
// "\Storage Card\Installation" (with the navigator's installer and packages, see
// LayInstallationFolder) and "\SD Card"; the registry seed; the hardware defaults (backlight
// 5, platform type 9, battery on line and full, the volume at its middle step, the Pacific time
// zone, an empty store block, resets allowed, the touch panel as made). Other existing files are
// left alone.
void LayDefaultImage();

// Lays the navigator's installer "autorunce.exe" and its language packages
// "Pelora_<word>_<version>.cab" (English, German, French, Italian, Spanish, Dutch) into a folder
// of the current device, given as a host path below the root, creating it. Existing files are left
// alone.
void LayInstallationFolder(const std::filesystem::path& relativeFolder);

// Puts the registry and hardware state back to the image's, clearing the device's logs; files are
// kept. Safe while other processes use the device.
void ResetToDefaultImage();

// Opens the device at root and makes it current. A missing root (or one without "registry.db") is
// created and the image laid. Throws std::runtime_error when the root cannot be made or opened.
std::shared_ptr<kernel::Device> OpenDevice(const std::filesystem::path& root, bool* created = nullptr);

// Repairs a device whose store is damaged or a link: moves "registry.db" (and its journal) aside
// as "registry.db.damaged-YYYYMMDDTHHMMSSZ", then opens the device with a new store holding the
// image's registry and hardware state. The device's files are kept. Returns the moved file's path.
std::filesystem::path RepairDevice(const std::filesystem::path& root);

}  // namespace device
