#include "device/default_image.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <stdexcept>
#include <variant>
#include <vector>

#include "device/language_module_files.h"
#include "device/registry_seed.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/reg_file.h"
#include "platform/kernel/time_zone.h"
#include "platform/kernel/touch_panel.h"

namespace device {
namespace {

constexpr const char* kFolders[] = {"Windows", "My Flash Disk", "Storage Card/Installation", "SD Card"};
constexpr const char* kCardInstallation = "Storage Card/Installation";

void SetHardwareDefaults(kernel::DeviceStore& store) {
  using namespace kernel::state;
  store.SetInt(kBacklight, 5);
  store.SetInt(kPlatformType, 9);
  store.SetInt(kBatteryAc, 1);
  store.SetInt(kBatteryFlag, 1);
  store.SetInt(kBatteryPercent, 100);
  store.SetInt(kBatteryFail, 0);
  store.SetInt(kWaveVolume, 0x99999999);
  store.SetInt(kResetFail, 0);
  store.SetInt(kClockOffset, 0);
  kernel::WriteTouchPanel(kernel::TouchPanel{});
  BYTE zone[kernel::kTimeZoneRecordSize];
  kernel::EncodeTimeZone(kernel::PacificTimeZone(), zone);
  store.SetBlob(kTimeZone, zone, sizeof zone);
  std::vector<std::uint8_t> block(0x40000, 0);
  store.SetBlob(kStoreBlock, block.data(), block.size());
}

void ImportSeed() {
  auto parsed = kernel::ParseRegFile(kRegistrySeed);
  if (auto* error = std::get_if<kernel::RegFileError>(&parsed)) {
    throw std::logic_error("registry seed, line " + std::to_string(error->line) + ": " + error->message);
  }
  kernel::ImportRegistry(std::get<std::vector<kernel::RegFileKey>>(parsed));
}

// The language modules belong to the program, not to the user: each one missing or different from
// the build's is written, so a device follows the program's translations.
void LayLanguageModules(const std::filesystem::path& windows) {
  for (const LanguageModuleFile& module : LanguageModuleFiles()) {
    std::filesystem::path file = windows / module.name;
    std::ifstream present(file, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(present), std::istreambuf_iterator<char>()};
    if (present && bytes.size() == module.bytes.size() && std::equal(bytes.begin(), bytes.end(), module.bytes.begin(),
                                                                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }))
      continue;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(module.bytes.data()), static_cast<std::streamsize>(module.bytes.size()));
  }
}

}  // namespace

std::filesystem::path DefaultDeviceRoot() {
  if (const char* env = std::getenv("QUORVANE_DEVICE"); env != nullptr && *env != 0) return env;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr && *home != 0 ? home : "/tmp") / ".local/share/quorvane/device";
}

void LayInstallationFolder(const std::filesystem::path& relativeFolder) {
  namespace fs = std::filesystem;
  fs::path folder = kernel::CurrentDevice().Root() / relativeFolder;
  fs::create_directories(folder);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(QUORVANE_DEVICE_IMAGE_DIR, ec)) {
    std::string name = entry.path().filename().string();
    bool installer = name == "autorunce.exe";
    if (!installer && !(name.starts_with("Pelora_") && name.ends_with(".cab"))) continue;
    fs::path target = folder / name;
    if (fs::exists(fs::symlink_status(target))) continue;
    fs::copy_file(entry.path(), target);
    // The device runs what its owner may run; a package is only read.
    fs::permissions(target, installer ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
  }
}

void LayDefaultImage() {
  auto& device = kernel::CurrentDevice();
  for (const char* folder : kFolders) std::filesystem::create_directories(device.Root() / folder);
  LayLanguageModules(device.Root() / "Windows");
  LayInstallationFolder(kCardInstallation);
  ImportSeed();
  SetHardwareDefaults(device.Store());
}

void ResetToDefaultImage() {
  auto& device = kernel::CurrentDevice();
  device.Store().Batch([] {
    kernel::CurrentDevice().Store().Clear();
    LayDefaultImage();
  });
}

std::shared_ptr<kernel::Device> OpenDevice(const std::filesystem::path& root, bool* created) {
  std::error_code ec;
  // A link in place of the store counts as a store (which the device then refuses), not as none.
  bool fresh = !std::filesystem::exists(std::filesystem::symlink_status(root / "registry.db", ec));
  std::filesystem::create_directories(root, ec);
  if (ec) throw std::runtime_error("cannot create the device root " + root.string() + ": " + ec.message());
  auto device = std::make_shared<kernel::Device>(root);
  kernel::SetCurrentDevice(device);
  if (fresh) LayDefaultImage();
  if (created) *created = fresh;
  return device;
}

std::filesystem::path RepairDevice(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  fs::path store = root / "registry.db";
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
  fs::path aside = root / (std::string("registry.db.damaged-") + stamp);
  std::error_code ec;
  for (int n = 2; fs::exists(fs::symlink_status(aside, ec)); ++n) {
    aside = root / (std::string("registry.db.damaged-") + stamp + "-" + std::to_string(n));
  }
  // The journal goes with its store: a stale journal next to a new store would be read into it.
  fs::rename(store, aside);
  if (fs::exists(fs::symlink_status(store.string() + "-wal", ec))) fs::rename(store.string() + "-wal", aside.string() + "-wal");
  fs::remove(store.string() + "-shm", ec);
  OpenDevice(root);
  return aside;
}

}  // namespace device
