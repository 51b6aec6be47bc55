// Dialogs from templates: the dialog class, the dialog's font and base units, the controls, and
// WM_INITDIALOG with the default focus.
#include <cstring>
#include <map>
#include <mutex>

#include "platform/gwes/dialog/dialog_internal.h"
#include "platform/gwes/dialog_template.h"
#include "platform/gwes/focus.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/resources.h"

namespace gwes::dialog {
namespace {

// The device's screen is 96 dots per inch: template point sizes become pixel heights at this rate.
constexpr int kScreenDpi = 96;
constexpr char16_t kAlphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::mutex g_infoLock;
std::map<HWND, DialogInfo> g_infos;

int MulDivRound(int value, int numerator, int denominator) {
  long long product = static_cast<long long>(value) * numerator;
  long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// Average character width (the alphabet's width / 52, rounded) and character height of a font.
void MeasureFont(HFONT font, int& baseX, int& baseY) {
  baseX = 4;
  baseY = 8;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return;
  HGDIOBJ previous = SelectObject(dc, font);
  SIZE extent{};
  TEXTMETRICW metrics{};
  if (GetTextExtentPoint32W(dc, kAlphabet, 52, &extent) && extent.cx > 0) baseX = (extent.cx + 26) / 52;
  if (GetTextMetricsW(dc, &metrics) && metrics.tmHeight > 0) baseY = metrics.tmHeight;
  if (previous) SelectObject(dc, previous);
  DeleteDC(dc);
}

HFONT CreateTemplateFont(const DialogFont& description) {
  LOGFONTW font{};
  font.lfHeight = -MulDivRound(description.pointSize, kScreenDpi, 72);
  font.lfWeight = description.weight ? description.weight : 400;
  font.lfItalic = description.italic ? 1 : 0;
  font.lfCharSet = description.charset;
  std::size_t count = std::min<std::size_t>(description.face.size(), LF_FACESIZE - 1);
  std::copy_n(description.face.data(), count, font.lfFaceName);
  return CreateFontIndirectW(&font);
}

LPCWSTR NameOrOrdinal(const TemplateName& name) {
  if (const auto* ordinal = std::get_if<WORD>(&name)) return MAKEINTRESOURCEW(*ordinal);
  return std::get<std::u16string>(name).c_str();
}

// Creates the template's controls; false when one of them cannot be created. A BS_DEFPUSHBUTTON
// becomes the dialog's default id; of two, the later one wins and the earlier looks plain again.
bool CreateControls(HWND dialog, const DialogTemplate& tmpl, HINSTANCE instance, HFONT font) {
  HWND defaultButton = nullptr;
  for (const DialogItemTemplate& item : tmpl.items) {
    std::u16string className = ControlClassName(item.windowClass);
    RECT rect{item.x, item.y, item.x + item.cx, item.y + item.cy};
    MapDialogRect(dialog, &rect);
    LPCWSTR text = NameOrOrdinal(item.title);
    std::u16string ordinalText;
    if (IS_INTRESOURCE(text)) text = ordinalText.c_str();  // an icon or bitmap id: no text here
    LPVOID creationData = item.creationData.empty() ? nullptr : const_cast<std::uint8_t*>(item.creationData.data());
    HWND control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, className.c_str(), text,
                                   (item.style | WS_CHILD) & ~WS_POPUP, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(item.id)), instance, creationData);
    if (!control) return false;
    if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (IsWindow(control) && (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
      if (defaultButton && IsWindow(defaultButton)) SendMessageW(defaultButton, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
      defaultButton = control;
      WithInfo(dialog, [&](DialogInfo& info) { info.defId = item.id; });
    }
  }
  return true;
}

// The length of a template given only by its address: the fields are walked the way the parser
// reads them. As with Win32, the caller vouches for the memory; resources go through the bounded
// parse directly.
std::size_t TemplateLength(const void* dialogTemplate) {
  const auto* bytes = static_cast<const std::uint8_t*>(dialogTemplate);
  std::size_t offset = 0;
  auto word = [&] {
    WORD value = static_cast<WORD>(bytes[offset] | (bytes[offset + 1] << 8));
    offset += 2;
    return value;
  };
  auto skipString = [&] {
    while (word() != 0) {
    }
  };
  auto skipName = [&] {
    if ((bytes[offset] | (bytes[offset + 1] << 8)) == 0xFFFF) offset += 4;
    else skipString();
  };
  bool extended = bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF;
  offset = extended ? 12 : 0;
  DWORD style = bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) | (DWORD{bytes[offset + 3]} << 24);
  offset = extended ? 16 : 8;
  WORD count = word();
  offset += 8;
  skipName();  // menu
  skipName();  // class
  skipString();  // title
  if (style & DS_SETFONT) {
    offset += extended ? 6 : 2;
    skipString();
  }
  for (WORD i = 0; i < count; ++i) {
    offset = (offset + 3) & ~std::size_t{3};
    offset += extended ? 24 : 18;
    skipName();
    skipName();
    offset += word();
  }
  return offset;
}

HWND CreateFromTemplate(const DialogTemplate& tmpl, HINSTANCE instance, HWND owner, DLGPROC proc, LPARAM param) {
  EnsureDialogClass();
  DialogInfo info;
  if (tmpl.font) {
    info.font = CreateTemplateFont(*tmpl.font);
    info.ownsFont = info.font != nullptr;
  }
  if (!info.font) info.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  MeasureFont(info.font, info.baseX, info.baseY);

  std::u16string className = tmpl.windowClass ? ControlClassName(*tmpl.windowClass) : kDialogClassName;
  if (className.empty()) className = kDialogClassName;
  RECT rect{tmpl.x, tmpl.y, tmpl.x + tmpl.cx, tmpl.y + tmpl.cy};
  rect = {MulDivRound(rect.left, info.baseX, 4), MulDivRound(rect.top, info.baseY, 8),
          MulDivRound(rect.right, info.baseX, 4), MulDivRound(rect.bottom, info.baseY, 8)};
  if (owner) {  // a dialog's position is relative to its owner's top-left corner
    RECT ownerRect{};
    if (GetWindowRect(owner, &ownerRect)) OffsetRect(&rect, ownerRect.left, ownerRect.top);
  }
  DWORD style = tmpl.style & ~(WS_CHILD | WS_VISIBLE);
  HWND dialog = CreateWindowExW(tmpl.exStyle, className.c_str(), tmpl.title.c_str(), style | WS_POPUP, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, instance,
                                nullptr);
  if (!dialog) {
    if (info.ownsFont) DeleteObject(info.font);
    return nullptr;
  }
  AddInfo(dialog, info);
  SetWindowLongW(dialog, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (!CreateControls(dialog, tmpl, instance, info.font)) {
    DWORD error = GetLastError();
    DestroyWindow(dialog);
    SetLastError(error);
    return nullptr;
  }
  // The dialog is still hidden during WM_INITDIALOG (nothing of it is drawn before the procedure
  // has set it up); it is shown afterwards, at once or by the modal loop.
  HWND first = FirstFocusable(dialog);
  if (SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(dialog)) {
    first = FirstFocusable(dialog);
    if (first) SetDialogFocus(dialog, first);
  }
  if (IsWindow(dialog)) {
    HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus)) WithInfo(dialog, [&](DialogInfo& state) { state.savedFocus = focus; });
  }
  if (IsWindow(dialog) && (tmpl.style & WS_VISIBLE)) ShowWindow(dialog, SW_SHOWNORMAL);
  return IsWindow(dialog) ? dialog : nullptr;
}

}  // namespace

