#include "screens/battery_hold.h"

#include "platform/kernel/handle_table.h"
#include "platform/kernel/sync_objects.h"

bool HoldBatteryWarning(bool hold) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, kHoldBatteryWarningEvent);
  if (event == nullptr) return false;
  if (hold) {
    SetEvent(event);
    SetEventData(event, GetEventData(event) + 1);
  } else {
    DWORD holders = GetEventData(event);
    if (holders > 1) {
      SetEventData(event, holders - 1);
    } else {
      SetEventData(event, 0);
      ResetEvent(event);
    }
  }
  CloseHandle(event);
  return true;
}
