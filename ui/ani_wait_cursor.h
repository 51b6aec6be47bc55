// The animated wait cursor: a small child window of the busy screen that loops through nine
// frames with "Please wait..." over them, drawn every 500 ms by a worker thread of its own while
// the user-interface thread is blocked. Constructing it starts the animation; destroying it stops
// the worker, waits for it and removes the window. A repaint the platform asks for while the worker
// runs is serialised with the worker's drawing.
#pragma once

#include <mutex>

#include "platform/afx/win_thread.h"
#include "platform/afx/wnd.h"
#include "ui/local_string.h"
#include "ui/skin_bitmap.h"

class CAniWaitCursor : public CWnd {
 public:
  CAniWaitCursor();
  ~CAniWaitCursor() override;

  // The frames in the order they are shown; after the last the animation starts again.
  static constexpr int kFrameCount = 9;
  static const UINT kFrameIds[kFrameCount];
  // Time between two frames.
  static constexpr DWORD kFramePeriodMs = 500;

 protected:
  void OnPaint() override;

 private:
  static UINT AnimateThread(LPVOID param);
  // Draws the frame held now and the text into the window through `dc`, using `memory` for the
  // frame; the caller holds m_drawLock.
  void DrawStep(HDC dc, HDC memory);

  CWinThread* m_pThread = nullptr;
  CSkinBitmap m_frame;
  RECT m_frameRect{};
  CLocalString m_text;
  HANDLE m_hStopEvent = nullptr;
  // Held for each step, so the worker's frame change and a platform repaint never overlap.
  std::mutex m_drawLock;
};
