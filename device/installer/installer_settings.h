// How the navigator's installer behaves on this device: device state that devicectl sets and the
// installer reads when it starts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"

namespace device {

enum class InstallerBehaviour : std::int64_t {
  kFinish = 0,      // unpacks the package, creates the install key, sets the event, ends
  kSignalOnly = 1,  // unpacks, sets the event, ends without the key
  kNoKey = 2,       // unpacks and ends without the key or the event
  kCrash = 3,       // unpacks and dies before the key
  kHang = 4,        // unpacks and then never ends
};

inline constexpr std::array<std::string_view, 5> kInstallerBehaviourNames = {"finish", "signal-only", "no-key",
                                                                             "crash", "hang"};
inline constexpr std::int64_t kDefaultInstallerSeconds = 2;

inline std::optional<InstallerBehaviour> ParseInstallerBehaviour(std::string_view name) {
  for (std::size_t i = 0; i < kInstallerBehaviourNames.size(); ++i) {
    if (kInstallerBehaviourNames[i] == name) return static_cast<InstallerBehaviour>(i);
  }
  return std::nullopt;
}

inline std::string_view InstallerBehaviourName(InstallerBehaviour behaviour) {
  return kInstallerBehaviourNames[static_cast<std::size_t>(behaviour)];
}

struct InstallerSettings {
  InstallerBehaviour behaviour = InstallerBehaviour::kFinish;
  std::int64_t seconds = kDefaultInstallerSeconds;
};

// The settings of the current device; a stored value out of range counts as the default.
inline InstallerSettings ReadInstallerSettings() {
  auto& store = kernel::CurrentDevice().Store();
  InstallerSettings settings;
  std::int64_t behaviour = store.GetInt(kernel::state::kInstallerBehaviour).value_or(0);
  if (behaviour >= 0 && behaviour < static_cast<std::int64_t>(kInstallerBehaviourNames.size())) {
    settings.behaviour = static_cast<InstallerBehaviour>(behaviour);
  }
  std::int64_t seconds = store.GetInt(kernel::state::kInstallerSeconds).value_or(kDefaultInstallerSeconds);
  if (seconds >= 0 && seconds <= 86400) settings.seconds = seconds;
  return settings;
}

}  // namespace device
