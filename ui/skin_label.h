// The skinned label: a static text control that shows its window text in its own colour, weight
// and pixel height with no background of its own. Behind the text it paints the part of the skin
// bitmap that lies under it (the main background, or the part of another bitmap its screen
// sets), so the text seems to float on the screen's picture. Screens bind it to a template static and style it while they
// initialise.
#pragma once

#include <optional>

#include "platform/afx/wnd.h"
#include "platform/gwes/gdi.h"

class CSkinLabel : public CWnd {
 public:
  // The system's window-text colour and a copy of the system font's description.
  CSkinLabel();
  ~CSkinLabel() override;

  // Each setter that changes the look asks for a redraw; the font follows its description.
  void SetColor(COLORREF colour);
  // Weight 700 when true, 400 when false.
  void SetBold(BOOL bold);
  // A character height in pixels (without internal leading), stored as its negative.
  void SetHeight(int pixels);
  void SetText(LPCWSTR text);
  // The background comes from bitmap `bitmapId` with the label's top-left corner at `origin`,
  // instead of the main background at the label's place on the screen; no redraw.
  void SetBackgroundPart(UINT bitmapId, POINT origin);
  // The font the label draws with, made from its description.
  HFONT GetFont() const { return m_hFont; }

  // The label's own colour request, reflected from its parent: its font, its colour, transparent
  // text and a hollow brush, so the static draws only the glyphs.
  BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // Paints the skin bitmap's part under the label.
  BOOL OnEraseBkgnd(HDC dc) override;
  // A tap on a label does nothing: neither handled nor passed on to the static.
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnLButtonDblClk(UINT flags, POINT point) override;

 private:
  void RecreateFont();
  void Redraw();

  COLORREF m_colour;
  LOGFONTW m_logFont{};
  HFONT m_hFont = nullptr;
  UINT m_nBackgroundId;
  std::optional<POINT> m_backgroundOrigin;  // none: the label's place on the screen
};
