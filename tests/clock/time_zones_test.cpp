#include "clock/time_zones.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

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

// The bias of each entry of the table, in minutes, as its name gives it (15 entries a row).
constexpr LONG kTableBiases[kZoneCount] = {
    720,  660,  600,  540,  480,  420,  420,  420,  360,  360,  360,  360,  300,  300,  300,
    240,  240,  240,  210,  180,  180,  180,  120,  60,   60,   0,    0,    -60,  -60,  -60,
    -60,  -60,  -120, -120, -120, -120, -120, -120, -180, -180, -180, -180, -210, -240, -240,
    -270, -300, -300, -330, -345, -360, -360, -360, -390, -420, -420, -480, -480, -480, -480,
    -480, -540, -540, -540, -570, -570, -600, -600, -600, -600, -600, -660, -720, -720, -780};

constexpr LONG kUntouched = 12345;

std::int64_t LocalMs() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return *kernel::SystemTimeToMs(now);
}

std::int64_t Ms(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0, WORD second = 0, WORD ms = 0) {
  return *kernel::SystemTimeToMs(SYSTEMTIME{year, month, 0, day, hour, minute, second, ms});
}

class TimeZonesTest : public ::testing::Test {
 protected:
  TimeZonesTest() {
    kernel::SetProgramResources(ProgramResourceBytes());
    gwes::RegisterStandardControls();
    // The page's hidden zone list: a drop-down list, not sorted.
    m_list = CreateWindowExW(0, kComboBoxClassName, u"", WS_POPUP | WS_VSCROLL | CBS_DROPDOWNLIST, 68, 90, 186, 22,
                             nullptr, nullptr, nullptr, nullptr);
  }
  ~TimeZonesTest() override {
    DestroyWindow(m_list);
    if (LanguageModule != nullptr) FreeLibrary(LanguageModule);
    LanguageModule = nullptr;
  }

  std::u16string Entry(int index) const {
    WCHAR text[64] = {};
    SendMessageW(m_list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
  }
  LRESULT Selection() const { return SendMessageW(m_list, CB_GETCURSEL, 0, 0); }

  static TIME_ZONE_INFORMATION Record() {
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    return zone;
  }
  static void SetStandardName(const std::u16string& name) {
    TIME_ZONE_INFORMATION zone = Record();
    std::fill(std::begin(zone.StandardName), std::end(zone.StandardName), u'\0');
    name.copy(zone.StandardName, 31);
    SetTimeZoneInformation(&zone);
  }
  // The registry's default zone: a 32-bit number, another kind of value, or nothing.
  static void SetDefaultIndex(std::optional<kernel::RegistryValue> value) {
    auto key = *kernel::ParseRegistryPath(std::u16string(u"HKLM\\") + kZoneIndexKey);
    kernel::RegistryDeleteValue(key, kZoneIndexValue);
    if (value) kernel::RegistrySetValue(key, *value);
  }
  static kernel::RegistryValue Dword(DWORD number) {
    return {kZoneIndexValue, REG_DWORD, {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)}};
  }

  testing_support::ImagedDevice m_device;
  HWND m_list = nullptr;
};

// The names in the list are the program's strings 49 to 123, in the order of the zone-name text.
TEST_F(TimeZonesTest, TheListHoldsTheSeventyFiveNamesInTableOrderWithTheirBiases) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_ZONE_NAMES), u"TXT");
  ASSERT_NE(found, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                   SizeofResource(nullptr, found));
  FillZoneList(m_list);
  ASSERT_EQ(SendMessageW(m_list, CB_GETCOUNT, 0, 0), kZoneCount);
  std::u16string entries;
  for (int index = 0; index < kZoneCount; ++index) {
    entries += (index == 0 ? u"" : u"\r\n") + Entry(index);
    LONG bias = kUntouched;
    EXPECT_TRUE(ZoneBiasFromName(Entry(index).c_str(), &bias)) << index;
    EXPECT_EQ(bias, kTableBiases[index]) << index;
  }
  EXPECT_EQ(entries, std::u16string(text.begin(), text.end()));
}

