#include "clock/time_zones.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/gwes/controls/combo_box.h"
#include "platform/gwes/controls/controls.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/window.h"
#include "platform/kernel/process.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/resources.h"
#include "platform/kernel/wide_string.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "tests/support/device_fixture.h"
#include "tests/support/res_writer.h"

namespace {

// Entries of the table and the biases their names give: Newfoundland, Kathmandu, Tonga and others.
constexpr std::pair<int, LONG> kSampleBiases[] = {{0, 720}, {18, 210}, {29, -60}, {48, -330}, {49, -345}, {74, -780}};

constexpr LONG kUntouched = 12345;

std::int64_t Ms(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0, WORD second = 0, WORD ms = 0) {
  return *kernel::SystemTimeToMs(SYSTEMTIME{year, month, 0, day, hour, minute, second, ms});
}

class TimeZonesTest : public ::testing::Test {
 protected:
  TimeZonesTest() {
    kernel::SetProgramResources(ProgramResourceBytes());
    gwes::RegisterStandardControls();
    m_list = CreateWindowExW(0, kComboBoxClassName, u"", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 186, 22, nullptr, nullptr,
                             nullptr, nullptr);
  }
  ~TimeZonesTest() override {
    DestroyWindow(m_list);
    if (LanguageModule != nullptr) FreeLibrary(std::exchange(LanguageModule, nullptr));
  }

  std::u16string Entry(int index) const {
    WCHAR text[64] = {};
    SendMessageW(m_list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
  }
  static TIME_ZONE_INFORMATION Record() {
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    return zone;
  }
  // Clears the selection, selects again and gives the entry chosen.
  LRESULT SelectAgain() const {
    SendMessageW(m_list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SelectInitialZone(m_list);
    return SendMessageW(m_list, CB_GETCURSEL, 0, 0);
  }
  // The registry's default zone: the given value, or none.
  static void SetDefault(std::optional<kernel::RegistryValue> value) {
    auto key = *kernel::ParseRegistryPath(std::u16string(u"HKLM\\") + kZoneIndexKey);
    kernel::RegistryDeleteValue(key, kZoneIndexValue);
    if (value) kernel::RegistrySetValue(key, *value);
  }
  static kernel::RegistryValue Dword(DWORD n) {
    return {kZoneIndexValue, REG_DWORD, {BYTE(n), BYTE(n >> 8), BYTE(n >> 16), BYTE(n >> 24)}};
  }

  testing_support::ImagedDevice m_device;
  HWND m_list = nullptr;
};

TEST_F(TimeZonesTest, TheBiasIsReadFromTheNameAsPlainDecimals) {
  const struct { const char16_t* name; BOOL ok; LONG bias; } kCases[] = {
      {u"GMT+5:30", FALSE, kUntouched},             // no space after the offset
      {u"GMT+99999999999 Far", FALSE, kUntouched},  // beyond any bias
      {u"GMT+35791394 Far", TRUE, -2147483640},     // the largest whole hours a bias holds
      {u"GMT+x Nowhere", TRUE, 0},                  // no leading digits: 0
      {u"GMT-5:3x0 Somewhere", TRUE, 303},          // leading digits only
      {u"GMT+1:30:15 Somewhere", TRUE, -90},        // the minutes: digits after the first colon
      {u"GMT", TRUE, 0},                            // no sign: universal time
      {nullptr, FALSE, kUntouched},
  };
  for (const auto& c : kCases) {
    LONG bias = kUntouched;
    EXPECT_EQ(ZoneBiasFromName(c.name, &bias), c.ok) << (c.name ? kernel::WideToUtf8(c.name) : "null");
    EXPECT_EQ(bias, c.bias) << (c.name ? kernel::WideToUtf8(c.name) : "null");
  }
}

// A language module renames the zones and so decides their offsets; a record still named
// "Pacific Standard Time" selects the default even where an entry holds that name.
TEST_F(TimeZonesTest, ALanguageModuleSuppliesTheNames) {
  constexpr UINT kPacific = kFirstZoneStringId + 4, kDelhi = kFirstZoneStringId + 48;
  auto block = [](UINT id, const char16_t* text) { return test::StringBlock({{id % 16, text}}); };
  test::Bytes module = test::ResWriter()
                           .Add(WORD{6}, WORD{kPacific / 16 + 1}, 1031, block(kPacific, u"GMT-8 Pacific Standard Time"))
                           .Add(WORD{6}, WORD{kDelhi / 16 + 1}, 1031, block(kDelhi, u"GMT+5:30 Neu-Delhi"))
                           .bytes;
  testing_support::WriteHostFile(m_device.Host("Windows/Utility.exe.0407.mui"), module);
  LanguageModule = LoadLibraryW(u"\\Windows\\Utility.exe.0407.mui");
  ASSERT_NE(LanguageModule, nullptr);
  FillZoneList(m_list);
  EXPECT_EQ(Entry(48), u"GMT+5:30 Neu-Delhi");
  EXPECT_EQ(Entry(49), u"");  // the module is the only source of the texts
  EXPECT_EQ(SelectAgain(), kFallbackZoneIndex);
  ApplyZone(Entry(48).c_str());
  EXPECT_EQ(Record().Bias, -330);
}

TEST_F(TimeZonesTest, TheInitialZoneIsTheFirstEntryHoldingTheStandardNameElseTheDefault) {
  const struct { const char16_t* name; std::optional<kernel::RegistryValue> value; LRESULT selected; } kCases[] = {
      {kPacificStandardName, std::nullopt, kFallbackZoneIndex},
      {kPacificStandardName, Dword(3), 3},
      {kPacificStandardName, Dword(75), kLastZoneIndex},
      {kPacificStandardName, Dword(0xFFFFFFFF), kLastZoneIndex},  // -1, taken as unsigned
      {kPacificStandardName, kernel::RegistryValue{kZoneIndexValue, REG_SZ, {'5', 0, 0, 0}}, kFallbackZoneIndex},
      {u"GMT-7", Dword(3), 5},         // the first of three entries
      {u"gmt+13 tonga", Dword(3), 3},  // compared case by case
      {u"", Dword(3), 0},              // an empty name is in every entry
  };
  FillZoneList(m_list);
  for (const auto& c : kCases) {
    TIME_ZONE_INFORMATION zone{};
    std::copy_n(c.name, std::char_traits<char16_t>::length(c.name), zone.StandardName);
    SetTimeZoneInformation(&zone);
    SetDefault(c.value);
    EXPECT_EQ(SelectAgain(), c.selected) << kernel::WideToUtf8(c.name);
  }
}

// The list holds the zone-name text in order. A zone written is found again at the next opening;
// only the bias and the names change, the daylight rule stays. A name without an offset keeps the
// bias, a long one is cut.
TEST_F(TimeZonesTest, TheListHoldsTheNamesAndAnAppliedZoneIsSelectedAgainKeepingTheDaylightRule) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_ZONE_NAMES), u"TXT");
  ASSERT_NE(found, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                   SizeofResource(nullptr, found));
  FillZoneList(m_list);
  ASSERT_EQ(SendMessageW(m_list, CB_GETCOUNT, 0, 0), kZoneCount);
  std::u16string entries;
  for (int index = 0; index < kZoneCount; ++index) entries += (index == 0 ? u"" : u"\r\n") + Entry(index);
  EXPECT_EQ(entries, std::u16string(text.begin(), text.end()));

