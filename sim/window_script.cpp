#include "sim/window_script.h"

#include "platform/gwes/timers.h"
#include "platform/kernel/clock.h"

namespace sim {
namespace {

// How often the program looks whether the window shows its first frame yet.
constexpr std::uint64_t kFirstFramePollMs = 10;

void OneShot(HWND, UINT, UINT_PTR id, DWORD) { KillTimer(nullptr, id); }

}  // namespace

WindowScript::WindowScript(std::istream& script, std::function<void(int, const std::string&)> ends,
                           std::string shotsFolder)
    : m_runner(script, std::move(ends), std::move(shotsFolder)) {
  m_runner.SetWait([this](unsigned ms) {
    m_waitUntil = kernel::Clock().MonotonicMs() + ms;
    WakeAfter(ms);
  });
}

WindowScript::~WindowScript() {
  if (m_timer) KillTimer(nullptr, m_timer);
}

void WindowScript::WakeAfter(std::uint64_t ms) {
  if (m_timer) KillTimer(nullptr, m_timer);
  m_timer = SetTimer(nullptr, 0, static_cast<UINT>(ms), OneShot);
}

void WindowScript::OnProgramIdle() {
  if (!m_framePresented) return WakeAfter(kFirstFramePollMs);
  if (m_waitUntil) {
    const std::uint64_t now = kernel::Clock().MonotonicMs();
    if (now < *m_waitUntil) return WakeAfter(*m_waitUntil - now);
    m_waitUntil.reset();
  }
  m_runner.RunNextCommand();
}

}  // namespace sim
