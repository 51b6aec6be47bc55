#include "platform/kernel/reg_file.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "platform/kernel/device_store.h"
#include "platform/kernel/wide_string.h"
#include "tests/support/test_device.h"

namespace {

using kernel::RegFileKey;
using kernel::RegistryValue;

std::vector<RegFileKey> Parse(std::string_view text) {
  auto result = kernel::ParseRegFile(text);
  if (auto* keys = std::get_if<std::vector<RegFileKey>>(&result)) return *keys;
  ADD_FAILURE() << "line " << std::get<1>(result).line << ": " << std::get<1>(result).message;
  return {};
}

// UTF-16LE bytes with a terminator, as a REG_SZ value holds them.
std::vector<std::uint8_t> Wide(std::u16string_view text) {
  std::vector<std::uint8_t> out;
  for (char16_t c : text) out.insert(out.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)});
  out.insert(out.end(), {0, 0});
  return out;
}

TEST(RegFileParse, ReadsEveryValueFormAndTheLaterLineWins) {
  auto keys = Parse(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n; a comment\r\n"
      "[hklm\\\\Software\\Tavix\\]\r\n"
      "\"Text\"=\"a \\\"quoted\\\" C:\\\\path \xC3\xA4\"\r\n@=\"\"\r\n  \"Index\" = dword:0000001d\r\n"
      "\"Short\"=DWORD:7\r\n\"Blob\"=hex:01,ff,\\\r\n  0a , 0B\r\n"
      "\"Multi\"=hex(7):61,00,00,00,00,00\r\n\"None\"=hex(0):\r\n\"Gone\"=-\r\n"
      "[-HKEY_CURRENT_USER\\Old]\r\n"
      "[HKCU\\K]\n\"a\"=\"1\"\n\"A\"=-\n\"b\"=-\n\"B\"=dword:00000002\n\"c\"=-\n\"C\"=-\n");
  const std::vector<RegFileKey> expected = {
      {u"HKEY_LOCAL_MACHINE\\Software\\Tavix", false,
       {{u"Text", REG_SZ, Wide(u"a \"quoted\" C:\\path ä")}, {u"", REG_SZ, Wide(u"")},
        {u"Index", REG_DWORD, {0x1d, 0, 0, 0}}, {u"Short", REG_DWORD, {7, 0, 0, 0}},
        {u"Blob", REG_BINARY, {0x01, 0xff, 0x0a, 0x0b}}, {u"Multi", REG_MULTI_SZ, {0x61, 0, 0, 0, 0, 0}},
        {u"None", REG_NONE, {}}},
       {u"Gone"}},
      {u"HKEY_CURRENT_USER\\Old", true, {}, {}},
      {u"HKEY_CURRENT_USER\\K", false, {{u"B", REG_DWORD, {2, 0, 0, 0}}}, {u"A", u"C"}},
  };
  EXPECT_EQ(keys, expected);
  EXPECT_TRUE(Parse("REGEDIT4").empty());
}

