// The framework's window object. A CWnd stands for one window handle: the process-wide handle map
// finds the object of a handle, and the framework's window procedure hands each message of a bound
// window to the object's virtual WindowProc. Binding an existing window (SubclassWindow) replaces
// its procedure with the framework's and keeps the old one for Default. Message handlers are plain
// virtual functions; notifications a child sends to its parent (commands, owner-draw and colour
// requests, scroll and notify messages) are first offered to the child's own object
// (OnChildNotify), so a control class can draw and colour itself.
#pragma once

#include <memory>
#include <string>

#include "platform/gwes/message_queue.h"
#include "platform/gwes/timers.h"

class CWnd {
 public:
  CWnd();
  // Destroys a window the object still holds, after giving it back its own procedure (the
  // object's handlers are no longer there to be called).
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The object bound to the window, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // The bound object, else a temporary object of this thread for a valid window (valid until the
  // window is gone and this thread asks for another temporary), else null.
  static CWnd* FromHandle(HWND hwnd);

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // Binds the object to a window without taking its messages; false when either is bound.
  BOOL Attach(HWND hwnd);
  HWND Detach();
  // Binds the object and routes the window's messages through it.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  // Called by SubclassWindow once the object is bound, before it takes the window's messages: the
  // place for a control class to adjust the window's style.
  virtual void PreSubclassWindow();
  // Gives the window back its previous procedure and unbinds the object.
  HWND UnsubclassWindow();

  // Creates a window bound from its first message. A null class uses the framework's own class;
  // windows of other classes are bound right after creation.
  BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                int height, HWND parent, UINT id);
  BOOL DestroyWindow();

  // Thin wrappers over the window functions.
  CWnd* GetDlgItem(int id) const;
  CWnd* GetParent() const;
  int GetDlgCtrlID() const;
  void SetWindowText(LPCWSTR text);
  std::u16string GetWindowText() const;
  int GetWindowText(LPWSTR buffer, int maxCount) const;
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  BOOL ShowWindow(int command);
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsWindowVisible() const;
  CWnd* SetFocus();
  void Invalidate(BOOL erase = TRUE);
  void UpdateWindow();
  void GetClientRect(RECT* rect) const;
  void GetWindowRect(RECT* rect) const;
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
  BOOL KillTimer(UINT_PTR id);
  DWORD GetStyle() const;
  // Centres a child window in its parent's client area, and any other window over the alternate
  // owner (or the screen when there is none), kept on the screen; each half is rounded down.
  void CenterWindow(CWnd* alternateOwner = nullptr);
  // Removes, then adds style bits; with flags, also calls SetWindowPos to apply them.
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);

  // Offered every message of a bound window before the window's own handling (the modal loops
  // walk from the message's window up to their dialog); true consumes the message.
  virtual BOOL PreTranslateMessage(MSG* msg);

  // The whole message path of a bound window: OnWndMsg, else DefWindowProc.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Dispatches to the handlers below; false when no handler took the message.
  virtual BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // The previous procedure of a subclassed window, else DefWindowProcW.
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // DefWindowProc of the message being handled.
  LRESULT Default();

  // A notification this window sent to its parent, offered back to it first; true (with the
  // answer in *result) means the parent does not see it. The default asks ReflectChildNotify.
  virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL ReflectChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Offers a notification that arrived at this window to the child that sent it.
  static BOOL ReflectLastMsg(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // Handlers; each default passes the message on (Default).
  virtual int OnCreate(CREATESTRUCTW* create);
  virtual void OnDestroy();
  virtual void OnPaint();
  virtual BOOL OnEraseBkgnd(HDC dc);
  // A command (menu, accelerator or a control's notification not taken by the control); true
  // when handled.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual void OnKeyDown(UINT key, UINT repeatCount, UINT flags);
  virtual void OnKeyUp(UINT key, UINT repeatCount, UINT flags);
  virtual void OnChar(UINT character, UINT repeatCount, UINT flags);
  virtual void OnTimer(UINT_PTR id);
  virtual void OnLButtonDown(UINT flags, POINT point);
  virtual void OnLButtonUp(UINT flags, POINT point);
  virtual void OnLButtonDblClk(UINT flags, POINT point);
  virtual void OnMouseMove(UINT flags, POINT point);
  virtual void OnSetFocus(HWND oldFocus);
  virtual void OnKillFocus(HWND newFocus);
  // An owner-draw request of a child the child did not take; lParam is the DRAWITEMSTRUCT.
  virtual void OnDrawItem(int controlId, LPARAM drawItem);
  // A colour request of a child the child did not take (or the window's own, kind CTLCOLOR_DLG).
  virtual HBRUSH OnCtlColor(HDC dc, HWND child, UINT kind);
  virtual void OnHScroll(UINT code, UINT position, HWND scrollBar);
  virtual void OnClose();
  virtual void OnShowWindow(BOOL show, UINT status);
  // Called after the window's last message (WM_NCDESTROY), when the object is already unbound; a
  // heap object that owns itself may delete itself here.
  virtual void PostNcDestroy();

  HWND m_hWnd = nullptr;

  // The z-order places SetWindowPos takes besides a window (HWND_TOP, HWND_TOPMOST, HWND_NOTOPMOST).
  static const CWnd wndTop;
  static const CWnd wndTopMost;
  static const CWnd wndNoTopMost;

 protected:
  WNDPROC m_pfnSuper = nullptr;

 private:
  friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  friend class CDialog;
  // A stand-in for a special window value; never bound, never destroyed.
  explicit CWnd(HWND placement) : m_hWnd(placement), m_temporary(true) {}
  // The message being handled, for Default.
  struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  };
  CurrentMessage m_current;
  // Cleared by the destructor, so a procedure call that outlives the object notices.
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
  bool m_temporary = false;
};

// The framework's window procedure: hands the message to the window's object.
LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

