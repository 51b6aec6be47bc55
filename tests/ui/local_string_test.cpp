#include "ui/local_string.h"

#include <gtest/gtest.h>

#include "platform/kernel/process.h"
#include "res/program_resources.h"
#include "tests/support/device_fixture.h"
#include "tests/support/res_writer.h"

namespace {

using testing_support::WriteHostFile;

class LocalStringTest : public ::testing::Test {
 protected:
  LocalStringTest() { kernel::SetProgramResources(ProgramResourceBytes()); }
  testing_support::ImagedDevice device;
};

// Without a module the program's table is read; only the low 16 bits of the id count, and a
// missing text leaves the string empty.
TEST_F(LocalStringTest, ReadsTheProgramTableWithoutALanguageModule) {
  CLocalString text;
  for (auto [id, found] : {std::pair<UINT, const char16_t*>{1, u"Utility"}, {0x10000 + 152, u"Please wait..."},
                           {9999, nullptr}}) {
    EXPECT_EQ(text.LoadString(id), found != nullptr) << id;
    EXPECT_EQ(std::u16string(text.GetText()), found ? found : u"") << id;
  }
}

// A loaded module is the only source: its texts of any length are read whole (block 3 holds ids
// 33 to 37), and 152, in the program's table but not in the module, is not looked up again.
TEST_F(LocalStringTest, ALoadedLanguageModuleIsTheOnlySourceAndItsTextsAreReadWhole) {
  const std::pair<int, std::u16string> kLong[] = {{1, std::u16string(254, u'a')}, {2, std::u16string(255, u'b')},
                                                  {3, std::u16string(300, u'c')}, {4, std::u16string(511, u'd')},
                                                  {5, std::u16string(767, u'e')}};
  WriteHostFile(device.Host("Windows/Utility.exe.0407.mui"),
                test::ResWriter()
                    .Add(WORD{6}, WORD{1}, 1031, test::StringBlock({{1, u"Dienstprogramm"}}))
                    .Add(WORD{6}, WORD{3}, 1031, test::StringBlock({std::begin(kLong), std::end(kLong)}))
                    .bytes);
  LanguageModule = LoadLibraryW(u"\\Windows\\Utility.exe.0407.mui");
  ASSERT_NE(LanguageModule, nullptr);
  CLocalString text;
  EXPECT_TRUE(text.LoadString(1));
  EXPECT_EQ(std::u16string(text.GetText()), u"Dienstprogramm");
  for (const auto& [index, expected] : kLong) {
    EXPECT_TRUE(text.LoadString(32 + index)) << index;
    EXPECT_EQ(std::u16string(text.GetText()), expected) << index;
    EXPECT_EQ(static_cast<std::size_t>(text.GetLength()), expected.size()) << index;
  }
  EXPECT_FALSE(text.LoadString(152));
  EXPECT_EQ(text.GetLength(), 0);
  EXPECT_EQ(text.GetText()[0], u'\0');
  FreeLibrary(LanguageModule);
  LanguageModule = nullptr;
}

TEST_F(LocalStringTest, AssignCopiesAndNullGivesTheEmptyText) {
  CLocalString text;
  text.LoadString(1);
  std::u16string source = u"12:30";
  text.Assign(source.c_str());
  source[0] = u'9';
  EXPECT_EQ(std::u16string(text.GetText()), u"12:30");
  text.Assign(nullptr);
  EXPECT_EQ(text.GetLength(), 0);
}

}  // namespace
