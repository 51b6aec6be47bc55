// The per-kind fields of the dump, read through each control's own messages: position and range
// of trackbars and progress bars, selection and item texts of list and combo boxes, the time of a
// time picker, the selected day of a month calendar.
#pragma once

namespace sim {

// Registers the fields of every control kind with the dump; any later call does nothing.
void RegisterControlDumpFields();

}  // namespace sim