std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE instance, LPCWSTR templateName) {
  HRSRC resource = FindResourceW(instance, templateName, RT_DIALOG);
  if (!resource) return std::nullopt;
  HGLOBAL data = LoadResource(instance, resource);
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) return std::nullopt;
  auto parsed = ParseDialogTemplate({static_cast<const std::uint8_t*>(bytes), SizeofResource(instance, resource)});
  if (!parsed) SetLastError(ERROR_INVALID_PARAMETER);
  return parsed;
}

bool WithInfo(HWND dialog, const std::function<void(DialogInfo&)>& use) {
  DialogInfo copy;
  {
    std::lock_guard guard(g_infoLock);
    auto found = g_infos.find(dialog);
    if (found == g_infos.end()) return false;
    copy = found->second;
  }
  use(copy);  // outside the lock: the caller may send messages
  std::lock_guard guard(g_infoLock);
  auto found = g_infos.find(dialog);
  if (found != g_infos.end()) found->second = copy;
  return true;
}

void AddInfo(HWND dialog, const DialogInfo& info) {
  std::lock_guard guard(g_infoLock);
  g_infos[dialog] = info;
}

void RemoveInfo(HWND dialog) {
  DialogInfo info;
  {
    std::lock_guard guard(g_infoLock);
    auto found = g_infos.find(dialog);
    if (found == g_infos.end()) return;
    info = found->second;
    g_infos.erase(found);
  }
  if (info.ownsFont) DeleteObject(info.font);
}

void EnsureDialogClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.lpszClassName = kDialogClassName;
    RegisterClassW(&wc);
  });
}

HWND FirstFocusable(HWND dialog) {
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (first) return first;
  for (HWND child : gwes::ChildWindowList(dialog))
    if (IsWindowVisible(child) && IsWindowEnabled(child)) return child;
  return nullptr;
}

}  // namespace gwes::dialog

using namespace gwes::dialog;

HWND CreateDialogIndirectParamW(HINSTANCE instance, const void* dialogTemplate, HWND owner, DLGPROC proc,
                                LPARAM param) {
  if (!dialogTemplate) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(dialogTemplate);
  auto parsed = gwes::ParseDialogTemplate({bytes, TemplateLength(dialogTemplate)});
  if (!parsed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateFromTemplate(*parsed, instance, owner, proc, param);
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
  auto parsed = LoadDialogTemplate(instance, templateName);
  if (!parsed) return nullptr;
  return CreateFromTemplate(*parsed, instance, owner, proc, param);
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int baseX = 0, baseY = 0;
  if (!WithInfo(dialog, [&](DialogInfo& info) {
        baseX = info.baseX;
        baseY = info.baseY;
      })) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  rect->left = MulDivRound(rect->left, baseX, 4);
  rect->right = MulDivRound(rect->right, baseX, 4);
  rect->top = MulDivRound(rect->top, baseY, 8);
  rect->bottom = MulDivRound(rect->bottom, baseY, 8);
  return TRUE;
}

LONG GetDialogBaseUnits() {
  static const LONG units = [] {
    int baseX = 0, baseY = 0;
    MeasureFont(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), baseX, baseY);
    return static_cast<LONG>(MAKELPARAM(static_cast<WORD>(baseX), static_cast<WORD>(baseY)));
  }();
  return units;
}
