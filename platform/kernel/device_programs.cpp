#include "platform/kernel/device_programs.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/process.h"
#include "platform/kernel/shared_object_table.h"
#include "platform/kernel/wide_string.h"

namespace kernel {
namespace {

constexpr const char* kSlotVariable = "QUORVANE_PROGRAM_SLOT";
constexpr const char* kPathVariable = "QUORVANE_PROGRAM";
// How often a waiting program looks whether its starter is still there.
constexpr DWORD kProgramLookMs = 50;
// The status of a program that ended because its starter's time can never move again.
constexpr int kStatusStarterGone = 125;
// How long the restart waits for an ended child of this process to be collected.
constexpr auto kCollectTimeout = std::chrono::milliseconds(200);

// How long a started program may take to join its starter's time.
constexpr std::uint64_t kJoinTimeoutMs = 2000;

std::atomic<bool> g_programsFollow{false};

std::uint64_t HostMonotonicMs() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::shared_ptr<SharedObjectTable> DeviceTable() {
  if (!HasCurrentDevice()) return nullptr;
  return SharedObjectTable::ForRoot(CurrentDevice().Root(), true);
}

bool IsOwn(const DeviceProgramState& program, const ProcessIdentity& self) {
  return program.followsStarter != 0 && program.starter.pid == self.pid && program.starter.startTime == self.startTime;
}

// The clock of a program that lives in its starter's time: it reads the time the starter gave it
// and, whenever it waits, says so in its record until the starter or the object lets it go.
class ProgramClock final : public ClockSource {
 public:
  ProgramClock(std::shared_ptr<SharedObjectTable> table, SlotRef ref) : m_table(std::move(table)), m_ref(ref) {}

  bool IsVirtual() const override { return true; }
  bool FollowsStarter() const override { return true; }
  std::uint64_t MonotonicMs() override { return Read().nowMs; }
  std::int64_t BaseUtcMs() override {
    DeviceProgramState state = Read();
    return state.baseUtcMs + static_cast<std::int64_t>(state.nowMs);
  }
  void Sleep(DWORD ms) override {
    VirtualWait wait;
    wait.dueMs = ms == INFINITE ? VirtualWait::kNoDue : Read().nowMs + ms;
    PassTime(wait);
  }

  bool PassTime(const VirtualWait& wait) override {
    for (;;) {
      if (wait.done && wait.done()) return true;
      bool timeCame = false;
      bool changed = false;
      std::uint32_t generation = 0;
      Update(
          [&](DeviceProgramState& state, std::uint32_t now) {
            if (state.nowMs >= wait.dueMs) {
              timeCame = true;
              return false;
            }
            // The object changed after the look: look again rather than wait for a change seen.
            if (wait.seenGeneration != nullptr && now != *wait.seenGeneration) {
              changed = true;
              return false;
            }
            state.waiting = 1;
            state.dueMs = wait.dueMs;
            state.waitSlot = wait.tableSlot ? *wait.tableSlot + 1 : 0;
            return true;
          },
          &generation);
      if (timeCame) return false;
      if (changed) continue;
      // Let go by the starter moving time to the end of the wait, or by a change of the object.
      bool waiting = true;
      while (waiting) {
        m_table->WaitForChange(generation, kProgramLookMs);
        Update([&](DeviceProgramState& state, std::uint32_t) { return waiting = state.waiting != 0, false; },
               &generation);
      }
    }
  }

 private:
  DeviceProgramState Read() {
    DeviceProgramState copy;
    Update([&](DeviceProgramState& state, std::uint32_t) { return copy = state, false; }, nullptr);
    return copy;
  }
  void Update(const std::function<bool(DeviceProgramState&, std::uint32_t)>& fn, std::uint32_t* generation) {
    if (!m_table->UpdateProgram(m_ref, fn, generation)) std::_Exit(kStatusStarterGone);
  }

