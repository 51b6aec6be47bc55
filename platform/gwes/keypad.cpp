#include "platform/gwes/keypad.h"

#include <algorithm>

#include "platform/gwes/virtual_keys.h"
#include "platform/kernel/audio.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"

namespace gwes {
namespace {

namespace state = kernel::state;

constexpr std::int64_t kNotMuted = -1;

// Steps each channel on its own, so a loud left channel cannot carry into the right one.
DWORD StepVolume(DWORD volume, bool up) {
  DWORD result = 0;
  for (int shift : {0, 16}) {
    int channel = static_cast<int>((volume >> shift) & 0xFFFF);
    channel = std::clamp(channel + (up ? kVolumeKeyStep : -kVolumeKeyStep), 0, 0xFFFF);
    result |= static_cast<DWORD>(channel) << shift;
  }
  return result;
}

}  // namespace

// The word and the mute memory change in one transaction, so a volume set at the same moment by
// another program is never half taken.
void KeypadKeyDown(BYTE vk) {
  if (vk != VK_F6 && vk != VK_F7 && vk != VK_F10) return;
  auto& store = kernel::CurrentDevice().Store();
  store.Batch([&] {
    DWORD volume = 0;
    waveOutGetVolume(nullptr, &volume);
    std::int64_t memory = store.GetInt(state::kWaveMuteMemory).value_or(kNotMuted);
    if (vk != VK_F10) {
      waveOutSetVolume(nullptr, StepVolume(volume, vk == VK_F6));
      store.SetInt(state::kWaveMuteMemory, kNotMuted);
    } else if (memory != kNotMuted && volume == 0) {
      // Still muted: give the word back. A volume set since the mute makes F10 mute again instead.
      waveOutSetVolume(nullptr, static_cast<DWORD>(memory));
      store.SetInt(state::kWaveMuteMemory, kNotMuted);
    } else {
      store.SetInt(state::kWaveMuteMemory, volume);
      waveOutSetVolume(nullptr, 0);
    }
  });
}

}  // namespace gwes
