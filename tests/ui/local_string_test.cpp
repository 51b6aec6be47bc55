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
  ~LocalStringTest() override {
    if (LanguageModule != nullptr) FreeLibrary(LanguageModule);
    LanguageModule = nullptr;
  }

  // Loads a language module holding string 1 and the long strings 33 to 37 (block 3).
  void LoadLanguageModule() {
    test::Bytes bytes = test::ResWriter()
                            .Add(WORD{6}, WORD{1}, 1031, test::StringBlock({{1, u"Dienstprogramm"}}))
                            .Add(WORD{6}, WORD{3}, 1031,
                                 test::StringBlock({{1, std::u16string(254, u'a')},
                                                    {2, std::u16string(255, u'b')},
                                                    {3, std::u16string(300, u'c')},
                                                    {4, std::u16string(511, u'd')},
                                                    {5, std::u16string(767, u'e')}}))
                            .bytes;
    WriteHostFile(device.Host("Windows/Utility.exe.0407.mui"), bytes);
    LanguageModule = LoadLibraryW(u"\\Windows\\Utility.exe.0407.mui");
    ASSERT_NE(LanguageModule, nullptr);
  }

  testing_support::ImagedDevice device;
};

TEST_F(LocalStringTest, ReadsTheProgramTableWithoutALanguageModule) {
  CLocalString text;
  EXPECT_TRUE(text.LoadString(1));
  EXPECT_EQ(std::u16string(text.GetText()), u"Utility");
  EXPECT_TRUE(text.LoadString(41));
  EXPECT_EQ(text.GetLength(), 122);
  // Only the low 16 bits of the id count.
  EXPECT_TRUE(text.LoadString(0x10000 + 152));
  EXPECT_EQ(std::u16string(text.GetText()), u"Please wait...");
  EXPECT_FALSE(text.LoadString(9999));
  EXPECT_EQ(text.GetLength(), 0);
}

TEST_F(LocalStringTest, ALoadedLanguageModuleIsTheOnlySource) {
  LoadLanguageModule();
  CLocalString text;
  EXPECT_TRUE(text.LoadString(1));
  EXPECT_EQ(std::u16string(text.GetText()), u"Dienstprogramm");
  // 152 exists in the program's table but not in the module: no second look.
  EXPECT_FALSE(text.LoadString(152));
  EXPECT_EQ(text.GetLength(), 0);
  EXPECT_EQ(text.GetText()[0], u'\0');
}

TEST_F(LocalStringTest, TextsOfAnyLengthAreReadWhole) {
  LoadLanguageModule();
  CLocalString text;
  const std::pair<UINT, std::u16string> cases[] = {{33, std::u16string(254, u'a')},
                                                   {34, std::u16string(255, u'b')},
                                                   {35, std::u16string(300, u'c')},
                                                   {36, std::u16string(511, u'd')},
                                                   {37, std::u16string(767, u'e')}};
  for (const auto& [id, expected] : cases) {
    EXPECT_TRUE(text.LoadString(id)) << id;
    EXPECT_EQ(std::u16string(text.GetText()), expected) << id;
    EXPECT_EQ(static_cast<std::size_t>(text.GetLength()), expected.size()) << id;
  }
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
