// The device's battery monitor. Programs hold its low-battery warning off through the event
// "EVENT_HOLD_BATT_WARNING", whose data word counts the holders. A named event lives only while
// some process has it open and the holders keep no handle between their calls, so the monitor
// keeps the event open for as long as it runs: the count then survives from one call to the next.
// The monitor never changes the event's state or count.
//
// The front end runs it for as long as the program runs.
#pragma once

namespace kernel {

inline constexpr const char16_t* kHoldBatteryWarningEvent = u"EVENT_HOLD_BATT_WARNING";

// Opens the event (creating it not signalled, count 0, when no one has it); starting again
// changes nothing. False when the event cannot be opened.
bool StartBatteryMonitor();
// Lets the event go; it ends with the last process that has it open.
void StopBatteryMonitor();

}  // namespace kernel
