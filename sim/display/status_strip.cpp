#include "sim/display/status_strip.h"

#include <algorithm>
#include <cstdio>

#include "platform/gwes/gdi.h"
#include "platform/gwes/keypad.h"
#include "platform/kernel/audio.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/power_manager.h"
#include "sim/display/desk_canvas.h"

namespace sim {
namespace {

constexpr int kDefaultBacklight = 5;
constexpr int kTextPixels = 10;

std::string BatteryText(const DeviceStatus& status) {
  if (status.powerStatusFails) return "Battery: no status";
  const auto& power = status.power;
  std::string line = power.ACLineStatus == AC_LINE_ONLINE ? "AC" : "Battery";
  if (power.BatteryFlag & BATTERY_FLAG_NO_BATTERY) return line + ", no battery";
  line += power.BatteryLifePercent <= 100 ? " " + std::to_string(power.BatteryLifePercent) + "%" : " ?%";
  if (power.BatteryFlag & BATTERY_FLAG_CHARGING)
    line += " charging";
  else if (power.BatteryFlag & BATTERY_FLAG_CRITICAL)
    line += " critical";
  else if (power.BatteryFlag & BATTERY_FLAG_LOW)
    line += " low";
  return line;
}

}  // namespace

int VolumeStep(DWORD volume) {
  const DWORD louder = std::max(volume & 0xFFFF, volume >> 16);
  return static_cast<int>((louder + gwes::kVolumeKeyStep / 2) / gwes::kVolumeKeyStep);
}

DeviceStatus ReadDeviceStatus() {
  DeviceStatus status;
  auto& device = kernel::CurrentDevice();
  auto& store = device.Store();
  // Reading runs beside the program: its last error stays as it was.
  const DWORD lastError = GetLastError();
  status.powerStatusFails = !GetSystemPowerStatusEx(&status.power, TRUE);
  waveOutGetVolume(nullptr, &status.volume);
  SetLastError(lastError);
  status.backlight = static_cast<int>(store.GetInt(kernel::state::kBacklight).value_or(kDefaultBacklight));
  status.muted = status.volume == 0 && store.GetInt(kernel::state::kWaveMuteMemory).value_or(-1) != -1;
  status.suspended = kernel::DeviceSuspended();
  GetLocalTime(&status.local);
  status.rootName = device.Root().filename().string();
  return status;
}

std::vector<std::string> StatusTexts(const DeviceStatus& status) {
  std::vector<std::string> texts;
  texts.push_back(BatteryText(status));
  texts.push_back("Light " + std::to_string(status.backlight) + "/8");
  texts.push_back(status.muted ? "Vol muted" : "Vol " + std::to_string(VolumeStep(status.volume)) + "/5");
  if (status.suspended) texts.push_back("suspended");
  char time[8];
  std::snprintf(time, sizeof time, "%02u:%02u", status.local.wHour % 100u, status.local.wMinute % 100u);
  texts.push_back(time);
  texts.push_back(status.rootName);
  return texts;
}

void PaintStatusStrip(DeskCanvas& canvas, const RECT& strip, const std::vector<std::string>& texts) {
  canvas.Fill(strip, RGB(24, 27, 32));
  if (texts.empty()) return;
  std::string fields;
  for (std::size_t i = 0; i + 1 < texts.size(); ++i) fields += (i ? "  \u00B7  " : "") + texts[i];
  RECT inside{strip.left + 6, strip.top, strip.right - 6, strip.bottom};
  canvas.Text(inside, fields, kTextPixels, false, RGB(214, 220, 228), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  canvas.Text(inside, texts.back(), kTextPixels, true, RGB(140, 190, 255), DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace sim
