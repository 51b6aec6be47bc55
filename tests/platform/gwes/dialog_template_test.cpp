// The compiled program's dialog templates parsed, the extended layout, ordinals and creation data,
// and rejection of every truncated template. The fonts, control classes and layout the program's
// templates give its pages are in the golden images and the page tests.
#include "platform/gwes/dialog_template.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/kernel/resources.h"
#include "res/program_resources.h"

namespace {

using gwes::ParseDialogTemplate;

// The compiled dialog resources by id.
std::map<WORD, std::span<const std::uint8_t>> CompiledDialogs() {
  std::map<WORD, std::span<const std::uint8_t>> dialogs;
  auto entries = kernel::ParseResourceFile(ProgramResourceBytes());
  if (!entries) return dialogs;
  for (const auto& entry : *entries)
    if (entry.type == kernel::ResourceName(WORD{5})) dialogs[std::get<WORD>(entry.name)] = entry.data;
  return dialogs;
}

TEST(DialogTemplateTest, EveryCompiledTemplateIsAPopUpWithPlainControlsAndEveryCutOfItIsRejected) {
  auto compiled = CompiledDialogs();
  EXPECT_EQ(compiled.size(), 9u);
  for (const auto& [id, bytes] : compiled) {
    SCOPED_TRACE(testing::Message() << "dialog " << id);
    auto dialog = ParseDialogTemplate(bytes);
    ASSERT_TRUE(dialog && dialog->font);
    // Pop-up with a set font (WS_POPUP | DS_SETFONT), no caption, menu or class.
    EXPECT_EQ(dialog->style, 0x80000040u);
    EXPECT_FALSE(dialog->menu || dialog->windowClass || dialog->x || dialog->y || !dialog->title.empty());
    for (const auto& item : dialog->items) EXPECT_TRUE(item.creationData.empty() && item.exStyle == 0) << item.id;
    for (std::size_t size = 0; size < bytes.size(); ++size) {
      // An exact copy, so a read past the cut would be a read past the allocation.
      std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_FALSE(ParseDialogTemplate(cut)) << "cut at " << size;
    }
  }
}

// Writes template fields little-endian.
struct TemplateWriter {
  std::vector<std::uint8_t> bytes;
  TemplateWriter& Word(std::uint32_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
  }
  TemplateWriter& Dword(std::uint32_t v) { return Word(v & 0xFFFF).Word(v >> 16); }
  TemplateWriter& Text(std::u16string_view text) {
    for (char16_t c : text) Word(c);
    return Word(0);
  }
  TemplateWriter& Align() {
    while (bytes.size() % 4) bytes.push_back(0);
    return *this;
  }
};

TEST(DialogTemplateTest, ReadsTheExtendedLayoutWithOrdinalsNamesAndCreationData) {
  TemplateWriter w;
  w.Word(1).Word(0xFFFF).Dword(77).Dword(0x8).Dword(0x80C80040).Word(2);  // version, signature, help, ex, style, count
  w.Word(5).Word(6).Word(100).Word(50);
  w.Word(0xFFFF).Word(300);         // menu by ordinal
  w.Text(u"MyDialogClass");         // class by name
  w.Text(u"Caption");
  w.Word(9).Word(700).bytes.push_back(1);  // 9 pt, bold, italic,
  w.bytes.push_back(2);                    // charset
  w.Text(u"Impact");
  // An icon static: class atom, title an ordinal resource id, two bytes of creation data.
  w.Align().Dword(5).Dword(0x20).Dword(0x50000003).Word(1).Word(2).Word(3).Word(4).Dword(70000);
  w.Word(0xFFFF).Word(0x0082).Word(0xFFFF).Word(128).Word(2).Word(0xABCD);
  // A trackbar by class name.
  w.Align().Dword(0).Dword(0).Dword(0x50010000).Word(0xFFFF).Word(0).Word(10).Word(10).Dword(9);
  w.Text(u"msctls_trackbar32").Text(u"").Word(0);

  auto dialog = ParseDialogTemplate(w.bytes);
  ASSERT_TRUE(dialog && dialog->font);
  EXPECT_EQ(std::tie(dialog->extended, dialog->helpId, dialog->exStyle, dialog->style, dialog->cx, dialog->title),
            std::make_tuple(true, 77u, 0x8u, 0x80C80040u, short{100}, std::u16string(u"Caption")));
  EXPECT_EQ(dialog->menu, gwes::TemplateName(WORD{300}));
  EXPECT_EQ(dialog->windowClass, gwes::TemplateName(u"MyDialogClass"));
  const gwes::DialogFont& font = *dialog->font;
  EXPECT_EQ(std::tie(font.pointSize, font.weight, font.italic, font.charset, font.face),
            std::make_tuple(9, 700, true, 2, std::u16string(u"Impact")));
  ASSERT_EQ(dialog->items.size(), 2u);
  const auto& icon = dialog->items[0];
  // Extended ids are DWORDs.
  EXPECT_EQ(std::tie(icon.helpId, icon.exStyle, icon.style, icon.id), std::make_tuple(5u, 0x20u, 0x50000003u, 70000u));
  EXPECT_EQ(gwes::ControlClassName(icon.windowClass), u"Static");
  EXPECT_EQ(icon.title, gwes::TemplateName(WORD{128}));
  EXPECT_EQ(icon.creationData, (std::vector<std::uint8_t>{0xCD, 0xAB}));
  const auto& slider = dialog->items[1];
  EXPECT_EQ(slider.x, -1);
  EXPECT_EQ(gwes::ControlClassName(slider.windowClass), u"msctls_trackbar32");
  EXPECT_EQ(slider.title, gwes::TemplateName(u""));

  // Without DS_SETFONT there is no font; an unknown atom has no class name; a count larger than
  // the items present fails.
  TemplateWriter plain;
  plain.Dword(0x80000000).Dword(0).Word(1).Word(0).Word(0).Word(10).Word(10).Word(0).Word(0).Text(u"");
  plain.Align().Dword(0x50000000).Dword(0).Word(0).Word(0).Word(5).Word(5).Word(7);
  plain.Word(0xFFFF).Word(0x0099).Text(u"x").Word(0);
  auto noFont = ParseDialogTemplate(plain.bytes);
  ASSERT_TRUE(noFont);
  EXPECT_FALSE(noFont->extended || noFont->font);
  EXPECT_EQ(noFont->items.at(0).id, 7u);
  EXPECT_EQ(gwes::ControlClassName(noFont->items[0].windowClass), u"");
  plain.bytes[8] = 2;
  EXPECT_FALSE(ParseDialogTemplate(plain.bytes));
}

}  // namespace
