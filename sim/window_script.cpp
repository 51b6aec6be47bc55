#include "sim/window_script.h"

#include "platform/gwes/message_queue.h"
#include "platform/gwes/timers.h"
#include "platform/kernel/clock.h"

namespace sim {
namespace {

void OneShot(HWND, UINT, UINT_PTR id, DWORD) { KillTimer(nullptr, id); }

}  // namespace

WindowScript::WindowScript(std::istream& script, std::function<void(int, const std::string&)> ends,
                           ScriptPlaces places)
    : m_runner(script, std::move(ends), std::move(places)) {
  m_runner.SetWait([this](unsigned ms) {
    m_waitUntil = kernel::Clock().MonotonicMs() + ms;
    WakeAfter(ms);
  });
}

void WindowScript::FramePresented() {
  if (!m_framePresented.exchange(true)) gwes::WakeIdleThreads();
}

WindowScript::~WindowScript() {
  if (m_timer) KillTimer(nullptr, m_timer);
}

// A timer already set to wake the thread as early is kept: setting one wakes the thread's loop,
// which would come back here at once and never sleep.
void WindowScript::WakeAfter(std::uint64_t ms) {
  const std::uint64_t now = kernel::Clock().MonotonicMs();
  if (m_timer && now < m_timerDue && m_timerDue <= now + ms) return;
  if (m_timer) KillTimer(nullptr, m_timer);
  m_timer = SetTimer(nullptr, 0, static_cast<UINT>(ms), OneShot);
  m_timerDue = now + ms;
}

void WindowScript::OnProgramIdle() {
  if (!m_framePresented) return;
  if (m_waitUntil) {
    const std::uint64_t now = kernel::Clock().MonotonicMs();
    if (now < *m_waitUntil) return WakeAfter(*m_waitUntil - now);
    m_waitUntil.reset();
  }
  m_runner.RunNextCommand();
}

}  // namespace sim
