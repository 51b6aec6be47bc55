// The compiled, embedded resources read through the resource services: the string table's exact
// texts, the custom resources and a bitmap, and the language tags of each kind.
#include <gtest/gtest.h>

#include <map>
#include <set>
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

// The click's wave is found by its custom type; the bitmaps and the icon by the screens showing them.
TEST_F(ProgramResourcesTest, TheClickIsFoundAsAWave) {
  HRSRC wave = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_CLICK_SOUND), u"WAVE");
  ASSERT_NE(wave, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, wave), 1154u);
  EXPECT_EQ(std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, wave))), 4), "RIFF");
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
  // The signature, then the file and the product version, each 20.4.103.225.
  const std::pair<int, DWORD> kFixed[] = {{40, 0xFEEF04BD}, {48, 20 << 16 | 4}, {52, 103 << 16 | 225},
                                          {56, 20 << 16 | 4}, {60, 103 << 16 | 225}};
  for (auto [at, value] : kFixed) EXPECT_EQ(DwordAt(data + at), value) << "offset " << at;
  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  for (std::u16string_view value : {u"R20, 4, 103, 225", u"Utility WCE MFC Application", u"Utility.exe",
                                    u"Utility Application", u"InternalName"}) {
    EXPECT_NE(text.find(value), std::u16string::npos) << kernel::WideToUtf8(value);
  }
}

// Bitmaps, icons, the low-power dialog and the custom resources but the click's wave carry the
// Chinese-PRC tag; every other resource is English-US. Only the kinds the program uses are there.
TEST_F(ProgramResourcesTest, LanguageTagsFollowTheKindOfResource) {
  constexpr WORD kEnglishUs = 1033, kChinesePrc = 2052;
  // Named kinds (0), bitmap, icon, dialog, strings, icon group, version.
  const std::set<WORD> kKinds = {0, 2, 3, 5, 6, 14, 16};
  auto entries = kernel::ParseResourceFile(ProgramResourceBytes());
  ASSERT_TRUE(entries);
  std::map<WORD, std::set<WORD>> names;  // of each kind
  for (const auto& entry : *entries) {
    const WORD* type = std::get_if<WORD>(&entry.type);
    const WORD kind = type != nullptr ? *type : 0;
    const WORD* name = std::get_if<WORD>(&entry.name);
    ASSERT_NE(name, nullptr);
    bool chinese = kind == 0 ? std::get<std::u16string>(entry.type) != u"WAVE"
                             : kind == 2 || kind == 3 || kind == 14 || (kind == 5 && *name == IDD_LOW_POWER);
    EXPECT_EQ(entry.language, chinese ? kChinesePrc : kEnglishUs) << kind << " " << *name;
    EXPECT_TRUE(kKinds.contains(kind)) << "unexpected resource type " << kind;
    names[kind].insert(*name);
  }
  EXPECT_EQ(names[2].size(), 57u);  // bitmaps
  EXPECT_EQ(names[5].size(), 9u);   // dialogs
  EXPECT_EQ(names[6].size(), 10u);  // string blocks 1 to 10 hold ids 0 to 159
}

}  // namespace