TEST_F(TimeZonesTest, TheBiasIsReadFromTheNameAsPlainDecimals) {
  struct Case {
    const char16_t* name;
    BOOL ok;
    LONG bias;
  };
  const Case kCases[] = {
      {u"GMT+5:30", FALSE, kUntouched},             // no space after the offset
      {u"GMT+99999999999 Far", FALSE, kUntouched},  // beyond any bias
      {u"GMT+35791394 Far", TRUE, -2147483640},     // the largest whole hours a bias holds
      {u"GMT+x Nowhere", TRUE, 0},                  // no leading digits: 0
      {u"GMT-5:3x0 Somewhere", TRUE, 303},          // leading digits only
      {u"GMT+1:30:15 Somewhere", TRUE, -90},        // the minutes: digits after the first colon
      {u"GMT", TRUE, 0},                            // no sign: universal time
  };
  for (const Case& c : kCases) {
    LONG bias = kUntouched;
    EXPECT_EQ(ZoneBiasFromName(c.name, &bias), c.ok) << kernel::WideToUtf8(c.name);
    EXPECT_EQ(bias, c.bias) << kernel::WideToUtf8(c.name);
  }
  LONG bias = kUntouched;
  EXPECT_FALSE(ZoneBiasFromName(nullptr, &bias));
  EXPECT_EQ(bias, kUntouched);
}

// A language module renames the zones; the list shows its names and the offset follows them. A
// record still named "Pacific Standard Time" selects the default even where an entry holds that.
TEST_F(TimeZonesTest, ALanguageModuleSuppliesTheNames) {
  constexpr UINT kPacific = kFirstZoneStringId + 4;  // string 53: block 4, slot 5
  constexpr UINT kDelhi = kFirstZoneStringId + 48;   // string 97: block 7, slot 1
  test::Bytes module =
      test::ResWriter()
          .Add(WORD{6}, WORD{kPacific / 16 + 1}, 1031,
               test::StringBlock({{kPacific % 16, u"GMT-8 Pacific Standard Time"}}))
          .Add(WORD{6}, WORD{kDelhi / 16 + 1}, 1031, test::StringBlock({{kDelhi % 16, u"GMT+5:30 Neu-Delhi"}}))
          .bytes;
  testing_support::WriteHostFile(m_device.Host("Windows/Utility.exe.0407.mui"), module);
  LanguageModule = LoadLibraryW(u"\\Windows\\Utility.exe.0407.mui");
  ASSERT_NE(LanguageModule, nullptr);
  FillZoneList(m_list);
  ASSERT_EQ(SendMessageW(m_list, CB_GETCOUNT, 0, 0), kZoneCount);
  EXPECT_EQ(Entry(48), u"GMT+5:30 Neu-Delhi");
  EXPECT_EQ(Entry(49), u"");  // the module is the only source of the texts
  SelectInitialZone(m_list);
  EXPECT_EQ(Selection(), 29);
  ApplyZone(Entry(48).c_str());
  EXPECT_EQ(Record().Bias, -330);
}

