#include "platform/gwes/dialog_template.h"

#include "platform/kernel/byte_reader.h"

namespace gwes {
namespace {

constexpr DWORD kSetFontStyle = 0x40;  // DS_SETFONT
constexpr WORD kExtendedSignature = 0xFFFF;

using TemplateReader = kernel::ByteReader;

// A menu or class field: 0x0000 alone means none, else an ordinal or a string.
bool ReadOptionalName(TemplateReader& in, std::optional<TemplateName>* name) {
  WORD first = 0;
  if (!in.PeekWord(&first)) return false;
  if (first == 0) {
    in.Word(&first);
    name->reset();
    return true;
  }
  TemplateName value;
  if (!in.Name(&value)) return false;
  *name = std::move(value);
  return true;
}

bool ReadRectangle(TemplateReader& in, short* x, short* y, short* cx, short* cy) {
  return in.Short(x) && in.Short(y) && in.Short(cx) && in.Short(cy);
}

bool ReadItem(TemplateReader& in, bool extended, DialogItemTemplate* item) {
  if (!in.AlignTo4()) return false;
  if (extended) {
    if (!in.Dword(&item->helpId) || !in.Dword(&item->exStyle) || !in.Dword(&item->style)) return false;
    if (!ReadRectangle(in, &item->x, &item->y, &item->cx, &item->cy) || !in.Dword(&item->id)) return false;
  } else {
    WORD id = 0;
    if (!in.Dword(&item->style) || !in.Dword(&item->exStyle)) return false;
    if (!ReadRectangle(in, &item->x, &item->y, &item->cx, &item->cy) || !in.Word(&id)) return false;
    item->id = id;
  }
  // The creation data: a byte count, then that many bytes.
  WORD extra = 0;
  return in.Name(&item->windowClass) && in.Name(&item->title) && in.Word(&extra) &&
         in.Bytes(extra, &item->creationData);
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t> bytes) {
  TemplateReader in(bytes);
  DialogTemplate dialog;
  WORD version = 0, signature = 0, count = 0;
  if (bytes.size() >= 4 && (bytes[2] | (bytes[3] << 8)) == kExtendedSignature && bytes[0] == 1 && bytes[1] == 0) {
    dialog.extended = true;
    if (!in.Word(&version) || !in.Word(&signature) || !in.Dword(&dialog.helpId) || !in.Dword(&dialog.exStyle) ||
        !in.Dword(&dialog.style)) {
      return std::nullopt;
    }
  } else if (!in.Dword(&dialog.style) || !in.Dword(&dialog.exStyle)) {
    return std::nullopt;
  }
  if (!in.Word(&count) || !ReadRectangle(in, &dialog.x, &dialog.y, &dialog.cx, &dialog.cy) ||
      !ReadOptionalName(in, &dialog.menu) || !ReadOptionalName(in, &dialog.windowClass) || !in.String(&dialog.title)) {
    return std::nullopt;
  }
  if (dialog.style & kSetFontStyle) {
    DialogFont font;
    if (!in.Word(&font.pointSize)) return std::nullopt;
    if (dialog.extended) {
      BYTE italic = 0;
      if (!in.Word(&font.weight) || !in.Byte(&italic) || !in.Byte(&font.charset)) return std::nullopt;
      font.italic = italic != 0;
    }
    if (!in.String(&font.face)) return std::nullopt;
    dialog.font = std::move(font);
  }
  // Items are added as they parse, so a count that the bytes cannot hold costs nothing.
  for (WORD i = 0; i < count; ++i) {
    DialogItemTemplate item;
    if (!ReadItem(in, dialog.extended, &item)) return std::nullopt;
    dialog.items.push_back(std::move(item));
  }
  return dialog;
}

std::u16string ControlClassName(const TemplateName& windowClass) {
  if (const auto* name = std::get_if<std::u16string>(&windowClass)) return *name;
  switch (std::get<WORD>(windowClass)) {
    case kButtonClassAtom:
      return u"Button";
    case kEditClassAtom:
      return u"Edit";
    case kStaticClassAtom:
      return u"Static";
    case kListBoxClassAtom:
      return u"ListBox";
    case kScrollBarClassAtom:
      return u"ScrollBar";
    case kComboBoxClassAtom:
      return u"ComboBox";
    default:
      return {};
  }
}

}  // namespace gwes
