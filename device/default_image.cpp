#include "device/default_image.h"

#include <cstdlib>
#include <stdexcept>
#include <variant>
#include <vector>

#include "device/registry_seed.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/reg_file.h"
#include "platform/kernel/time_zone.h"

namespace device {
namespace {

constexpr const char* kFolders[] = {"Windows", "My Flash Disk", "Storage Card/Installation", "SD Card"};

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

}  // namespace

std::filesystem::path DefaultDeviceRoot() {
  if (const char* env = std::getenv("QUORVANE_DEVICE"); env != nullptr && *env != 0) return env;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr && *home != 0 ? home : "/tmp") / ".local/share/quorvane/device";
}

void LayDefaultImage() {
  auto& device = kernel::CurrentDevice();
  for (const char* folder : kFolders) std::filesystem::create_directories(device.Root() / folder);
  ImportSeed();
  SetHardwareDefaults(device.Store());
}

void ResetToDefaultImage() {
  auto& device = kernel::CurrentDevice();
  device.Store().Write([](sqlite3* db) {
    for (const char* table : {"reg_keys", "reg_values", "state", "key_log", "sound_log", "reset_log"}) {
      kernel::SqlStatement(db, std::string("DELETE FROM ") + table).Run();
    }
  });
  LayDefaultImage();
}

std::shared_ptr<kernel::Device> OpenDevice(const std::filesystem::path& root, bool* created) {
  std::error_code ec;
  bool fresh = !std::filesystem::exists(root / "registry.db", ec);
  std::filesystem::create_directories(root, ec);
  if (ec) throw std::runtime_error("cannot create the device root " + root.string() + ": " + ec.message());
  auto device = std::make_shared<kernel::Device>(root);
  kernel::SetCurrentDevice(device);
  if (fresh) LayDefaultImage();
  if (created) *created = fresh;
  return device;
}

}  // namespace device
