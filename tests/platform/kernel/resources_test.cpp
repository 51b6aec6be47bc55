#include "platform/kernel/resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "platform/kernel/last_error.h"
#include "platform/kernel/process.h"
#include "tests/support/res_writer.h"
#include "platform/kernel/wide_string.h"
#include "tests/support/device_fixture.h"

namespace {

using test::Bytes;
using test::ResWriter;
using test::StringBlock;
using testing_support::WriteHostFile;

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
  auto patched = [](Bytes bytes, std::size_t at, std::size_t count, std::uint8_t value) {
    std::memset(&bytes[at], value, count);
    return bytes;
  };
  const Bytes numbered = ResWriter().Add(WORD{10}, WORD{1}, 0, {}).bytes;
  const Bytes named = ResWriter().Add(u"TXT", WORD{1}, 0, {}).bytes;
  for (const Bytes& bad : {patched(ResWriter().Add(WORD{10}, WORD{1}, 0, Bytes{1, 2, 3, 4}).bytes, 32, 1, 0xFF),
                           patched(numbered, 36, 1, 0x40), patched(named, 36, 1, 12), patched(numbered, 32, 8, 0xFF)}) {
    EXPECT_FALSE(kernel::ParseResourceFile(bad));
  }
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

// A module loads only with a resource file's leading empty entry whole; it reads its own table, and
// nothing of it once freed.
TEST(ResourcesTest, LoadedModulesAreReadLikeTheProgramAndFailOnceFreed) {
  testing_support::TestDevice device;
  kernel::SetProgramResources(ProgramRes());
  const Bytes module = ResWriter().Add(WORD{6}, WORD{1}, 1031, StringBlock({{1, u"Dienstprogramm"}})).bytes;
  Bytes shifted = module;
  shifted[4] = 0x1F;  // the empty entry's header size
  WriteHostFile(device.Host("Windows/Utility.exe.0407.mui"), module);
  WriteHostFile(device.Host("Windows/Utility.exe.0409.mui"), shifted);
  WriteHostFile(device.Host("Windows/Utility.exe.0410.mui"), Bytes(module.begin(), module.begin() + 31));
  for (auto [path, error] : {std::pair{u"\\Windows\\Utility.exe.0409.mui", ERROR_BAD_FORMAT},
                             {u"\\Windows\\Utility.exe.0410.mui", ERROR_BAD_FORMAT},
                             {u"\\Windows\\Utility.exe.0000.mui", ERROR_MOD_NOT_FOUND},
                             {u"\\Nowhere\\Utility.exe.0407.mui", ERROR_MOD_NOT_FOUND}}) {
    EXPECT_EQ(LoadLibraryW(path), nullptr);
    EXPECT_EQ(GetLastError(), error) << kernel::WideToUtf8(path);
  }

  HMODULE german = LoadLibraryW(u"\\windows\\utility.exe.0407.mui");
  ASSERT_NE(german, nullptr);
  auto bytes = kernel::ModuleBytes(german);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), module);
  WCHAR path[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameW(german, path, MAX_PATH), 29u);
  EXPECT_EQ(std::u16string(path), u"\\windows\\utility.exe.0407.mui");
  EXPECT_TRUE(kernel::IsProgramModule(GetModuleHandleW(nullptr)));
  EXPECT_FALSE(kernel::IsProgramModule(german));
  EXPECT_EQ(Load(german, 1), u"Dienstprogramm");
  EXPECT_EQ(Load(german, 5), u"");  // the module's table only
  EXPECT_EQ(Load(nullptr, 1), u"Utility");
  HRSRC block = FindResourceW(german, MAKEINTRESOURCEW(1), RT_STRING);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(SizeofResource(german, block), 2u * 16 + 2 * 14);

  ASSERT_TRUE(FreeLibrary(german));
  EXPECT_EQ(Load(german, 1), u"");
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(FindResourceW(german, MAKEINTRESOURCEW(1), RT_STRING), nullptr);
  EXPECT_EQ(LoadResource(german, block), nullptr);
  EXPECT_FALSE(FreeLibrary(german));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
