// Battery and power-line status from the device state (set by devicectl battery).
#pragma once

#include "platform/kernel/win32_types.h"

struct SYSTEM_POWER_STATUS_EX {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;
  DWORD BatteryFullLifeTime;
  BYTE Reserved2;
  BYTE BackupBatteryFlag;
  BYTE BackupBatteryLifePercent;
  BYTE Reserved3;
  DWORD BackupBatteryLifeTime;
  DWORD BackupBatteryFullLifeTime;
};
static_assert(sizeof(SYSTEM_POWER_STATUS_EX) == 24);

constexpr BYTE AC_LINE_OFFLINE = 0;
constexpr BYTE AC_LINE_ONLINE = 1;
constexpr BYTE BATTERY_FLAG_HIGH = 1;
constexpr BYTE BATTERY_FLAG_LOW = 2;
constexpr BYTE BATTERY_FLAG_CRITICAL = 4;
constexpr BYTE BATTERY_FLAG_CHARGING = 8;
constexpr BYTE BATTERY_FLAG_NO_BATTERY = 128;
constexpr DWORD BATTERY_LIFE_UNKNOWN = 0xFFFFFFFF;

// Fills the record from the device state; returns 0 (and leaves the record alone) while the device
// is set to fail the call.
BOOL GetSystemPowerStatusEx(SYSTEM_POWER_STATUS_EX* status, BOOL update);
