// The bitmap push button of every screen. It draws none of the platform's button look: each draw
// copies one of three faces (focus, pressed or normal) opaquely at (0, 0), and a double tap counts
// as one more click. A screen binds it to a template button (the binding makes the button
// owner-drawn), writes the three face ids and moves it into place while it initialises; the faces
// are read at the first visible draw and kept until the window is destroyed.
#pragma once

#include "platform/afx/wnd.h"
#include "platform/gwes/controls/button.h"
#include "ui/skin_bitmap.h"

class CSkinButton : public CWnd {
 public:
  // The face id that names no bitmap (all bits set).
  static constexpr UINT kNoFace = 0xFFFFFFFFu;

  CSkinButton() = default;
  ~CSkinButton() override;

  // Binding ORs the owner-drawn type into the button's style before the button's messages are
  // taken, so that the platform asks the button to draw itself from then on.
  void PreSubclassWindow() override;

  // Draws the face for the item's state; the owner-draw request reflected from the parent.
  virtual void DrawItem(const DRAWITEMSTRUCT* item);

  // Takes the owner-draw request the button sent its parent; other notifications go on.
  BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // A double tap is one more click for the parent, not the platform's double-click note.
  void OnLButtonDblClk(UINT flags, POINT point) override;
  // Gives back the memory surface and the faces once the window is gone.
  void OnDestroy() override;

  // Face ids, written by the screen before the first draw; only the low 16 bits count.
  UINT m_nNormalId = kNoFace;
  UINT m_nFocusId = kNoFace;
  UINT m_nPressedId = kNoFace;

 private:
  // Creates the memory surface and loads the faces; false when there is nothing to draw with.
  bool Prepare(HDC target);
  // Puts the surface's own bitmap back, deletes the surface, then releases the faces.
  void Release();

  // Holds the normal face between draws; created at the first visible draw.
  HDC m_hMemoryDC = nullptr;
  // What the memory surface held before the normal face; non-null only while it holds that face.
  HGDIOBJ m_hOldBitmap = nullptr;
  CSkinBitmap m_focusFace;
  CSkinBitmap m_pressedFace;
  CSkinBitmap m_normalFace;
  // (0, 0) to the normal face's size; every draw copies this much.
  RECT m_rcDraw{};
};
