// Names of the simulated hardware state in the device store, shared by the kernel services, the
// default image and devicectl.
#pragma once

namespace kernel::state {

inline constexpr const char* kBacklight = "backlight";
inline constexpr const char* kPlatformType = "platform_type";
inline constexpr const char* kStoreBlock = "store_block";
inline constexpr const char* kBatteryAc = "battery_ac";
inline constexpr const char* kBatteryFlag = "battery_flag";
inline constexpr const char* kBatteryPercent = "battery_percent";
inline constexpr const char* kBatteryFail = "battery_fail";
inline constexpr const char* kWaveVolume = "wave_volume";
// The volume word the keypad's mute key put aside, or -1 when the device is not muted.
inline constexpr const char* kWaveMuteMemory = "wave_volume_muted";
// The power manager: 0 on, 1 suspended; the battery time-out in force (seconds, 0 never); reloads seen.
inline constexpr const char* kPowerState = "power_state";
inline constexpr const char* kPowerTimeout = "power_timeout_s";
inline constexpr const char* kPowerReloads = "power_reloads";
inline constexpr const char* kResetFail = "reset_fail";
inline constexpr const char* kTimeZone = "time_zone";
inline constexpr const char* kClockOffset = "clock_offset_ms";
// How the navigator's installer behaves (an InstallerBehaviour) and how long it works, in seconds
// of device time.
inline constexpr const char* kInstallerBehaviour = "installer_behaviour";
inline constexpr const char* kInstallerSeconds = "installer_seconds";
// The touch panel's wear: offset in pixels, scale in thousandths (see touch_panel.h).
inline constexpr const char* kTouchOffsetX = "touch_offset_x";
inline constexpr const char* kTouchOffsetY = "touch_offset_y";
inline constexpr const char* kTouchScaleX = "touch_scale_x_milli";
inline constexpr const char* kTouchScaleY = "touch_scale_y_milli";

}  // namespace kernel::state
