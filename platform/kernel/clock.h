// The one clock service of the device: monotonic time for ticks, waits and timers, and the
// device's universal time. It is either real (the host's clocks) or virtual (time moves only when
// someone sleeps, waits or advances it, so a 66 s wait completes at once). The device clock is the
// clock base plus an offset kept in the device store; setting it never touches the host clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/kernel/time_zone.h"
#include "platform/kernel/win32_types.h"

namespace kernel {

// One wait of a thread on virtual time: until dueMs (kNoDue: no time limit), or until `done`, which
// looks at the object waited on (and may take it), says so. A pause has no `done`.
struct VirtualWait {
  static constexpr std::uint64_t kNoDue = UINT64_MAX;
  std::uint64_t dueMs = kNoDue;
  std::function<bool()> done;
  // For an object of the device's shared table: its slot, and the table's change counter that
  // the last look saw, so a change in between is never missed.
  std::optional<std::uint32_t> tableSlot;
  const std::uint32_t* seenGeneration = nullptr;
};

class ClockSource {
 public:
  virtual ~ClockSource() = default;
  virtual bool IsVirtual() const = 0;
  // Milliseconds since an arbitrary start, never going back.
  virtual std::uint64_t MonotonicMs() = 0;
  // The base universal time in milliseconds since 1970-01-01 (before the device's offset).
  virtual std::int64_t BaseUtcMs() = 0;
  // Blocks the calling thread for ms (real), or moves time forward by ms (virtual).
  virtual void Sleep(DWORD ms) = 0;
  // Passes virtual time for one wait; true when `done` said so before the time came. By default
  // the time passes at once.
  virtual bool PassTime(const VirtualWait& wait);
  // A clock that follows the process that started this one on the device: it never moves time
  // itself, and every wait of the program, one without a time-out too, counts as waiting.
  virtual bool FollowsStarter() const { return false; }
  // A clock whose time the programs this process starts on the device live in.
  virtual bool LeadsDevicePrograms() const { return false; }
};

std::unique_ptr<ClockSource> MakeRealClock();
// Virtual time starting at the given universal time (ms since 1970).
std::unique_ptr<ClockSource> MakeVirtualClock(std::int64_t startUtcMs);

// The process's clock; real until a front end or test installs another.
void SetClockSource(std::unique_ptr<ClockSource> clock);
ClockSource& Clock();

// Moves virtual time forward (no effect on a real clock): a script's "wait MS". Under virtual time
// the time moves only while every program this process started on the device (see
// device_programs.h) waits or has ended.
void AdvanceVirtualTime(DWORD ms);

// Marks the calling thread as a worker that follows virtual time instead of moving it: its bounded
// waits and pauses last until another thread (the user-interface thread, a script's "wait") has
// moved time past their end, or until the object waited on is signalled. Worker threads of the
// framework are followers; a real clock is unaffected.
void FollowVirtualTime();
bool FollowsVirtualTime();
// How many follower threads are blocked in such a wait now, so that a caller can move time only
// once a worker waits for it.
std::size_t FollowersWaiting();

// Blocks a follower until virtual time reaches `dueMs` (monotonic): each turn it calls
// `waitForChange`, which sleeps in real time for at most a short slice, then `done`; returns true
// when `done` said so first, false when the time came.
bool FollowVirtualTimeUntil(std::uint64_t dueMs, const std::function<void(DWORD sliceMs)>& waitForChange,
                            const std::function<bool()>& done);

// Device universal time in ms since 1970: the clock base plus the device's clock offset.
std::int64_t DeviceUtcMs();
// Sets the device universal time by changing the stored offset.
void SetDeviceUtcMs(std::int64_t utcMs);

// The last moment the device clock shows, 9999-12-31 23:59:59.999, in ms since 1970: a clock
// never shows a five-digit year.
constexpr std::int64_t kLastDeviceTimeMs = 253402300799999;

// Parses a local date and time "YYYY-MM-DDTHH:MM[:SS]" (a space may stand for the T) from
// 1601-01-01 to 9999-12-31 23:59:59, as the utility's --clock and devicectl's clock --set take it.
std::optional<SYSTEMTIME> ParseLocalDateTime(std::string_view text);

}  // namespace kernel

DWORD GetTickCount();
void Sleep(DWORD ms);
