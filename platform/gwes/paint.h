// Painting: update regions, WM_PAINT and erasing, paint and window DCs on the framebuffer.
// Windows clip their children and their siblings above them (as every window on this device does),
// so invalidating a window leaves its children alone, and a window's update region never covers
// what other windows hide. Showing, moving, restacking and hiding windows invalidate what they
// uncover.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gwes/surface.h"
#include "platform/gwes/window.h"

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;  // the background still needs erasing (WM_ERASEBKGND did not do it)
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

// A null rectangle stands for the whole client area; a null window for every window.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
// The bounding box of the update region (client coordinates); FALSE when it is empty. With erase,
// a pending erase is done now.
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
// Sends WM_PAINT now to the window and its descendants that need painting.
BOOL UpdateWindow(HWND hwnd);
// RDW_INVALIDATE, RDW_VALIDATE, RDW_ERASE, RDW_NOERASE, RDW_INTERNALPAINT, RDW_NOINTERNALPAINT,
// RDW_ALLCHILDREN and RDW_UPDATENOW; the region argument must be null.
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);

// Starts painting: sends WM_ERASEBKGND first when an erase is pending, validates the update region
// and returns a DC clipped to it and to what of the window is visible.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A DC on the whole visible part of the window (null: the whole screen). Usable from any thread:
// drawing takes the framebuffer's lock.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
// Drawing through a DC reaches the framebuffer at once; this tells the front end that a thread
// which keeps its DC (an animation) has finished a frame, as ReleaseDC and EndPaint do.
BOOL GdiFlush();

namespace gwes {

// The device's framebuffer, 320 x 240.
std::shared_ptr<Surface> Screen();
// Counts finished drawing on the framebuffer; a front end presents when it changed.
std::uint64_t ScreenDirtyCount();
void MarkScreenDirty();
// Called (from the flushing thread) at each GdiFlush, so a front end shows a frame drawn while
// the program's own thread is blocked at once; null for none.
void SetScreenFlushHook(void (*hook)());
// What the device's panel shows, kScreenWidth x kScreenHeight pixels: the framebuffer, or black
// while the device is suspended (the framebuffer itself is kept for the wake).
void CopyShownScreen(std::uint32_t* pixels);
// Fills the client area with the window class's background brush; false when it has none.
bool EraseWithClassBrush(HWND hwnd, HDC dc);
// What of the window is visible, in screen coordinates: its rectangle clipped by its ancestors,
// minus visible siblings above it (at every level) and minus its visible children.
std::vector<RECT> VisibleRegion(HWND hwnd);

}  // namespace gwes