  TIME_ZONE_INFORMATION before = kernel::PacificTimeZone();
  before.StandardDate = SYSTEMTIME{0, 10, 0, 5, 3, 0, 0, 0};
  before.DaylightBias = -30;
  SetTimeZoneInformation(&before);
  SetDefault(Dword(3));
  for (auto [index, bias] : kSampleBiases) {
    std::u16string name = Entry(index);
    ApplyZone(name.c_str());
    TIME_ZONE_INFORMATION zone = Record();
    EXPECT_EQ(zone.Bias, bias) << index;
    EXPECT_TRUE(name == zone.StandardName && name == zone.DaylightName) << index;
    EXPECT_EQ(std::memcmp(&zone.StandardDate, &before.StandardDate, sizeof(SYSTEMTIME)), 0) << index;
    EXPECT_EQ(zone.DaylightBias, -30) << index;
    EXPECT_EQ(SelectAgain(), index);
  }
  ApplyZone(u"GMT+1Paris");
  EXPECT_EQ(Record().Bias, -780);
  std::u16string longName = u"GMT+2 " + std::u16string(40, u'x');
  ApplyZone(longName.c_str());
  EXPECT_EQ(Record().Bias, -120);
  EXPECT_EQ(std::u16string(Record().DaylightName), longName.substr(0, 31));
}

// The clock moves by whole seconds, so the local time under the new bias names the same universal
// time; a move the clock cannot show leaves it alone.
TEST_F(TimeZonesTest, ShiftingTheClockMovesLocalTimeByTheBiasDifference) {
  TIME_ZONE_INFORMATION plain{};  // no daylight time: local time is universal time
  SetTimeZoneInformation(&plain);
  const struct { std::int64_t local; LONG from, to; std::int64_t expected; } kCases[] = {
      {Ms(2026, 3, 1, 13, 0, 1, 750), -60, -60, Ms(2026, 3, 1, 13, 0, 1, 750)},
      {Ms(2026, 3, 31, 23, 30, 15, 500), 0, -60, Ms(2026, 4, 1, 0, 30, 15)},
      {Ms(2026, 1, 1, 5, 0, 0), -780, 720, Ms(2025, 12, 31, 4, 0, 0)},
      {Ms(2026, 7, 4, 12, 0, 0), -345, 210, Ms(2026, 7, 4, 2, 45, 0)},
      {Ms(1601, 1, 1, 0, 30, 0), 0, 60, Ms(1601, 1, 1, 0, 30, 0)},        // before the first day
      {Ms(9999, 12, 31, 23, 0, 0), 0, -120, Ms(9999, 12, 31, 23, 0, 0)},  // past the last
  };
  for (const auto& c : kCases) {
    SYSTEMTIME start = kernel::MsToSystemTime(c.local);
    ASSERT_TRUE(SetLocalTime(&start));
    ShiftClock(c.from, c.to);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(*kernel::SystemTimeToMs(now), c.expected) << c.from << " -> " << c.to << " at " << c.local;
  }
}

}  // namespace
