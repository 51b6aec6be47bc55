#include "platform/kernel/clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/kernel/device_programs.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"

namespace kernel {
namespace {

// Digits [pos, pos + count) of text as a number; nullopt when any is not a digit.
std::optional<WORD> TakeNumber(std::string_view text, std::size_t pos, std::size_t count) {
  WORD value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    value = static_cast<WORD>(value * 10 + (text[i] - '0'));
  }
  return value;
}

class RealClock final : public ClockSource {
 public:
  bool IsVirtual() const override { return false; }
  std::uint64_t MonotonicMs() override {
    auto now = std::chrono::steady_clock::now() - m_start;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
  std::int64_t BaseUtcMs() override {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  }
  void Sleep(DWORD ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

 private:
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// How long a process that moves virtual time sleeps in real time while a program it started on
// the device runs, before it looks again (a program that dies announces nothing).
constexpr DWORD kProgramRunSliceMs = 5;

// Time that moves when this process sleeps or waits. While programs this process started on the
// device live in its time, it moves only when each of them waits, and only as far as the earliest
// end of their waits at a time, so each program runs at its moment before time goes on.
class VirtualClock final : public ClockSource {
 public:
  explicit VirtualClock(std::int64_t startUtcMs) : m_startUtc(startUtcMs) {}
  bool IsVirtual() const override { return true; }
  bool LeadsDevicePrograms() const override { return true; }
  std::uint64_t MonotonicMs() override { return m_elapsed.load(); }
  std::int64_t BaseUtcMs() override { return m_startUtc + static_cast<std::int64_t>(m_elapsed.load()); }
  void Sleep(DWORD ms) override {
    if (!DeviceProgramsFollowThisProcess()) {
      m_elapsed.fetch_add(ms);
      return;
    }
    VirtualWait wait;
    wait.dueMs = m_elapsed.load() + ms;
    PassTime(wait);
  }
  bool PassTime(const VirtualWait& wait) override {
    for (;;) {
      if (wait.done && wait.done()) return true;
      std::uint64_t now = m_elapsed.load();
      // Nothing but a peer can end a wait without a time-out; the caller waits for it in real time.
      if (now >= wait.dueMs || wait.dueMs == VirtualWait::kNoDue) return false;
      if (!DeviceProgramsFollowThisProcess()) {
        m_elapsed.fetch_add(wait.dueMs - now);
        continue;
      }
      ProgramStep step = StepDevicePrograms(now, wait.dueMs);
      if (step.busy) {
        WaitForDeviceProgramChange(step.generation, kProgramRunSliceMs);
        continue;
      }
      m_elapsed.store(step.reachedMs);
    }
  }

 private:
  std::int64_t m_startUtc;
  std::atomic<std::uint64_t> m_elapsed{0};
};

std::mutex g_clockLock;
std::unique_ptr<ClockSource> g_clock;

thread_local bool t_follower = false;
std::atomic<std::size_t> g_followersWaiting{0};

// How long a follower sleeps in real time before it looks at the virtual clock again.
constexpr DWORD kFollowerSliceMs = 2;

}  // namespace

bool ClockSource::PassTime(const VirtualWait& wait) {
  if (wait.done && wait.done()) return true;
  std::uint64_t now = MonotonicMs();
  if (wait.dueMs == VirtualWait::kNoDue || wait.dueMs <= now) return false;
  Sleep(static_cast<DWORD>(std::min<std::uint64_t>(wait.dueMs - now, INFINITE - 1)));
  return wait.done && wait.done();
}

std::unique_ptr<ClockSource> MakeRealClock() { return std::make_unique<RealClock>(); }

std::unique_ptr<ClockSource> MakeVirtualClock(std::int64_t startUtcMs) {
  return std::make_unique<VirtualClock>(startUtcMs);
}

void SetClockSource(std::unique_ptr<ClockSource> clock) {
  std::lock_guard guard(g_clockLock);
  g_clock = std::move(clock);
}

ClockSource& Clock() {
  std::lock_guard guard(g_clockLock);
  if (!g_clock) g_clock = MakeRealClock();
  return *g_clock;
}

void AdvanceVirtualTime(DWORD ms) {
  auto& clock = Clock();
  if (clock.IsVirtual()) clock.Sleep(ms);
}

void FollowVirtualTime() { t_follower = true; }

bool FollowsVirtualTime() { return t_follower; }

std::size_t FollowersWaiting() { return g_followersWaiting.load(); }

bool FollowVirtualTimeUntil(std::uint64_t dueMs, const std::function<void(DWORD)>& waitForChange,
                            const std::function<bool()>& done) {
  g_followersWaiting.fetch_add(1);
  bool finished = false;
  for (;;) {
    waitForChange(kFollowerSliceMs);
    if (done()) {
      finished = true;
      break;
    }
    if (Clock().MonotonicMs() >= dueMs) break;
  }
  g_followersWaiting.fetch_sub(1);
  return finished;
}

std::int64_t DeviceUtcMs() {
  std::int64_t offset = CurrentDevice().Store().GetInt(state::kClockOffset).value_or(0);
  return Clock().BaseUtcMs() + offset;
}

void SetDeviceUtcMs(std::int64_t utcMs) {
  CurrentDevice().Store().SetInt(state::kClockOffset, utcMs - Clock().BaseUtcMs());
}

std::optional<SYSTEMTIME> ParseLocalDateTime(std::string_view text) {
  if (text.size() != 16 && text.size() != 19) return std::nullopt;
  auto year = TakeNumber(text, 0, 4), month = TakeNumber(text, 5, 2), day = TakeNumber(text, 8, 2);
  auto hour = TakeNumber(text, 11, 2), minute = TakeNumber(text, 14, 2);
  std::optional<WORD> second = WORD{0};
  if (text.size() == 19) second = text[16] == ':' ? TakeNumber(text, 17, 2) : std::nullopt;
  if (!year || !month || !day || !hour || !minute || !second || text[4] != '-' || text[7] != '-' ||
      (text[10] != 'T' && text[10] != ' ') || text[13] != ':' || *year < 1601) {
    return std::nullopt;
  }
  SYSTEMTIME t{*year, *month, 0, *day, *hour, *minute, *second, 0};
  if (!SystemTimeToMs(t)) return std::nullopt;
  return t;
}

}  // namespace kernel

DWORD GetTickCount() { return static_cast<DWORD>(kernel::Clock().MonotonicMs()); }

void Sleep(DWORD ms) {
  auto& clock = kernel::Clock();
  if (!clock.IsVirtual() || !kernel::FollowsVirtualTime()) {
    clock.Sleep(ms);
    return;
  }
  kernel::FollowVirtualTimeUntil(
      clock.MonotonicMs() + ms, [](DWORD slice) { std::this_thread::sleep_for(std::chrono::milliseconds(slice)); },
      [] { return false; });
}
