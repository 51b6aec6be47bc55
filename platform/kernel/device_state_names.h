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
inline constexpr const char* kResetFail = "reset_fail";
inline constexpr const char* kTimeZone = "time_zone";
inline constexpr const char* kClockOffset = "clock_offset_ms";

}  // namespace kernel::state
