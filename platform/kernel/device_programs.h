// Programs started on the device (CreateProcessW) as the device's shared table records them: a
// restart of the device ends them, and under virtual time they live in the time of the process
// that started them (their starter). The starter moves time only while each of its programs waits
// or has ended, so a headless run ends as one in real time would: a program that works for 2 s of
// device time has done so before the starter's 3 s pause is over.
//
// A program joins its starter's time with EnterDeviceProgram. Until it has, it counts as running;
// one that has not joined within 2 s of real time (a host program that knows nothing of the device's
// time, such as a shell script) runs in real time from then on and no longer holds time back.
//
// A program counts as one thread: it waits while its thread waits (a pause, or a wait on an object,
// with or without a time-out). A program whose starter has ended can never see its time move again
// and ends itself at its next look at the time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/win32_types.h"

namespace kernel {

// Called by a program started on the device first, once its device is current: its own module
// path (GetModuleFileNameW) becomes the device path it was started by, and when its starter keeps
// virtual time, the program's clock follows that time.
void EnterDeviceProgram();

// Ends every program started on the device that still runs, as the device's restart does.
void EndDevicePrograms();

// For CreateProcessW: records a program about to start from this process (following this process's
// virtual time when it keeps one) and gives the environment entry that tells the program where it
// is recorded (with the device path it is started by); then the started program's pid, or that it
// could not start.
struct StartingProgram {
  std::uint32_t index = 0;
  std::uint32_t serial = 0;
  bool recorded = false;
};
StartingProgram RecordStartingProgram();
std::vector<std::string> StartingProgramVariables(const StartingProgram& program, std::u16string_view devicePath);
void ProgramStarted(const StartingProgram& program, int pid);
void ProgramNotStarted(const StartingProgram& program);

// For the virtual clock of a starter: whether programs of this process may follow its time.
bool DeviceProgramsFollowThisProcess();
// One step of the starter's time from nowMs towards dueMs: busy when one of its programs runs (wait
// for a change of the table after `generation`, then try again); otherwise the time reached (the
// earliest end of a program's wait, or dueMs), which those programs now see.
struct ProgramStep {
  bool busy = false;
  std::uint64_t reachedMs = 0;
  std::uint32_t generation = 0;
};
ProgramStep StepDevicePrograms(std::uint64_t nowMs, std::uint64_t dueMs);
void WaitForDeviceProgramChange(std::uint32_t generation, DWORD ms);

}  // namespace kernel
