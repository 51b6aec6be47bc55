#include "ui/ani_wait_cursor.h"

#include "platform/gwes/focus.h"
#include "platform/gwes/gdi.h"
#include "platform/gwes/paint.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/sync_objects.h"
#include "res/resource.h"

const UINT CAniWaitCursor::kFrameIds[kFrameCount] = {
    IDB_WAIT_FRAME_0, IDB_WAIT_FRAME_1, IDB_WAIT_FRAME_2, IDB_WAIT_FRAME_3, IDB_WAIT_FRAME_4,
    IDB_WAIT_FRAME_5, IDB_WAIT_FRAME_6, IDB_WAIT_FRAME_7, IDB_WAIT_FRAME_8,
};

namespace {
// The text keeps this far from the window's right edge.
constexpr int kTextRightMargin = 2;
constexpr COLORREF kTextColour = RGB(128, 128, 128);
}  // namespace

CAniWaitCursor::CAniWaitCursor() {
  LoadSkinBitmap(m_frame, kFrameIds[0]);
  BITMAP info{};
  if (m_frame.GetSafeHandle() && GetObjectW(m_frame, sizeof info, &info) != 0)
    m_frameRect = RECT{0, 0, info.bmWidth, info.bmHeight};
  m_text.LoadString(IDS_PLEASE_WAIT);

  HWND parent = ::GetActiveWindow();
  CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, m_frameRect.right, m_frameRect.bottom, parent, 1);
  SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  // Centred in the busy screen's client area: (100, 100) on a full page.
  if (m_hWnd != nullptr) CenterWindow();

  // The worker needs the window to draw in and the event to be stopped by; without either the
  // cursor shows its first frame through the platform's repaints only.
  m_hStopEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (m_hStopEvent != nullptr && m_hWnd != nullptr) {
    m_pThread = AfxBeginThread(AnimateThread, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (m_pThread) m_pThread->m_bAutoDelete = FALSE;
  }
  if (m_pThread) m_pThread->ResumeThread();
}

CAniWaitCursor::~CAniWaitCursor() {
  if (m_pThread) {
    SetEvent(m_hStopEvent);
    WaitForSingleObject(m_pThread->m_hThread, INFINITE);
    delete m_pThread;
    m_pThread = nullptr;
  }
  m_frame.DeleteObject();
  if (m_hStopEvent) CloseHandle(m_hStopEvent);
  m_hStopEvent = nullptr;
  DestroyWindow();
}

UINT CAniWaitCursor::AnimateThread(LPVOID param) {
  auto* self = static_cast<CAniWaitCursor*>(param);
  HDC dc = ::GetDC(self->m_hWnd);
  HDC memory = CreateCompatibleDC(dc);
  int position = 0;
  {
    std::lock_guard guard(self->m_drawLock);
    self->DrawStep(dc, memory);
  }
  GdiFlush();
  while (WaitForSingleObject(self->m_hStopEvent, kFramePeriodMs) == WAIT_TIMEOUT) {
    position = (position + 1) % kFrameCount;
    std::lock_guard guard(self->m_drawLock);
    self->m_frame.DeleteObject();
    // A frame that cannot be loaded leaves the bitmap empty; the animation goes on with the next.
    LoadSkinBitmap(self->m_frame, kFrameIds[position]);
    self->DrawStep(dc, memory);
    GdiFlush();  // the frame is shown while the program's own thread is blocked
  }
  DeleteDC(memory);
  ::ReleaseDC(self->m_hWnd, dc);
  return 0;
}

void CAniWaitCursor::DrawStep(HDC dc, HDC memory) {
  HGDIOBJ previous = SelectObject(memory, m_frame);
  BitBlt(dc, 0, 0, m_frameRect.right - m_frameRect.left, m_frameRect.bottom - m_frameRect.top, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);

  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  client.right -= kTextRightMargin;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour = SetTextColor(dc, kTextColour);
  DrawTextW(dc, m_text.GetText(), m_text.GetLength(), &client, DT_RIGHT | DT_VCENTER);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

void CAniWaitCursor::OnPaint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(m_hWnd, &paint);
  HDC memory = CreateCompatibleDC(dc);
  {
    std::lock_guard guard(m_drawLock);
    DrawStep(dc, memory);
  }
  DeleteDC(memory);
  EndPaint(m_hWnd, &paint);
}
