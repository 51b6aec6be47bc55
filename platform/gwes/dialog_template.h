// Dialog templates: the DLGTEMPLATE and DLGTEMPLATEEX layouts of a dialog resource, parsed into
// plain values. Parsing is pure and checks every field against the end of the bytes; creating the
// dialog and its controls from the result is the dialog manager's separate step.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/kernel/win32_types.h"

namespace gwes {

// A name field of a template: an ordinal (stored as 0xFFFF and a WORD) or a string.
using TemplateName = std::variant<WORD, std::u16string>;

// Class atoms of the predefined control classes, as templates store them.
constexpr WORD kButtonClassAtom = 0x0080;
constexpr WORD kEditClassAtom = 0x0081;
constexpr WORD kStaticClassAtom = 0x0082;
constexpr WORD kListBoxClassAtom = 0x0083;
constexpr WORD kScrollBarClassAtom = 0x0084;
constexpr WORD kComboBoxClassAtom = 0x0085;

struct DialogItemTemplate {
  DWORD helpId = 0;  // extended templates only
  DWORD style = 0;
  DWORD exStyle = 0;
  // Dialog units, relative to the dialog's client area.
  short x = 0;
  short y = 0;
  short cx = 0;
  short cy = 0;
  DWORD id = 0;  // a WORD in the standard layout, a DWORD in the extended one
  TemplateName windowClass;
  TemplateName title;  // a string, or an ordinal (a resource id, as for icon statics)
  std::vector<std::uint8_t> creationData;  // handed to the control at creation; usually empty
};

struct DialogFont {
  WORD pointSize = 0;
  WORD weight = 0;  // 0 (don't care) in the standard layout, which carries no weight
  bool italic = false;
  BYTE charset = 0;
  std::u16string face;
};

struct DialogTemplate {
  bool extended = false;  // DLGTEMPLATEEX
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0;
  short y = 0;
  short cx = 0;
  short cy = 0;
  std::optional<TemplateName> menu;         // none when the template names no menu
  std::optional<TemplateName> windowClass;  // none: the standard dialog class
  std::u16string title;
  std::optional<DialogFont> font;  // present exactly when the style holds DS_SETFONT (0x40)
  std::vector<DialogItemTemplate> items;  // in template order, which is the tab order
};

// Parses a dialog resource in either layout; nullopt when any field runs past the end.
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t> bytes);

// The class name of a template item: "Button", "Edit", "Static", "ListBox", "ScrollBar" or
// "ComboBox" for the predefined atoms, the string itself otherwise; empty for an unknown atom.
std::u16string ControlClassName(const TemplateName& windowClass);

}  // namespace gwes