TEST(RegFileParse, ErrorsNameTheLine) {
  const std::string kLongName(kernel::kMaxKeyNameLength + 1, 'k'), kKey = "REGEDIT4\n[HKLM\\A]\n";
  const std::tuple<std::string, int, const char*> cases[] = {
      {"", 1, "first line"}, {"REGEDIT5\n[HKLM\\A]\n", 1, "first line"}, {"REGEDIT4\n\"a\"=\"b\"\n", 2, "[key]"},
      {"REGEDIT4\n[HKLM\\A\n", 2, "end with ']'"}, {"REGEDIT4\n\n[HKEY_CLASSES_ROOT\\A]\n", 3, "unknown root key"},
      {"REGEDIT4\n[-HKLM]\n", 2, "whole hive"}, {"REGEDIT4\n[-HKLM\\A]\n\"a\"=\"b\"\n", 3, "[-key]"},
      {kKey + "\"a\"=\"b\n", 3, "closing quote"}, {kKey + "\"a\"=\"b\\q\"\n", 3, "unknown escape"},
      {kKey + "\"a\"=\"b\" x\n", 3, "after the closing quote"}, {kKey + "\"a\" \"b\"\n", 3, "'='"},
      {kKey + "\"a\"=42\n", 3, "unrecognised"}, {kKey + "\"a\"=dword:123456789\n", 3, "dword"},
      {kKey + "\"a\"=hex(x):00\n", 3, "hex(N)"}, {kKey + "\"a\"=hex:01,\\\n  02,,03\n", 4, "empty byte"},
      {kKey + "\"a\"=hex:01,\\\n  02,\\\n  1g\n", 5, "\"1g\""}, {kKey + "\"a\"=\"\\x8z\"\n", 3, "two hexadecimal"},
      {"REGEDIT4\r\n[HKLM\\A]\r\n\r\nvalue=1\r\n", 4, "unexpected line"},
      {"REGEDIT4\n[HKLM\\A\x01]\n", 2, "control character"},
      {"REGEDIT4\n[HKLM\\" + kLongName + "]\n", 2, "longer than the 255"},
      // A bad token is shown cut and with its control characters escaped.
      {kKey + "\"a\"=hex:" + std::string(200, '\x1b') + "\n", 3, "\"\\x1b\\x1b"},
  };
  for (const auto& [text, line, message] : cases) {
    auto result = kernel::ParseRegFile(text);
    auto* error = std::get_if<kernel::RegFileError>(&result);
    EXPECT_TRUE(error && error->line == line && error->message.find(message) != std::string::npos &&
                error->message.size() < 500 && error->message.find('\x1b') == std::string::npos)
        << text << " -> " << (error ? std::to_string(error->line) + ": " + error->message : "no error");
  }
}

TEST(RegFileFormat, WritesTextReadablyAndAnythingElseExactly) {
  std::vector<RegFileKey> keys = {
      {u"HKEY_LOCAL_MACHINE\\nls", false,
       {{u"DefaultLCID", REG_DWORD, {0x09, 0x04, 0, 0}},
        {u"Path \"x\"", REG_SZ, Wide(u"C:\\dir")},
        {u"", REG_SZ, {'h', 0, 'i', 0}},        // no terminator
        {u"Odd", REG_SZ, {'h', 0, 0}},          // odd length
        {u"Lone", REG_SZ, {0x00, 0xD8, 0, 0}},  // unpaired surrogate
        {u"Break\n\"x\"=dword:1", REG_SZ, Wide(u"a\r\nb\x01")},  // escaped, never a second line
        {u"Dword3", REG_DWORD, {1, 2, 3}}, {u"Long", REG_BINARY, std::vector<std::uint8_t>(100, 0xAB)}},
       {u"Old"}},
      {u"HKEY_CURRENT_USER\\Gone", true, {}, {}},
  };
  std::string text = kernel::FormatRegFile(keys);
  EXPECT_TRUE(text.starts_with("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\nls]\n\"DefaultLCID\"=dword:00000409\n"
                               "\"Path \\\"x\\\"\"=\"C:\\\\dir\"\n@=hex(1):68,00,69,00\n"))
      << text;
  EXPECT_NE(text.find("\"Dword3\"=hex(4):01,02,03\n"), std::string::npos);
  EXPECT_NE(text.find("\"Break\\n\\\"x\\\"=dword:1\"=\"a\\r\\nb\\x01\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Old\"=-\n\n[-HKEY_CURRENT_USER\\Gone]\n"), std::string::npos);
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  EXPECT_EQ(Parse(text), keys);
}

// Random names of every character a name can hold; key names are printable and hold no backslash.
class RandomNames {
 public:
  explicit RandomNames(unsigned seed) : m_random(seed) {}
  int Pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }
  std::uint32_t Next() { return m_random(); }
  std::u16string Name(int maxLength, bool key) {
    // Whole characters; key names leave out the first seven pieces (controls and the backslash).
    static const std::u16string kPieces[] = {u"\n", u"\r", u"\t", u"\x01", u"\x7f", std::u16string(1, u'\0'), u"\\",
                                             u"a", u"Z", u"0", u" ", u"\"", u"'", u"=", u";", u"[", u"]",
                                             u"@", u"-", u"\u00e4", u"\u0416", u"\u20ac", u"\U0001F600"};
    int first = key ? 7 : 0;
    std::u16string out;
    for (int i = Pick(maxLength + 1); i > 0; --i) out += kPieces[first + Pick(int(std::size(kPieces)) - first)];
    return out;
  }

 private:
  std::mt19937 m_random;
};

