// The device's power manager. It reads the battery suspend time-out "BattSuspend" (seconds under
// HKLM\System\CurrentControlSet\Control\Power\Timeouts) when it starts and each time the event
// "PowerManager/ReloadActivityTimeouts" is set, by this program or another. While the device runs
// on battery and the time-out is not 0, it suspends the device after that many seconds without
// input: the screen goes dark until the next press, which wakes the device and goes no further.
// Its state, time-out and count of reloads live in the device store, where devicectl reads them.
//
// The front end runs it: Start before the program, Tick whenever the program is idle (and, with a
// window, a few times a second), Press for each press of the stylus or a key.
#pragma once

#include <cstdint>

#include "platform/kernel/win32_types.h"

namespace kernel {

inline constexpr const char16_t* kReloadTimeoutsEvent = u"PowerManager/ReloadActivityTimeouts";
inline constexpr const char16_t* kPowerTimeoutsKey = u"System\\CurrentControlSet\\Control\\Power\\Timeouts";
inline constexpr const char16_t* kBatterySuspendValue = u"BattSuspend";

struct PowerStatus {
  bool suspended = false;
  DWORD timeoutSeconds = 0;
  std::uint64_t reloads = 0;
};

// Starts the manager on the current device: the device is on, the time-out read, no reloads seen,
// and the idle time counts from now. Starting again starts over.
void StartPowerManager();
// Stops it: the event is let go and nothing more is suspended; the stored state stays as it was.
void StopPowerManager();
// Takes a reload request if one came, and suspends the device when its idle time has run out.
// True when the device has just been suspended.
bool TickPowerManager();
// Input activity. A press (stylus down, key down) on a suspended device wakes it: true, and the
// press must go no further. Other input only counts as activity.
bool PowerManagerInput(bool press);
// Wakes a suspended device without a press (a close request from the host); true when it was
// suspended.
bool ResumeDevice();
// Suspends the device at once (its power key); true when it was on.
bool SuspendDevice();
// Whether the device is suspended now (false while no manager runs in this process).
bool DeviceSuspended();
// The manager's state as the device store holds it, from any process.
PowerStatus ReadPowerStatus();

}  // namespace kernel
