#include "platform/afx/win_thread.h"

#include <condition_variable>
#include <mutex>

#include "platform/afx/winapp.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/handle_table.h"

namespace {
thread_local CWinThread* t_thread = nullptr;
}

// What the thread, its handle and its object share: the start gate and the end signal. The handle
// keeps it alive after an auto-deleted object is gone.
struct CWinThread::State : kernel::WaitableObject {
  std::mutex lock;
  std::condition_variable changed;
  DWORD suspendCount = 0;
  bool ended = false;
  DWORD exitCode = 0;

  DWORD Wait(DWORD timeoutMs) override {
    std::unique_lock guard(lock);
    if (timeoutMs == INFINITE) {
      changed.wait(guard, [this] { return ended; });
      return WAIT_OBJECT_0;
    }
    return changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return ended; }) ? WAIT_OBJECT_0
                                                                                                  : WAIT_TIMEOUT;
  }
};

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}

CWinThread::~CWinThread() {
  if (m_thread.joinable()) {
    if (m_thread.get_id() == std::this_thread::get_id()) {
      m_thread.detach();
    } else {
      // A suspended thread that was never resumed is let go so that it can end.
      ResumeThread();
      m_thread.join();
    }
  }
  if (m_hThread) CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD flags, UINT) {
  if (m_state) return FALSE;
  m_state = std::make_shared<State>();
  m_state->suspendCount = (flags & CREATE_SUSPENDED) ? 1 : 0;
  m_hThread = kernel::InsertHandle(m_state);
  m_thread = std::thread([this, state = m_state] {
    {
      std::unique_lock guard(state->lock);
      state->changed.wait(guard, [&] { return state->suspendCount == 0; });
    }
    Run();
  });
  return TRUE;
}

void CWinThread::Run() {
  std::shared_ptr<State> state = m_state;
  t_thread = this;
  // Under virtual time only the user-interface thread (or a script) moves time; a worker's waits
  // last until it has.
  kernel::FollowVirtualTime();
  DWORD code = m_pfnThreadProc(m_pThreadParams);
  t_thread = nullptr;
  // Auto-delete is read before the end is signalled: once it is, the owner may delete us.
  bool autoDelete = m_bAutoDelete;
  if (autoDelete) delete this;
  std::lock_guard guard(state->lock);
  state->ended = true;
  state->exitCode = code;
  state->changed.notify_all();
}

DWORD CWinThread::ResumeThread() {
  if (!m_state) return 0xFFFFFFFF;
  std::lock_guard guard(m_state->lock);
  DWORD previous = m_state->suspendCount;
  if (previous > 0 && --m_state->suspendCount == 0) m_state->changed.notify_all();
  return previous;
}

BOOL CWinThread::SetThreadPriority(int priority) {
  m_nPriority = priority;
  return TRUE;
}

DWORD CWinThread::ExitCode() const {
  if (!m_state) return 0;
  std::lock_guard guard(m_state->lock);
  return m_state->exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD flags) {
  if (!proc) return nullptr;
  auto* thread = new CWinThread(proc, param);
  thread->SetThreadPriority(priority);
  if (!thread->CreateThread(flags | CREATE_SUSPENDED, stackSize)) {
    delete thread;
    return nullptr;
  }
  if (!(flags & CREATE_SUSPENDED)) thread->ResumeThread();
  return thread;
}

CWinThread* AfxGetThread() { return t_thread; }

CWnd* AfxGetMainWnd() {
  if (t_thread && t_thread->m_pMainWnd) return t_thread->m_pMainWnd;
  CWinApp* app = AfxGetApp();
  return app ? app->m_pMainWnd : nullptr;
}