// Whatever the registry holds, its export imported into an empty registry gives the same registry
// back: no name or data can make an import create a key or value the source did not have.
TEST(RegFileRegistry, ExportThenImportIsFaithfulForAnyNamesAndData) {
  testing_support::TestDevice device;
  auto& store = device.Device().Store();
  RandomNames names(20261207);
  for (int round = 0; round < 300; ++round) {
    store.Clear();
    store.Batch([&] {
      for (int k = names.Pick(4) + 1; k > 0; --k) {
        kernel::RegistryPath path{names.Pick(2) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, u""};
        for (int depth = names.Pick(3) + 1; depth > 0; --depth) {
          path.key += (path.key.empty() ? u"k" : u"\\k") + names.Name(6, true);
        }
        kernel::RegistryCreateKey(path);
        for (int v = names.Pick(4); v > 0; --v) {
          RegistryValue value{names.Name(8, false), names.Pick(3) ? DWORD(names.Pick(8)) : names.Next(), {}};
          for (int n = names.Pick(40); n > 0; --n) value.data.push_back(static_cast<std::uint8_t>(names.Next()));
          if (value.type == REG_SZ && names.Pick(2)) value.data = Wide(names.Name(12, false));
          kernel::RegistrySetValue(path, value);
        }
      }
    });
    auto source = kernel::ExportRegistry(std::nullopt);
    std::string text = kernel::FormatRegFile(source);
    store.Clear();
    kernel::ImportRegistry(Parse(text));
    ASSERT_EQ(kernel::ExportRegistry(std::nullopt), source) << text;
  }
}

TEST(RegFileRegistry, ExportsBothHivesAndImportsWholeOrNotAtAll) {
  testing_support::TestDevice device;
  kernel::ImportRegistry(Parse(
      "REGEDIT4\n"
      "[HKLM\\Software\\Tavix\\MultiLang]\n\"LangID1\"=dword:00000409\n\"Blob\"=hex:00,01\n"
      "[HKLM\\Software\\Tavix B]\n@=\"top\"\n"
      "[HKLM\\Software\\Tavix\\CurrentVoice]\n\"VoiceID\"=dword:00000409\n"
      "[HKCU\\ControlPanel\\Volume]\n\"Volume\"=dword:99999999\n\"Stale\"=\"x\"\n"
      "[HKLM\\Software\\Old\\Deep]\n[-HKLM\\Software\\Old]\n"
      "[HKCU\\ControlPanel\\Volume]\n\"Stale\"=-\n"));
  EXPECT_EQ(kernel::ExportRegistry(kernel::ParseRegistryPath(u"HKLM\\software\\tavix")).size(), 3u);
  EXPECT_TRUE(kernel::ExportRegistry(kernel::ParseRegistryPath(u"HKLM\\Missing")).empty());
  auto all = kernel::ExportRegistry(std::nullopt);
  // Both hives, HKEY_CURRENT_USER first, each key under its full path; "Old" is gone again.
  ASSERT_EQ(all.size(), 9u);
  EXPECT_EQ(all[0].path, u"HKEY_CURRENT_USER");
  EXPECT_EQ(all[3].path, u"HKEY_LOCAL_MACHINE");
  EXPECT_EQ(all[8].path, u"HKEY_LOCAL_MACHINE\\Software\\Tavix B");
  EXPECT_EQ(all[2].values.size(), 1u);           // "Stale" was deleted again
  EXPECT_EQ(all[7].values[0].name, u"Blob");     // values ordered by name
  // A failing import applies nothing.
  const std::vector<RegFileKey> failing = {{u"HKLM\\Applied", false, {{u"v", REG_DWORD, {1, 0, 0, 0}}}, {}},
                                           {u"HKEY_USERS\\Nowhere", false, {}, {}}};
  EXPECT_THROW(kernel::ImportRegistry(failing), std::runtime_error);
  EXPECT_EQ(kernel::ExportRegistry(std::nullopt), all);
}

}  // namespace
