// The compiled, embedded resources read through the resource services: the string table's exact
// texts, the custom resources and a bitmap, and the language tags of each kind.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/kernel/resources.h"
#include "platform/kernel/wide_string.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

class ProgramResourcesTest : public testing::Test {
 protected:
  void SetUp() override { kernel::SetProgramResources(ProgramResourceBytes()); }

  static std::u16string Load(UINT id) {
    WCHAR buffer[256];
    int count = LoadStringW(nullptr, id, buffer, 256);
    return std::u16string(buffer, static_cast<std::size_t>(count));
  }
};

// Most texts show in the golden images or the pages' tests; here the table's ids run 1 to 153
// without gaps, an escaped ampersand stays as written, and a choice no image shows is exact.
TEST_F(ProgramResourcesTest, StringTableHoldsIdsOneTo153WithoutGaps) {
  EXPECT_EQ(Load(5), u"Date && Time");
  EXPECT_EQ(Load(27), u"15Minute");
  for (UINT id = IDS_UTILITY; id <= IDS_SWITCH_FAILED; ++id) EXPECT_FALSE(Load(id).empty()) << id;
  EXPECT_EQ(Load(0), u"");
  EXPECT_EQ(Load(154), u"");
  EXPECT_EQ(Load(4000), u"");
}

TEST_F(ProgramResourcesTest, CustomResourcesAndBitmapsAreFound) {
  HRSRC wave = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_CLICK_SOUND), u"WAVE");
  ASSERT_NE(wave, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, wave), 1154u);
  EXPECT_EQ(std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, wave))), 4), "RIFF");
  HRSRC text = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ZONE_NAMES), u"TXT");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, text), 1380u);
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_MENU_BACKGROUND), RT_BITMAP), nullptr);
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_UTILITY), RT_GROUP_ICON), nullptr);
}

// Reads a little-endian DWORD.
DWORD DwordAt(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | DWORD{p[3]} << 24; }

TEST_F(ProgramResourcesTest, VersionRecordCarriesTheNumbersAndTexts) {
  HRSRC version = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  ASSERT_NE(version, nullptr);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, version)));
  DWORD size = SizeofResource(nullptr, version);
  ASSERT_GT(size, 64u);
  // The fixed part follows the "VS_VERSION_INFO" key, at offset 40.
  EXPECT_EQ(DwordAt(data + 40), 0xFEEF04BDu);
  EXPECT_EQ(DwordAt(data + 48), (20u << 16) | 4u);    // file version 20.4
  EXPECT_EQ(DwordAt(data + 52), (103u << 16) | 225u);  // .103.225
  EXPECT_EQ(DwordAt(data + 56), (20u << 16) | 4u);    // product version
  EXPECT_EQ(DwordAt(data + 60), (103u << 16) | 225u);
  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  for (std::u16string_view value : {u"R20, 4, 103, 225", u"Utility WCE MFC Application", u"Utility.exe",
                                    u"Utility Application", u"InternalName"}) {
    EXPECT_NE(text.find(value), std::u16string::npos) << kernel::WideToUtf8(value);
  }
}

TEST_F(ProgramResourcesTest, LanguageTagsFollowTheKindOfResource) {
  constexpr WORD kEnglishUs = 1033, kChinesePrc = 2052;
  auto entries = kernel::ParseResourceFile(ProgramResourceBytes());
  ASSERT_TRUE(entries);
  std::map<WORD, int> bitmaps, dialogs;
  int strings = 0;
  for (const auto& entry : *entries) {
    const WORD* type = std::get_if<WORD>(&entry.type);
    const WORD* name = std::get_if<WORD>(&entry.name);
    ASSERT_NE(name, nullptr);
    if (type == nullptr) {
      std::u16string custom = std::get<std::u16string>(entry.type);
      EXPECT_EQ(entry.language, custom == u"WAVE" ? kEnglishUs : kChinesePrc) << kernel::WideToUtf8(custom);
      continue;
    }
    switch (*type) {
      case 2:  // bitmap
        EXPECT_EQ(entry.language, kChinesePrc) << *name;
        ++bitmaps[*name];
        break;
      case 3:   // icon image
      case 14:  // icon group
        EXPECT_EQ(entry.language, kChinesePrc) << *name;
        break;
      case 5:
        EXPECT_EQ(entry.language, *name == IDD_LOW_POWER ? kChinesePrc : kEnglishUs) << *name;
        ++dialogs[*name];
        break;
      case 6:
        EXPECT_EQ(entry.language, kEnglishUs) << *name;
        ++strings;
        break;
      case 16:
        EXPECT_EQ(entry.language, kEnglishUs);
        break;
      default:
        ADD_FAILURE() << "unexpected resource type " << *type;
    }
  }
  EXPECT_EQ(bitmaps.size(), 57u);
  EXPECT_EQ(dialogs.size(), 9u);
  EXPECT_EQ(strings, 10);  // blocks 1 to 10 hold ids 0 to 159
}

}  // namespace