  std::shared_ptr<SharedObjectTable> m_table;
  SlotRef m_ref;
};

bool ParseSlot(const char* text, SlotRef* ref) {
  std::string_view view(text);
  auto colon = view.find(':');
  if (colon == std::string_view::npos) return false;
  auto first = std::from_chars(view.data(), view.data() + colon, ref->index);
  auto second = std::from_chars(view.data() + colon + 1, view.data() + view.size(), ref->serial);
  return first.ec == std::errc() && second.ec == std::errc() && first.ptr == view.data() + colon &&
         second.ptr == view.data() + view.size();
}

}  // namespace

void EnterDeviceProgram() {
  if (const char* path = std::getenv(kPathVariable); path != nullptr && *path != 0) {
    SetOwnModulePath(Utf8ToWide(path));
  }
  const char* slotText = std::getenv(kSlotVariable);
  SlotRef ref;
  if (slotText == nullptr || !ParseSlot(slotText, &ref)) return;
  auto table = DeviceTable();
  if (!table) return;
  bool follows = false;
  bool recorded = table->UpdateProgram(ref, [&](DeviceProgramState& state, std::uint32_t) {
    follows = state.followsStarter != 0;
    state.joined = follows ? 1 : 0;
    return follows;
  });
  if (!recorded) {
    // Started in a starter's time that has ended already.
    std::_Exit(kStatusStarterGone);
  }
  if (follows) SetClockSource(std::make_unique<ProgramClock>(table, ref));
}

void EndDevicePrograms() {
  auto table = DeviceTable();
  if (!table) return;
  std::vector<ProcessIdentity> running;
  table->UpdatePrograms([&](std::vector<DeviceProgramState*>& programs) {
    for (auto* program : programs) {
      if (program->program.pid != 0) running.push_back(program->program);
    }
    return false;
  });
  for (const auto& program : running) {
    if (program.pid != SelfIdentity().pid && IsProcessAlive(program)) ::kill(program.pid, SIGKILL);
  }
  // A program this process started is collected here, so that it is gone from the table at once.
  auto deadline = std::chrono::steady_clock::now() + kCollectTimeout;
  for (const auto& program : running) {
    while (std::chrono::steady_clock::now() < deadline) {
      pid_t done = ::waitpid(program.pid, nullptr, WNOHANG);
      if (done == program.pid || (done < 0 && errno == ECHILD)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
}

StartingProgram RecordStartingProgram() {
  StartingProgram starting;
  if (!HasCurrentDevice()) return starting;
  auto& clock = Clock();
  DeviceProgramState state;
  state.starter = SelfIdentity();
  state.startedHostMs = HostMonotonicMs();
  if (clock.LeadsDevicePrograms()) {
    state.followsStarter = 1;
    state.nowMs = clock.MonotonicMs();
    state.baseUtcMs = clock.BaseUtcMs() - static_cast<std::int64_t>(state.nowMs);
  }
  auto added = SharedObjectTable::AddProgram(CurrentDevice().Root(), state);
  if (!added) return starting;
  starting.index = added->second.index;
  starting.serial = added->second.serial;
  starting.recorded = true;
  if (state.followsStarter != 0) g_programsFollow = true;
  return starting;
}

std::vector<std::string> StartingProgramVariables(const StartingProgram& program, std::u16string_view devicePath) {
  std::vector<std::string> variables = {std::string(kPathVariable) + "=" + WideToUtf8(devicePath)};
  if (program.recorded) {
    variables.push_back(std::string(kSlotVariable) + "=" + std::to_string(program.index) + ":" +
                        std::to_string(program.serial));
  }
  return variables;
}

void ProgramStarted(const StartingProgram& program, int pid) {
  if (!program.recorded) return;
  auto table = DeviceTable();
  // The start time tells this program from a later process with the same pid.
  ProcessIdentity identity = IdentityOfProcess(pid);
  if (table) {
    table->UpdateProgram({program.index, program.serial}, [&](DeviceProgramState& state, std::uint32_t) {
      state.program = identity;
      return true;
    });
  }
}

void ProgramNotStarted(const StartingProgram& program) {
  if (!program.recorded) return;
  if (auto table = DeviceTable()) table->RemoveProgram({program.index, program.serial});
}

bool DeviceProgramsFollowThisProcess() { return g_programsFollow.load(); }

ProgramStep StepDevicePrograms(std::uint64_t nowMs, std::uint64_t dueMs) {
  ProgramStep step;
  step.reachedMs = dueMs;
  auto table = DeviceTable();
  if (!table) {
    g_programsFollow = false;
    return step;
  }
  ProcessIdentity self = SelfIdentity();
  bool any = false;
  std::uint64_t hostNow = HostMonotonicMs();
  table->UpdatePrograms(
      [&](std::vector<DeviceProgramState*>& programs) {
        std::uint64_t next = dueMs;
        bool changed = false;
        for (auto* program : programs) {
          if (!IsOwn(*program, self)) continue;
          if (program->joined == 0 && hostNow - program->startedHostMs > kJoinTimeoutMs) {
            program->followsStarter = 0;
            changed = true;
            continue;
          }
          any = true;
          if (program->waiting == 0) step.busy = true;
        }
        if (!any || step.busy) return changed;
        for (auto* program : programs) {
          if (!IsOwn(*program, self)) continue;
          next = std::min(next, std::max(program->dueMs, nowMs));
        }
        for (auto* program : programs) {
          if (!IsOwn(*program, self)) continue;
          program->nowMs = next;
          if (program->dueMs <= next) {
            program->waiting = 0;
            program->waitSlot = 0;
          }
        }
        step.reachedMs = next;
        return true;
      },
      &step.generation);
  if (!any) g_programsFollow = false;
  return step;
}

void WaitForDeviceProgramChange(std::uint32_t generation, DWORD ms) {
  if (auto table = DeviceTable()) table->WaitForChange(generation, ms);
}

}  // namespace kernel
