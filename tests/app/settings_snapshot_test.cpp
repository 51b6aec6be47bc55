#include "app/settings_snapshot.h"

#include <gtest/gtest.h>

#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/registry.h"
#include "tests/support/device_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testing_support::ReadHostFile;
using testing_support::WriteHostFile;

const kernel::RegistryPath kTimeouts{HKEY_LOCAL_MACHINE, u"System\\CurrentControlSet\\Control\\Power\\Timeouts"};

class SnapshotTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return device.Host("My Flash Disk/Setting.dat"); }
  std::int64_t Backlight() { return device.Device().Store().GetInt(kernel::state::kBacklight).value_or(-1); }
  void SetBacklight(int level) { device.Device().Store().SetInt(kernel::state::kBacklight, level); }
  std::optional<DWORD> BattSuspend() {
    auto value = kernel::RegistryGetValue(kTimeouts, u"BattSuspend");
    if (!value || value->data.size() != 4) return std::nullopt;
    return value->data[0] | (value->data[1] << 8) | (value->data[2] << 16) | (DWORD{value->data[3]} << 24);
  }
  void SetBattSuspend(DWORD seconds) {
    kernel::RegistryValue value{u"BattSuspend", REG_DWORD, {}};
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(seconds >> (8 * i)));
    ASSERT_TRUE(kernel::RegistrySetValue(kTimeouts, value));
  }

  testing_support::ImagedDevice device;
};

TEST_F(SnapshotTest, SaveWritesTheTagThenBacklightThenTimeout) {
  SetBacklight(5);
  SetBattSuspend(600);
  ASSERT_TRUE(SaveSnapshot());
  EXPECT_EQ(ReadHostFile(File()), (Bytes{0xFF, 0xFE, 0xFF, 0x03, 0x4D, 0x00, 0x53, 0x00, 0x44, 0x00, 0x05, 0x00,
                                         0x00, 0x00, 0x58, 0x02, 0x00, 0x00}));

  // Without the value (or its key) the time-out is stored as zero, and the file is rewritten whole.
  ASSERT_TRUE(kernel::RegistryDeleteKey(kTimeouts));
  SetBacklight(8);
  ASSERT_TRUE(SaveSnapshot());
  EXPECT_EQ(ReadHostFile(File()), (Bytes{0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0, 8, 0, 0, 0, 0, 0, 0, 0}));
}

// A read-only file is not saved over; a file open elsewhere is neither saved over nor restored.
TEST_F(SnapshotTest, AFileItCannotOpenIsLeftAlone) {
  const Bytes kept = {0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0, 2, 0, 0, 0, 0x58, 0x02, 0, 0};
  WriteHostFile(File(), kept);
  SetBacklight(6);
  ASSERT_TRUE(SetFileAttributesW(kSnapshotPath, FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(SaveSnapshot());
  EXPECT_EQ(ReadHostFile(File()), kept);

  ASSERT_TRUE(SetFileAttributesW(kSnapshotPath, FILE_ATTRIBUTE_NORMAL));
  HANDLE open = CreateFileW(kSnapshotPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SaveSnapshot());
  EXPECT_TRUE(RestoreSnapshot());
  CloseHandle(open);
  EXPECT_EQ(ReadHostFile(File()), kept);
  EXPECT_EQ(Backlight(), 6);
}

// Both values go back, from the wide tag Save writes and from the narrow ones; the time-out only
// where its key is; the file stays.
TEST_F(SnapshotTest, RestorePutsTheValuesBackAndKeepsTheFile) {
  struct Row { Bytes file; bool timeoutsKey; std::int64_t backlight; std::optional<DWORD> battSuspend; } rows[] = {
      {{0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0, 3, 0, 0, 0, 0xB0, 0x04, 0, 0}, true, 3, 1200},
      {{0x03, 'M', 'S', 'D', 0x02, 0, 0, 0, 0x08, 0x07, 0, 0}, true, 2, 1800},
      {{0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0, 4, 0, 0, 0, 0x58, 0x02, 0, 0}, false, 4, std::nullopt},
      // A 16-bit length after 0xFF, narrow and wide, and a 32-bit one after 0xFFFF.
      {{0xFF, 0x03, 0x00, 'M', 'S', 'D', 1, 0, 0, 0, 2, 0, 0, 0}, true, 1, 2},
      {{0xFF, 0xFE, 0xFF, 0xFF, 0x03, 0x00, 'M', 0, 'S', 0, 'D', 0, 5, 0, 0, 0, 1, 0, 0, 0}, true, 5, 1},
      {{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 'M', 0, 'S', 0, 'D', 0, 6, 0, 0, 0, 1, 0, 0, 0}, true, 6, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&row - rows));
    SetBacklight(7);
    SetBattSuspend(0);
    if (!row.timeoutsKey) {
      ASSERT_TRUE(kernel::RegistryDeleteKey(kTimeouts));
    }
    WriteHostFile(File(), row.file);
    EXPECT_TRUE(RestoreSnapshot());
    EXPECT_EQ(Backlight(), row.backlight);
    EXPECT_EQ(BattSuspend(), row.battSuspend);
    EXPECT_EQ(kernel::RegistryKeyExists(kTimeouts), row.timeoutsKey);
    EXPECT_TRUE(std::filesystem::exists(File()));
  }
}

TEST_F(SnapshotTest, DamagedFilesAreDeletedAndNothingIsRestored) {
  const std::pair<const char*, Bytes> kDamaged[] = {
      {"nine bytes", {0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D'}},
      {"another wide tag", {0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'X', 0, 3, 0, 0, 0, 1, 0, 0, 0}},
      {"another narrow tag", {0x03, 'A', 'B', 'C', 3, 0, 0, 0, 1, 0, 0, 0}},
      {"a longer tag", {0x04, 'M', 'S', 'D', 'X', 3, 0, 0, 0, 1, 0, 0, 0}},
      {"tag without values", {0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0}},
      {"values cut short", {0xFF, 0xFE, 0xFF, 0x03, 'M', 0, 'S', 0, 'D', 0, 3, 0, 0, 0, 1, 0}},
      {"huge length prefix", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'M', 0, 'S', 0}},
      {"32-bit length past the end", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x00, 0x00, 0x00, 'M', 0}},
      {"empty", {}},
  };
  for (const auto& [what, bytes] : kDamaged) {
    SCOPED_TRACE(what);
    SetBacklight(6);
    SetBattSuspend(600);
    WriteHostFile(File(), bytes);
    EXPECT_TRUE(RestoreSnapshot());
    EXPECT_FALSE(std::filesystem::exists(File()));
    EXPECT_EQ(Backlight(), 6);
    EXPECT_EQ(BattSuspend(), 600u);
  }

  // A read-only damaged file loses its read-only attribute and goes too.
  WriteHostFile(File(), {0x03, 'X', 'Y', 'Z', 3, 0, 0, 0, 1, 0, 0, 0});
  ASSERT_TRUE(SetFileAttributesW(kSnapshotPath, FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(RestoreSnapshot());
  EXPECT_FALSE(std::filesystem::exists(File()));
  EXPECT_EQ(Backlight(), 6);
}

}  // namespace