TEST_F(TimeZonesTest, TheInitialZoneIsTheFirstEntryHoldingTheStandardNameElseTheDefault) {
  struct Case {
    const char16_t* standardName;
    std::optional<kernel::RegistryValue> defaultIndex;
    LRESULT selected;
  };
  const Case kCases[] = {
      {kPacificStandardName, Dword(29), 29},
      {kPacificStandardName, std::nullopt, 29},
      {kPacificStandardName, Dword(3), 3},
      {kPacificStandardName, Dword(75), 74},
      {kPacificStandardName, Dword(0xFFFFFFFF), 74},  // -1, taken as unsigned
      {kPacificStandardName, kernel::RegistryValue{kZoneIndexValue, REG_SZ, {'5', 0, 0, 0}}, 29},
      {u"GMT-7", Dword(3), 5},         // the first of three entries
      {u"gmt+13 tonga", Dword(3), 3},  // compared case by case
      {u"Central European Standard Time", Dword(12), 12},
      {u"", Dword(3), 0},  // an empty name is in every entry
  };
  FillZoneList(m_list);
  for (const Case& c : kCases) {
    SetStandardName(c.standardName);
    SetDefaultIndex(c.defaultIndex);
    SendMessageW(m_list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SelectInitialZone(m_list);
    EXPECT_EQ(Selection(), c.selected) << kernel::WideToUtf8(c.standardName) << ", default "
                                       << (c.defaultIndex ? c.defaultIndex->data[0] : -1);
  }
}

// Each zone written is found again at the next opening, and only the bias and the names change:
// the daylight dates and biases in force stay.
TEST_F(TimeZonesTest, AnAppliedZoneIsSelectedAgainAndKeepsTheDaylightRule) {
  TIME_ZONE_INFORMATION before = kernel::PacificTimeZone();
  before.StandardDate = SYSTEMTIME{0, 10, 0, 5, 3, 0, 0, 0};
  before.DaylightDate = SYSTEMTIME{0, 3, 0, 5, 2, 0, 0, 0};
  before.StandardBias = 5;
  before.DaylightBias = -30;
  SetTimeZoneInformation(&before);
  FillZoneList(m_list);
  SetDefaultIndex(Dword(3));
  for (int index = 0; index < kZoneCount; ++index) {
    std::u16string name = Entry(index);
    ApplyZone(name.c_str());
    TIME_ZONE_INFORMATION zone = Record();
    EXPECT_EQ(zone.Bias, kTableBiases[index]) << index;
    EXPECT_EQ(std::u16string(zone.StandardName), name);
    EXPECT_EQ(std::u16string(zone.DaylightName), name);
    EXPECT_EQ(std::memcmp(&zone.StandardDate, &before.StandardDate, sizeof(SYSTEMTIME)), 0) << index;
    EXPECT_EQ(std::memcmp(&zone.DaylightDate, &before.DaylightDate, sizeof(SYSTEMTIME)), 0) << index;
    EXPECT_EQ(zone.StandardBias, 5);
    EXPECT_EQ(zone.DaylightBias, -30);
    SendMessageW(m_list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SelectInitialZone(m_list);
    EXPECT_EQ(Selection(), index);
  }
  // A name without an offset keeps the bias; one longer than the record's fields is cut to fit.
  ApplyZone(u"GMT+1Paris");
  EXPECT_EQ(Record().Bias, -780);
  EXPECT_EQ(std::u16string(Record().StandardName), u"GMT+1Paris");
  std::u16string longName = u"GMT+2 " + std::u16string(40, u'x');
  ApplyZone(longName.c_str());
  EXPECT_EQ(Record().Bias, -120);
  EXPECT_EQ(std::u16string(Record().StandardName), longName.substr(0, 31));
  EXPECT_EQ(std::u16string(Record().DaylightName), longName.substr(0, 31));
}

// The local clock moves by whole seconds, so the local time under the new bias names the same
// universal time; a move the clock cannot show leaves it alone.
TEST_F(TimeZonesTest, ShiftingTheClockMovesLocalTimeByTheBiasDifference) {
  TIME_ZONE_INFORMATION plain{};  // no daylight time, so local time is universal time minus 0
  SetTimeZoneInformation(&plain);
  struct Case {
    std::int64_t local;
    LONG from, to;
    std::int64_t expected;
  };
  const Case kCases[] = {
      {Ms(2026, 3, 1, 13, 0, 1, 750), -60, -120, Ms(2026, 3, 1, 14, 0, 1)},
      {Ms(2026, 3, 1, 13, 0, 1, 750), -60, -60, Ms(2026, 3, 1, 13, 0, 1, 750)},
      {Ms(2026, 3, 31, 23, 30, 15, 500), 0, -60, Ms(2026, 4, 1, 0, 30, 15)},
      {Ms(2026, 1, 1, 5, 0, 0), -780, 720, Ms(2025, 12, 31, 4, 0, 0)},
      {Ms(2026, 7, 4, 12, 0, 0), -345, 210, Ms(2026, 7, 4, 2, 45, 0)},
      {Ms(2024, 2, 28, 22, 0, 0), 300, -330, Ms(2024, 2, 29, 8, 30, 0)},
      {Ms(1601, 1, 1, 0, 30, 0), 0, 60, Ms(1601, 1, 1, 0, 30, 0)},        // before the first day
      {Ms(9999, 12, 31, 23, 0, 0), 0, -120, Ms(9999, 12, 31, 23, 0, 0)},  // past the last
  };
  for (const Case& c : kCases) {
    SYSTEMTIME start = kernel::MsToSystemTime(c.local);
    ASSERT_TRUE(SetLocalTime(&start));
    ShiftClock(c.from, c.to);
    EXPECT_EQ(LocalMs(), c.expected) << c.from << " -> " << c.to << " at " << c.local;
  }
}

}  // namespace
