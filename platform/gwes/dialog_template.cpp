#include "platform/gwes/dialog_template.h"

namespace gwes {
namespace {

constexpr DWORD kSetFontStyle = 0x40;  // DS_SETFONT
constexpr WORD kExtendedSignature = 0xFFFF;

// Little-endian reads over the template bytes; each read fails instead of passing the end.
class TemplateReader {
 public:
  explicit TemplateReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  bool Byte(BYTE* value) {
    if (m_offset >= m_bytes.size()) return false;
    *value = m_bytes[m_offset++];
    return true;
  }
  bool Word(WORD* value) {
    if (m_bytes.size() - m_offset < 2) return false;
    *value = static_cast<WORD>(m_bytes[m_offset] | (m_bytes[m_offset + 1] << 8));
    m_offset += 2;
    return true;
  }
  bool Short(short* value) {
    WORD word = 0;
    if (!Word(&word)) return false;
    *value = static_cast<short>(word);
    return true;
  }
  bool Dword(DWORD* value) {
    WORD low = 0, high = 0;
    if (!Word(&low) || !Word(&high)) return false;
    *value = low | (DWORD{high} << 16);
    return true;
  }
  bool String(std::u16string* text) {
    text->clear();
    for (;;) {
      WORD c = 0;
      if (!Word(&c)) return false;
      if (c == 0) return true;
      text->push_back(static_cast<char16_t>(c));
    }
  }
  // An ordinal (0xFFFF and a WORD) or a string.
  bool Name(TemplateName* name) {
    WORD first = 0;
    if (m_bytes.size() - m_offset >= 2 && (m_bytes[m_offset] | (m_bytes[m_offset + 1] << 8)) == 0xFFFF) {
      m_offset += 2;
      if (!Word(&first)) return false;
      *name = first;
      return true;
    }
    std::u16string text;
    if (!String(&text)) return false;
    *name = std::move(text);
    return true;
  }
  // A menu or class field: 0x0000 alone means none.
  bool OptionalName(std::optional<TemplateName>* name) {
    if (m_bytes.size() - m_offset >= 2 && m_bytes[m_offset] == 0 && m_bytes[m_offset + 1] == 0) {
      m_offset += 2;
      name->reset();
      return true;
    }
    TemplateName value;
    if (!Name(&value)) return false;
    *name = std::move(value);
    return true;
  }
  bool Bytes(std::size_t count, std::vector<std::uint8_t>* out) {
    if (m_bytes.size() - m_offset < count) return false;
    out->assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_offset),
                m_bytes.begin() + static_cast<std::ptrdiff_t>(m_offset + count));
    m_offset += count;
    return true;
  }
  // Items start on 4-byte boundaries from the start of the template.
  bool AlignTo4() {
    std::size_t aligned = (m_offset + 3) & ~std::size_t{3};
    if (aligned > m_bytes.size()) return false;
    m_offset = aligned;
    return true;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_offset = 0;
};

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
      !in.OptionalName(&dialog.menu) || !in.OptionalName(&dialog.windowClass) || !in.String(&dialog.title)) {
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
