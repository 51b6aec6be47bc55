#include "ui/skin_button.h"

#include "platform/gwes/dialog/dialog.h"
#include "platform/gwes/gdi.h"

namespace {

// Face ids are 16-bit resource ids; the high bits of the member are not part of the name.
UINT FaceResourceId(UINT id) { return id & 0xFFFFu; }

}  // namespace

CSkinButton::~CSkinButton() { Release(); }

void CSkinButton::PreSubclassWindow() {
  auto style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(style | BS_OWNERDRAW));
}

BOOL CSkinButton::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg != WM_DRAWITEM) return CWnd::OnChildNotify(msg, wParam, lParam, result);
  DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  *result = TRUE;
  return TRUE;
}

void CSkinButton::DrawItem(const DRAWITEMSTRUCT* item) {
  if (item == nullptr || !IsWindowVisible()) return;
  // The surface is made once; a window whose normal face failed keeps it and draws nothing.
  if (m_hMemoryDC == nullptr && !Prepare(item->hDC)) return;
  if (m_hOldBitmap == nullptr) return;

  // Focus wins over pressed, so a tapped button that keeps the focus shows its focus face while
  // held and after release. The disabled flag is not looked at.
  const CSkinBitmap* face = nullptr;
  if (item->itemState & ODS_FOCUS)
    face = &m_focusFace;
  else if (item->itemState & ODS_SELECTED)
    face = &m_pressedFace;

  // The normal face stays selected between draws; another face is selected for this copy only.
  // A face that failed to load leaves the normal face in place.
  HGDIOBJ normal = nullptr;
  if (face != nullptr && face->GetSafeHandle() != nullptr) normal = SelectObject(m_hMemoryDC, *face);
  BitBlt(item->hDC, 0, 0, m_rcDraw.right - m_rcDraw.left, m_rcDraw.bottom - m_rcDraw.top, m_hMemoryDC, 0, 0,
         SRCCOPY);
  if (normal != nullptr) SelectObject(m_hMemoryDC, normal);
}

bool CSkinButton::Prepare(HDC target) {
  if (target == nullptr) return false;
  m_hMemoryDC = CreateCompatibleDC(target);
  if (m_hMemoryDC == nullptr) return false;
  if (!LoadSkinBitmap(m_normalFace, FaceResourceId(m_nNormalId))) return false;
  BITMAP info{};
  GetObjectW(m_normalFace, sizeof info, &info);
  m_rcDraw = RECT{0, 0, info.bmWidth, info.bmHeight};
  m_hOldBitmap = SelectObject(m_hMemoryDC, m_normalFace);
  if (m_hOldBitmap == nullptr) return false;
  // A missing pressed or focus face is no failure: that state shows the normal face.
  LoadSkinBitmap(m_pressedFace, FaceResourceId(m_nPressedId));
  LoadSkinBitmap(m_focusFace, FaceResourceId(m_nFocusId));
  return true;
}

void CSkinButton::Release() {
  if (m_hMemoryDC != nullptr) {
    if (m_hOldBitmap != nullptr) SelectObject(m_hMemoryDC, m_hOldBitmap);
    DeleteDC(m_hMemoryDC);
  }
  m_hMemoryDC = nullptr;
  m_hOldBitmap = nullptr;
  m_normalFace.DeleteObject();
  m_focusFace.DeleteObject();
  m_pressedFace.DeleteObject();
  m_rcDraw = RECT{};
}

void CSkinButton::OnLButtonDblClk(UINT, POINT) {
  // Sent at once, as the click of the second tap would be; the platform never sees the double
  // click, so the button is not pressed again and sends no double-click note.
  HWND parent = ::GetParent(m_hWnd);
  if (parent == nullptr) return;
  ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(m_hWnd));
}

void CSkinButton::OnDestroy() {
  CWnd::OnDestroy();
  Release();
}
