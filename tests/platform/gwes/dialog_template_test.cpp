// Every dialog template of the compiled program resources, parsed and compared with its table:
// header (style, extended style, size in dialog units, font) and every control in tab order (id,
// class, style, rectangle, text). Also the extended layout, ordinals and creation data, and
// rejection of every truncated template.
#include "platform/gwes/dialog_template.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/kernel/resources.h"
#include "platform/kernel/wide_string.h"
#include "res/program_resources.h"

namespace {

using gwes::DialogTemplate;
using gwes::ParseDialogTemplate;

struct DialogRect {
  short x, y, cx, cy;
};

struct ExpectedItem {
  DWORD id;
  const char16_t* className;
  DWORD style;
  DialogRect rect;
  const char16_t* text;
};

struct ExpectedDialog {
  WORD id;
  short cx, cy;
  WORD pointSize;
  const char16_t* face;
  DWORD exStyle;
  std::vector<ExpectedItem> items;
};

// Menu buttons: child, visible, tab stop, focus notification (BS_NOTIFY). Titles and message
// text: child, visible, group, vertically centred (SS_CENTERIMAGE).
constexpr DWORD kMenuButton = 0x50014000;
constexpr DWORD kCentredStatic = 0x50020200;

const std::vector<ExpectedDialog>& ExpectedDialogs() {
  static const std::vector<ExpectedDialog> dialogs = {
    {102, 206, 116, 8, u"System", 0x80040000, {
      {1040, u"Button", kMenuButton, {3, 22, 50, 14}, u"Button1"},
      {1063, u"Button", kMenuButton, {56, 21, 50, 14}, u"Button6"},
      {1042, u"Button", kMenuButton, {108, 21, 50, 14}, u"Button3"},
      {1041, u"Button", kMenuButton, {154, 21, 50, 14}, u"Button2"},
      {1043, u"Button", kMenuButton, {4, 63, 50, 14}, u"Button4"},
      {1064, u"Button", kMenuButton, {56, 63, 50, 14}, u"Button7"},
      {1044, u"Button", kMenuButton, {109, 63, 50, 14}, u"Button5"},
      {1058, u"Static", kCentredStatic, {41, 9, 129, 8}, u"title"},
    }},
    {129, 205, 123, 10, u"System", 0, {
      {1005, u"msctls_trackbar32", 0x50030019, {37, 39, 123, 20}, u"Slider1"},
      {1070, u"Button", 0x5001000B, {0, 42, 33, 14}, u"Left"},
      {1071, u"Button", 0x5001000B, {165, 41, 29, 14}, u"Right"},
      {1, u"Button", 0x5003000B, {38, 104, 50, 14}, u"OK"},
      {2, u"Button", 0x5003000B, {103, 104, 50, 14}, u"Cancel"},
      {1038, u"Static", 0x50020200, {7, 2, 131, 14}, u"Static"},
      {1002, u"Static", 0x40020000, {7, 25, 106, 8}, u"Brightness Adjustment"},
      {1010, u"ComboBox", 0x40210003, {114, 72, 50, 50}, u""},
      {1019, u"Static", 0x40020000, {7, 70, 102, 17}, u"Turn backlight off when device is not use for"},
      {1046, u"msctls_trackbar32", 0x48010005, {25, 82, 143, 15}, u"Slider1"},
      {1059, u"Static", 0x40020200, {143, 26, 39, 8}, u"Static"},
      {1060, u"Static", 0x40020200, {159, 55, 19, 8}, u"Static"},
    }},
    {130, 204, 122, 13, u"Impact", 0, {
      {1083, u"Edit", 0x50810185, {118, 82, 50, 12}, u""},
      {1014, u"ComboBox", 0x40010503, {118, 68, 50, 50}, u""},
      {1012, u"Button", 0x40012503, {0, 59, 96, 16}, u"Turn off device if not used"},
      {1001, u"Static", 0x50020000, {8, 25, 127, 8}, u"Battery Power remainning"},
      {1011, u"msctls_progress32", 0x50000001, {15, 49, 129, 8}, u"Progress1"},
      {1017, u"Static", 0x40020002, {0, 48, 10, 8}, u"0"},
      {1016, u"Static", 0x40020001, {145, 48, 15, 8}, u"100"},
      {1002, u"Static", 0x40020000, {0, 7, 52, 8}, u"Main Battery:"},
      {1018, u"Static", 0x40020000, {66, 7, 53, 8}, u"LiIon"},
      {1037, u"Static", 0x50020000, {9, 1, 128, 13}, u"Power"},
      {1, u"Button", 0x5001000B, {30, 95, 50, 14}, u"OK"},
      {1062, u"Static", 0x50020000, {45, 76, 47, 8}, u"Static"},
      {2, u"Button", 0x5001000B, {101, 96, 50, 14}, u"Cancel"},
      {1082, u"Button", 0x48010000, {133, 37, 50, 14}, u"Button1"},
      {1070, u"Button", 0x5001000B, {92, 67, 24, 14}, u"Left"},
      {1071, u"Button", 0x5001000B, {171, 67, 21, 14}, u"Right"},
    }},
    {131, 187, 94, 12, u"System", 0, {
      {1028, u"Static", 0x50020000, {0, 2, 114, 12}, u"Date && Time"},
      {1030, u"Static", 0x50020200, {0, 48, 24, 8}, u"Date:"},
      {1105, u"Edit", 0x50810100, {29, 47, 30, 14}, u""},
      {1101, u"Button", 0x50010000, {134, 47, 27, 14}, u"Date"},
      {1029, u"Static", 0x50020200, {0, 33, 23, 8}, u"Time:"},
      {1004, u"SysDateTimePick32", 0x50010009, {59, 31, 72, 12}, u""},
      {1102, u"Button", 0x50010000, {140, 30, 17, 14}, u"Up"},
      {1103, u"Button", 0x50010000, {159, 30, 23, 14}, u"Down"},
      {1031, u"Static", 0x50020200, {0, 65, 49, 8}, u"Time zone:"},
      {1033, u"ComboBox", 0x40210003, {59, 65, 33, 46}, u""},
      {1083, u"Edit", 0x50810185, {118, 65, 40, 12}, u""},
      {1107, u"Button", 0x50010000, {97, 63, 19, 14}, u"Left"},
      {1108, u"Button", 0x50010000, {163, 64, 16, 14}, u"Right"},
      {1, u"Button", 0x5001000b, {26, 78, 50, 14}, u"OK"},
      {2, u"Button", 0x5001000b, {96, 79, 50, 14}, u"Cancel"},
      {1005, u"SysDateTimePick32", 0x48010009, {59, 14, 72, 12}, u""},
    }},
    {132, 187, 104, 10, u"System", 0, {
      {1003, u"Button", 0x4801000B, {65, 5, 85, 14}, u"Align Screen"},
      {1034, u"Static", 0x50020000, {7, 2, 103, 11}, u"Screen"},
      {1035, u"Static", 0x50020200, {7, 24, 62, 8}, u"Align Screen"},
      {1036, u"Static", 0x50030000, {7, 38, 173, 28}, u"Adjust the touch screen if your device is not  responding accurately to screen taps. To do so tap the Align Screen button."},
      {1, u"Button", 0x5001000B, {41, 66, 50, 14}, u"OK"},
      {1082, u"Button", 0x48010000, {93, 24, 50, 14}, u"Succeed"},
      {2, u"Button", 0x5001000B, {95, 66, 50, 14}, u"Cancel"},
    }},
    {133, 205, 114, 10, u"System", 0, {
      {1026, u"msctls_trackbar32", 0x50030035, {39, 34, 110, 40}, u"Slider1"},
      {1070, u"Button", 0x50010000, {4, 36, 30, 14}, u"Left"},
      {1071, u"Button", 0x50010000, {167, 36, 38, 14}, u"Right"},
      {1024, u"Static", 0x50020000, {0, 3, 150, 10}, u"Sounds"},
      {1025, u"Static", 0x40010000, {2, 18, 117, 8}, u"System volume"},
      {1027, u"Static", 0x40020000, {150, 39, 27, 8}, u"Loud"},
      {1, u"Button", 0x5003000b, {34, 80, 50, 14}, u"OK"},
      {2, u"Button", 0x5003000b, {105, 80, 50, 14}, u"Cancel"},
    }},
    {138, 151, 73, 10, u"System", 0, {
      {1, u"Button", 0x50010000, {44, 42, 50, 14}, u"OK"},
      {2, u"Button", 0x48010000, {94, 43, 37, 14}, u"Cancel"},
      {1039, u"Static", kCentredStatic, {20, 0, 120, 42}, u"Calibration succeed"},
    }},
    {200, 187, 99, 10, u"System", 0, {
      {1086, u"Button", 0x50010000, {68, 72, 50, 14}, u"LowPowerOK"},
      {2, u"Button", 0x40010000, {130, 72, 50, 14}, u"Cancel"},
      {1087, u"Static", kCentredStatic, {10, 20, 167, 30}, u"Battery capacity is too low!"},
      {1089, u"Button", 0x40010000, {30, 72, 50, 14}, u"Yes"},
      {1088, u"Button", 0x40010000, {107, 72, 50, 14}, u"No"},
    }},
    {1072, 187, 98, 13, u"Impact", 0, {
      {1074, u"Static", 0x50020000, {10, 5, 32, 8}, u"Language"},
      {1075, u"Static", 0x50000000, {14, 26, 25, 8}, u"System"},
      {1098, u"ListBox", 0x50810102, {102, 2, 48, 10}, u""},
      {1083, u"Edit", 0x50810105, {96, 13, 58, 12}, u""},
      {1093, u"Button", 0x50010000, {65, 24, 23, 14}, u"SLeft"},
      {1094, u"Button", 0x50010000, {157, 24, 22, 14}, u"SRight"},
      {1, u"Button", 0x5001000b, {38, 73, 50, 14}, u"OK"},
      {2, u"Button", 0x5001000b, {102, 73, 50, 14}, u"Cancel"},
      {1078, u"ComboBox", 0x48210103, {95, 25, 59, 63}, u""},
      {1084, u"Static", 0x48000000, {14, 51, 19, 8}, u"Voice"},
      {1085, u"ComboBox", 0x48210103, {95, 47, 56, 65}, u""},
      {1097, u"Edit", 0x48810105, {94, 58, 59, 12}, u""},
      {1099, u"ListBox", 0x48810103, {139, 68, 48, 9}, u""},
      {1095, u"Button", 0x48010000, {66, 49, 21, 14}, u"VLeft"},
      {1096, u"Button", 0x48010000, {157, 49, 23, 14}, u"VRight"},
    }},
  };
  return dialogs;
}

// The compiled dialog resources by id.
std::map<WORD, std::span<const std::uint8_t>> CompiledDialogs() {
  std::map<WORD, std::span<const std::uint8_t>> dialogs;
  auto entries = kernel::ParseResourceFile(ProgramResourceBytes());
  if (!entries) return dialogs;
  for (const auto& entry : *entries) {
    if (entry.type == kernel::ResourceName(WORD{5})) dialogs[std::get<WORD>(entry.name)] = entry.data;
  }
  return dialogs;
}

std::u16string TitleText(const gwes::TemplateName& title) {
  const auto* text = std::get_if<std::u16string>(&title);
  return text ? *text : u"<ordinal>";
}

TEST(DialogTemplateTest, EveryCompiledTemplateMatchesItsTable) {
  auto compiled = CompiledDialogs();
  ASSERT_EQ(compiled.size(), ExpectedDialogs().size());
  for (const ExpectedDialog& want : ExpectedDialogs()) {
    SCOPED_TRACE(testing::Message() << "dialog " << want.id);
    ASSERT_TRUE(compiled.count(want.id));
    auto dialog = ParseDialogTemplate(compiled[want.id]);
    ASSERT_TRUE(dialog);
    // Pop-up with a set font (WS_POPUP | DS_SETFONT), no caption, menu or class.
    EXPECT_EQ(dialog->style, 0x80000040u);
    EXPECT_EQ(dialog->exStyle, want.exStyle);
    EXPECT_EQ(std::vector<short>({dialog->x, dialog->y, dialog->cx, dialog->cy}),
              std::vector<short>({0, 0, want.cx, want.cy}));
    EXPECT_FALSE(dialog->menu);
    EXPECT_FALSE(dialog->windowClass);
    EXPECT_EQ(dialog->title, u"");
    ASSERT_TRUE(dialog->font);
    EXPECT_EQ(dialog->font->pointSize, want.pointSize);
    EXPECT_EQ(dialog->font->face, want.face);

    ASSERT_EQ(dialog->items.size(), want.items.size());
    for (std::size_t i = 0; i < want.items.size(); ++i) {
      const ExpectedItem& w = want.items[i];
      const gwes::DialogItemTemplate& item = dialog->items[i];
      SCOPED_TRACE(testing::Message() << "control " << w.id);
      EXPECT_EQ(item.id, w.id);
      EXPECT_EQ(gwes::ControlClassName(item.windowClass), w.className);
      EXPECT_EQ(item.style, w.style) << std::hex << item.style;
      EXPECT_EQ(item.exStyle, 0u);
      EXPECT_EQ(std::vector<short>({item.x, item.y, item.cx, item.cy}),
                std::vector<short>({w.rect.x, w.rect.y, w.rect.cx, w.rect.cy}));
      EXPECT_EQ(TitleText(item.title), w.text);
      EXPECT_TRUE(item.creationData.empty());
    }
  }
}

TEST(DialogTemplateTest, EveryCutOfACompiledTemplateIsRejected) {
  for (const auto& [id, bytes] : CompiledDialogs()) {
    for (std::size_t size = 0; size < bytes.size(); ++size) {
      // An exact copy, so a read past the cut would be a read past the allocation.
      std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_FALSE(ParseDialogTemplate(cut)) << "dialog " << id << " cut at " << size;
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
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog->extended);
  EXPECT_EQ(dialog->helpId, 77u);
  EXPECT_EQ(dialog->exStyle, 0x8u);
  EXPECT_EQ(dialog->style, 0x80C80040u);
  EXPECT_EQ(dialog->cx, 100);
  EXPECT_EQ(dialog->menu, gwes::TemplateName(WORD{300}));
  EXPECT_EQ(dialog->windowClass, gwes::TemplateName(u"MyDialogClass"));
  EXPECT_EQ(dialog->title, u"Caption");
  ASSERT_TRUE(dialog->font);
  EXPECT_EQ(dialog->font->pointSize, 9);
  EXPECT_EQ(dialog->font->weight, 700);
  EXPECT_TRUE(dialog->font->italic);
  EXPECT_EQ(dialog->font->charset, 2);
  EXPECT_EQ(dialog->font->face, u"Impact");
  ASSERT_EQ(dialog->items.size(), 2u);
  const auto& icon = dialog->items[0];
  EXPECT_EQ(icon.helpId, 5u);
  EXPECT_EQ(icon.exStyle, 0x20u);
  EXPECT_EQ(icon.style, 0x50000003u);
  EXPECT_EQ(icon.id, 70000u);  // extended ids are DWORDs
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
  EXPECT_FALSE(noFont->extended);
  EXPECT_FALSE(noFont->font);
  EXPECT_EQ(noFont->items.at(0).id, 7u);
  EXPECT_EQ(gwes::ControlClassName(noFont->items[0].windowClass), u"");
  plain.bytes[8] = 2;
  EXPECT_FALSE(ParseDialogTemplate(plain.bytes));
}

}  // namespace
