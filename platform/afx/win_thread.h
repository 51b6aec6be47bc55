// Worker threads of the framework. AfxBeginThread runs a function on a new thread, optionally
// created suspended so the caller can finish setting up the thread object (for instance switch
// off auto-delete) before ResumeThread lets it run. m_hThread is a kernel handle that
// WaitForSingleObject waits on until the thread has ended. A thread that draws gets its own
// message queue from the window system when it first needs one (GetDC works from it). Under
// virtual time the thread's bounded waits and pauses follow time rather than move it.
#pragma once

#include <memory>
#include <thread>

#include "platform/kernel/win32_types.h"

class CWnd;

using AFX_THREADPROC = UINT (*)(LPVOID);

// The device kernel numbers priorities 0 (highest) to 7; normal is 3.
constexpr int THREAD_PRIORITY_NORMAL = 3;
constexpr DWORD CREATE_SUSPENDED = 0x00000004;

class CWinThread {
 public:
  CWinThread(AFX_THREADPROC proc, LPVOID param);
  // Closes the thread handle. A thread object is deleted only after its thread ended (the
  // owner waits on m_hThread first); the destructor waits for it otherwise.
  virtual ~CWinThread();
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // Starts the thread; suspended when flags hold CREATE_SUSPENDED. False when it is started already.
  BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0);
  // Returns the previous suspend count (1 for a suspended thread that now runs, 0 when it ran
  // already), 0xFFFFFFFF for a thread never created.
  DWORD ResumeThread();
  // Recorded only: the host schedules every thread alike.
  BOOL SetThreadPriority(int priority);
  int GetThreadPriority() const { return m_nPriority; }
  // The function's return value once the thread ended.
  DWORD ExitCode() const;

  HANDLE m_hThread = nullptr;
  // When true the thread deletes this object itself when its function returns.
  BOOL m_bAutoDelete = TRUE;
  CWnd* m_pMainWnd = nullptr;

 private:
  struct State;
  void Run();

  AFX_THREADPROC m_pfnThreadProc;
  LPVOID m_pThreadParams;
  int m_nPriority = THREAD_PRIORITY_NORMAL;
  std::shared_ptr<State> m_state;
  std::thread m_thread;
};

// Creates a thread object and starts it (suspended with CREATE_SUSPENDED); null on failure.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD flags = 0);

// The calling thread's thread object, when AfxBeginThread started it; else null.
CWinThread* AfxGetThread();

// The main window of the calling thread: its thread object's own main window when it has one,
// else the application's main window (for every thread of the application), else null.
CWnd* AfxGetMainWnd();
