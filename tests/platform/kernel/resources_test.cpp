#include "platform/kernel/resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/kernel/last_error.h"
#include "platform/kernel/process.h"
#include "tests/support/res_writer.h"
#include "tests/support/test_device.h"

namespace {

using test::Bytes;
using test::ResWriter;
using test::StringBlock;

std::u16string Load(HMODULE module, UINT id, int capacity = 256) {
  std::u16string buffer(static_cast<std::size_t>(std::max(capacity, 1)), u'?');
  int count = LoadStringW(module, id, buffer.data(), capacity);
  EXPECT_EQ(buffer[static_cast<std::size_t>(count)], u'\0') << "id " << id;
  return buffer.substr(0, static_cast<std::size_t>(count));
}

std::string Text(const void* data, DWORD size) { return {static_cast<const char*>(data), size}; }

// Program resources for the lookups: a wave by string type, a text, a bitmap, strings 1 to 17.
const Bytes& ProgramRes() {
  static const Bytes bytes =
      ResWriter()
          .Add(u"WAVE", WORD{134}, 1033, Bytes{'R', 'I', 'F', 'F', 'x'})
          .Add(u"TXT", WORD{137}, 2052, Bytes{'z', 'o', 'n', 'e', 's', '\r', '\n'})
          .Add(WORD{2}, u"LOGO", 2052, Bytes(7, 0xAB))
          .Add(WORD{6}, WORD{1}, 1033, StringBlock({{1, u"Utility"}, {5, u"Date && Time"}, {9, u"Line\nbreak"}}))
          .Add(WORD{6}, WORD{2}, 1033, StringBlock({{0, u"Sixteen"}, {1, u"Seventeen"}}))
          .bytes;
  return bytes;
}

TEST(ResourceFileTest, RejectsEveryOverrunAndAFileWithoutTheEmptyEntry) {
  const Bytes& full = ProgramRes();
  // Any cut either ends exactly between entries (a shorter, still valid file) or fails.
  auto whole = kernel::ParseResourceFile(full);
  for (std::size_t size = 0; size < full.size(); ++size) {
    auto cut = kernel::ParseResourceFile(std::span(full.data(), size));
    if (!cut) continue;
    ASSERT_LT(cut->size(), whole->size()) << size;
    for (std::size_t i = 0; i < cut->size(); ++i) EXPECT_EQ((*cut)[i].data.size(), (*whole)[i].data.size());
  }
  EXPECT_FALSE(kernel::ParseResourceFile({}));

  Bytes noEmpty(full.begin() + 32, full.end());
  EXPECT_FALSE(kernel::ParseResourceFile(noEmpty));

  // Data size past the end, header size past the end, header too small for its names, and a
  // string name with no terminator inside the header.
  Bytes big = ResWriter().Add(WORD{10}, WORD{1}, 0, Bytes{1, 2, 3, 4}).bytes;
  big[32] = 0xFF;
  EXPECT_FALSE(kernel::ParseResourceFile(big));
  Bytes longHeader = ResWriter().Add(WORD{10}, WORD{1}, 0, {}).bytes;
  longHeader[36] = 0x40;
  EXPECT_FALSE(kernel::ParseResourceFile(longHeader));
  Bytes shortHeader = ResWriter().Add(u"TXT", WORD{1}, 0, {}).bytes;
  shortHeader[36] = 12;
  EXPECT_FALSE(kernel::ParseResourceFile(shortHeader));
  Bytes huge = ResWriter().Add(WORD{10}, WORD{1}, 0, {}).bytes;
  std::memset(&huge[32], 0xFF, 8);
  EXPECT_FALSE(kernel::ParseResourceFile(huge));
}

TEST(ResourcesTest, FindsProgramResourcesByIdStringAndHashNumber) {
  kernel::SetProgramResources(ProgramRes());
  HMODULE self = GetModuleHandleW(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(GetModuleHandleW(u"utility.EXE"), self);
  EXPECT_EQ(GetModuleHandleW(u"Other.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

  for (HMODULE module : {self, HMODULE{}}) {
    HRSRC wave = FindResourceW(module, MAKEINTRESOURCEW(134), u"wave");
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(SizeofResource(module, wave), 5u);
    EXPECT_EQ(Text(LockResource(LoadResource(module, wave)), 5), "RIFFx");
  }
  HRSRC text = FindResourceW(nullptr, u"#137", u"TXT");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(Text(LockResource(LoadResource(nullptr, text)), SizeofResource(nullptr, text)), "zones\r\n");
  EXPECT_NE(FindResourceW(nullptr, u"logo", RT_BITMAP), nullptr);

  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(135), u"WAVE"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(134), RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_EQ(FindResourceW(nullptr, u"#70000", u"TXT"), nullptr);

  // A made-up HRSRC fails cleanly.
  HRSRC bogus = reinterpret_cast<HRSRC>(ULONG_PTR{99});
  EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SizeofResource(nullptr, bogus), 0u);
}

TEST(ResourcesTest, LoadStringCopiesWithinCapacityAndReportsAbsentIds) {
  kernel::SetProgramResources(ProgramRes());
  // Second block's first string, capacity - 1 characters and a NUL, an empty slot, no block at all.
  const std::tuple<UINT, int, std::u16string> kStrings[] = {
      {1, 256, u"Utility"}, {5, 256, u"Date && Time"}, {9, 256, u"Line\nbreak"}, {16, 256, u"Sixteen"},
      {17, 256, u"Seventeen"}, {1, 4, u"Uti"}, {1, 1, u""}, {2, 256, u""}, {40, 256, u""}};
  for (const auto& [id, capacity, text] : kStrings) EXPECT_EQ(Load(nullptr, id, capacity), text) << id;
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(Load(nullptr, 0x10001), u"");

  char16_t untouched[2] = {u'x', u'y'};
  EXPECT_EQ(LoadStringW(nullptr, 1, untouched, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(untouched[0], u'x');

  // A block whose length word runs past its data yields nothing for that slot or after it.
  Bytes block = StringBlock({{0, u"Ok"}, {1, u"Cut"}});
  block.resize(2 + 4 + 2 + 2);
  const Bytes cutFile = ResWriter().Add(WORD{6}, WORD{1}, 0, block).bytes;
  kernel::SetProgramResources(cutFile);
  EXPECT_EQ(Load(nullptr, 0), u"Ok");
  EXPECT_EQ(Load(nullptr, 1), u"");
  EXPECT_EQ(Load(nullptr, 2), u"");

  // Without program resources every lookup fails.
  kernel::SetProgramResources({});
  EXPECT_EQ(Load(nullptr, 1), u"");
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(134), u"WAVE"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
}

TEST(ResourcesTest, LoadedModulesAreReadLikeTheProgramAndFailOnceFreed) {
  testing_support::TestDevice device;
  kernel::SetProgramResources(ProgramRes());
  Bytes module = ResWriter().Add(WORD{6}, WORD{1}, 1031, StringBlock({{1, u"Dienstprogramm"}})).bytes;
  std::filesystem::path file = device.Host("Windows/Utility.exe.0407.mui");
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(module.data()),
                                              static_cast<std::streamsize>(module.size()));

  HMODULE german = LoadLibraryW(u"\\Windows\\Utility.exe.0407.mui");
  ASSERT_NE(german, nullptr);
  EXPECT_NE(german, GetModuleHandleW(nullptr));
  EXPECT_TRUE(kernel::IsProgramModule(GetModuleHandleW(nullptr)));
  EXPECT_FALSE(kernel::IsProgramModule(german));
  EXPECT_EQ(Load(german, 1), u"Dienstprogramm");
  EXPECT_EQ(Load(german, 5), u"");                 // the module's table only
  EXPECT_EQ(Load(nullptr, 1), u"Utility");
  HRSRC block = FindResourceW(german, MAKEINTRESOURCEW(1), RT_STRING);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(SizeofResource(german, block), 2u * 16 + 2 * 14);

  ASSERT_TRUE(FreeLibrary(german));
  EXPECT_EQ(Load(german, 1), u"");
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(FindResourceW(german, MAKEINTRESOURCEW(1), RT_STRING), nullptr);
  EXPECT_EQ(LoadResource(german, block), nullptr);
}

}  // namespace
