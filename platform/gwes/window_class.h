// Window classes: a class names a window procedure, class styles, extra window bytes and a
// background brush. Class names are process-wide and compare without regard to case; a class is
// named by its string or by the atom RegisterClassW returned.
#pragma once

#include "platform/gwes/gwes_types.h"
#include "platform/kernel/resources.h"  // IS_INTRESOURCE

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
};

// A class name given as an atom: the atom in the low word of the pointer.
inline LPCWSTR MAKEINTATOM(ATOM atom) { return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)); }

// The class's atom (0xC000 and up); 0 and ERROR_CLASS_ALREADY_EXISTS when the name is taken,
// ERROR_INVALID_PARAMETER without a procedure or name.
ATOM RegisterClassW(const WNDCLASSW* wc);
// Fails with ERROR_CLASS_DOES_NOT_EXIST, or ERROR_CLASS_HAS_WINDOWS while windows of it exist.
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* wc);
// Copies the window's class name (as registered) and returns its length.
int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount);
