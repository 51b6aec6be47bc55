// Modal dialogs: the nested message loop, EndDialog, and the standard message box.
#include <mutex>
#include <vector>

#include "platform/gwes/dialog/dialog_internal.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/surface.h"
#include "platform/kernel/last_error.h"

namespace gwes {
namespace {

std::mutex g_fallbackLock;
std::function<HWND()> g_fallback;

HWND FallbackOwner() {
  std::function<HWND()> fallback;
  {
    std::lock_guard guard(g_fallbackLock);
    fallback = g_fallback;
  }
  return fallback ? fallback() : nullptr;
}

// The top-level window a window belongs to.
HWND TopLevelOf(HWND hwnd) {
  while (hwnd && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) hwnd = GetParent(hwnd);
  return hwnd;
}

void EnableAgain(HWND dialog) {
  HWND owner = nullptr;
  dialog::WithInfo(dialog, [&](dialog::DialogInfo& info) {
    owner = info.disabledOwner;
    info.disabledOwner = nullptr;
  });
  if (owner && IsWindow(owner)) EnableWindow(owner, TRUE);
}

INT_PTR RunModal(HWND dialog, HWND owner) {
  // Without an owner the application's main window is the one the dialog keeps from input.
  HWND disable = owner ? TopLevelOf(owner) : FallbackOwner();
  if (disable == dialog || (disable && !IsWindow(disable))) disable = nullptr;
  bool disabledHere = disable && IsWindowEnabled(disable);
  bool ended = false;
  dialog::WithInfo(dialog, [&](dialog::DialogInfo& info) {
    info.modal = true;
    info.disabledOwner = disabledHere ? disable : nullptr;
    ended = info.ended;
  });
  if (disabledHere) {
    // Disabling takes the focus away; a dialog owner remembers where it was for its return.
    HWND focus = GetFocus();
    if (focus && IsChild(disable, focus))
      dialog::WithInfo(disable, [&](dialog::DialogInfo& info) { info.savedFocus = focus; });
    EnableWindow(disable, FALSE);
  }
  if (!ended && IsWindow(dialog)) ShowWindow(dialog, SW_SHOWNORMAL);

  while (IsWindow(dialog)) {
    dialog::WithInfo(dialog, [&](dialog::DialogInfo& info) { ended = info.ended; });
    if (ended) break;
    if (!PumpModalMessage(dialog)) break;
  }

  INT_PTR result = -1;
  if (IsWindow(dialog)) {
    dialog::WithInfo(dialog, [&](dialog::DialogInfo& info) {
      if (info.ended) result = info.result;
    });
    EnableAgain(dialog);
    DestroyWindow(dialog);
  } else if (disabledHere && IsWindow(disable)) {
    EnableWindow(disable, TRUE);
  }
  if (disable && IsWindow(disable) && IsWindowVisible(disable) && IsWindowEnabled(disable) &&
      GetActiveWindow() != disable) {
    SetActiveWindow(disable);
  }
  return result;
}

}  // namespace

bool PumpModalMessage(HWND dialog) {
  MSG msg;
  BOOL got = GetMessageW(&msg, nullptr, 0, 0);
  if (got == 0) {
    PostQuitMessage(static_cast<int>(msg.wParam));  // the enclosing loop ends too
    return false;
  }
  if (got < 0) return false;
  if (dialog == nullptr || !IsDialogMessageW(dialog, &msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void SetModalOwnerFallback(std::function<HWND()> fallback) {
  std::lock_guard guard(g_fallbackLock);
  g_fallback = std::move(fallback);
}

}  // namespace gwes

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const void* dialogTemplate, HWND owner, DLGPROC proc,
                                LPARAM param) {
  HWND dialog = CreateDialogIndirectParamW(instance, dialogTemplate, owner, proc, param);
  return dialog ? gwes::RunModal(dialog, owner) : -1;
}

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
  HWND dialog = CreateDialogParamW(instance, templateName, owner, proc, param);
  return dialog ? gwes::RunModal(dialog, owner) : -1;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  bool modal = false;
  if (!gwes::dialog::WithInfo(dialog, [&](gwes::dialog::DialogInfo& info) {
        info.ended = true;
        info.result = result;
        modal = info.modal;
      })) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // The owner is enabled before the dialog hides, so the activation falls back to it.
  if (modal) gwes::EnableAgain(dialog);
  ShowWindow(dialog, SW_HIDE);
  PostMessageW(dialog, WM_NULL, 0, 0);  // wakes the loop when the end comes from outside it
  return TRUE;
}

namespace {

constexpr int kBoxMargin = 8;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 22;
constexpr WORD kTextId = 0xFFFF;

// Lays the box out around its text and centres it on the screen.
void LayOutMessageBox(HWND box) {
  HWND text = GetDlgItem(box, kTextId);
  HWND button = GetDlgItem(box, IDOK);
  RECT textRect{0, 0, gwes::kScreenWidth - 4 * kBoxMargin, 0};
  WCHAR buffer[1024] = {};
  GetWindowTextW(text, buffer, 1024);
  HDC dc = GetDC(box);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  DrawTextW(dc, buffer, -1, &textRect, DT_CALCRECT | DT_WORDBREAK);
  SelectObject(dc, previous);
  ReleaseDC(box, dc);
  int width = std::max<int>(textRect.right, kButtonWidth) + 2 * kBoxMargin;
  int height = textRect.bottom + kButtonHeight + 3 * kBoxMargin;
  MoveWindow(text, kBoxMargin, kBoxMargin, width - 2 * kBoxMargin, textRect.bottom, FALSE);
  MoveWindow(button, (width - kButtonWidth) / 2, height - kBoxMargin - kButtonHeight, kButtonWidth, kButtonHeight,
             FALSE);
  MoveWindow(box, (gwes::kScreenWidth - width) / 2, (gwes::kScreenHeight - height) / 2, width, height, FALSE);
}

INT_PTR MessageBoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      LayOutMessageBox(box);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(box, IDOK);  // Escape also answers OK
      return TRUE;
    default:
      return FALSE;
  }
}

// A DLGTEMPLATE in memory, built a WORD at a time.
class TemplateWriter {
 public:
  void Word(WORD value) { m_words.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void String(const std::u16string& text) {
    for (char16_t ch : text) Word(ch);
    Word(0);
  }
  void Align() {
    if (m_words.size() % 2) Word(0);
  }
  void Item(DWORD style, WORD id, WORD classAtom, const std::u16string& text) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    for (int i = 0; i < 4; ++i) Word(0);  // laid out at WM_INITDIALOG
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    String(text);
    Word(0);
  }
  const void* Data() const { return m_words.data(); }

 private:
  std::vector<WORD> m_words;
};

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT) {
  TemplateWriter tmpl;
  tmpl.Dword(WS_POPUP | WS_VISIBLE | WS_BORDER | DS_SETFONT | DS_MODALFRAME);
  tmpl.Dword(WS_EX_TOPMOST);
  tmpl.Word(2);
  for (int i = 0; i < 4; ++i) tmpl.Word(0);
  tmpl.Word(0);  // no menu
  tmpl.Word(0);  // the dialog class
  tmpl.String(caption ? std::u16string(caption) : u"Error");
  tmpl.Word(10);
  tmpl.String(u"System");
  tmpl.Item(0x0001 /* centred static text */, kTextId, gwes::kStaticClassAtom, text ? text : u"");
  tmpl.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, gwes::kButtonClassAtom, u"OK");
  INT_PTR result = DialogBoxIndirectParamW(nullptr, tmpl.Data(), owner, MessageBoxProc, 0);
  return result == IDOK ? IDOK : 0;
}
