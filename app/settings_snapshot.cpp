#include "app/settings_snapshot.h"

#include <array>
#include <vector>

#include "screens/platform_requests.h"
#include "screens/power_timeout_store.h"
#include "platform/kernel/files.h"
#include "platform/kernel/handle_table.h"

namespace {

constexpr std::array<std::uint8_t, 10> kWideTag = {0xFF, 0xFE, 0xFF, 0x03, 'M', 0x00, 'S', 0x00, 'D', 0x00};
constexpr DWORD kMinimumFileSize = 10;
// A valid file is 18 bytes; a longer one is read only this far, which covers any tag it may hold
// that could still be "MSD" followed by the values.
constexpr DWORD kLongestRead = 64 * 1024;

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  bool Has(std::uint64_t count) const { return m_bytes.size() - m_pos >= count; }
  std::uint64_t Take(int size) {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value |= std::uint64_t{m_bytes[m_pos + i]} << (8 * i);
    m_pos += size;
    return value;
  }
  bool TakeInto(int size, std::uint64_t* value) {
    if (!Has(size)) return false;
    *value = Take(size);
    return true;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
};

// The archive's string length: one byte below 0xFF; else a 16-bit length, where 0xFFFE announces
// wide characters and restarts the length, and 0xFFFF announces a 32-bit length.
bool ReadStringLength(ByteReader& in, bool* wide, std::uint64_t* length) {
  std::uint64_t value = 0;
  if (!in.TakeInto(1, &value)) return false;
  if (value < 0xFF) return *length = value, true;
  if (!in.TakeInto(2, &value)) return false;
  if (value == 0xFFFE) {
    *wide = true;
    if (!in.TakeInto(1, &value)) return false;
    if (value < 0xFF) return *length = value, true;
    if (!in.TakeInto(2, &value)) return false;
  }
  if (value < 0xFFFF) return *length = value, true;
  return in.TakeInto(4, length);
}

void WriteLittleEndian(HANDLE file, DWORD value) {
  BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                   static_cast<BYTE>(value >> 24)};
  DWORD written = 0;
  WriteFile(file, bytes, sizeof bytes, &written, nullptr);
}

// A damaged snapshot goes away: read-only cleared first, so it cannot block every later start.
void DiscardSnapshot(HANDLE file) {
  CloseHandle(file);
  SetFileAttributesW(kSnapshotPath, FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(kSnapshotPath);
}

}  // namespace

SnapshotReading ReadSnapshotBytes(std::span<const std::uint8_t> bytes) {
  SnapshotReading reading;
  ByteReader in(bytes);
  bool wide = false;
  std::uint64_t length = 0;
  if (!ReadStringLength(in, &wide, &length)) return reading;
  std::uint64_t charSize = wide ? 2 : 1;
  if (length > bytes.size() || !in.Has(length * charSize)) return reading;
  for (std::uint64_t i = 0; i < length; ++i) reading.tag.push_back(static_cast<char16_t>(in.Take(static_cast<int>(charSize))));
  reading.tagComplete = true;
  if (in.Has(8)) {
    SnapshotValues values;
    values.backlightLevel = static_cast<DWORD>(in.Take(4));
    values.battSuspend = static_cast<DWORD>(in.Take(4));
    reading.values = values;
  }
  return reading;
}

bool SaveSnapshot() {
  HANDLE file = CreateFileW(kSnapshotPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(file, kWideTag.data(), kWideTag.size(), &written, nullptr);
  WriteLittleEndian(file, QueryBacklightLevel());
  WriteLittleEndian(file, PowerTimeoutStore::ReadBattSuspend());
  FlushFileBuffers(file);
  CloseHandle(file);
  return true;
}

bool RestoreSnapshot() {
  HANDLE file = CreateFileW(kSnapshotPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return true;
  DWORD size = GetFileSize(file, nullptr);
  if (size < kMinimumFileSize) {
    DiscardSnapshot(file);
    return true;
  }
  std::vector<std::uint8_t> bytes(std::min(size, kLongestRead));
  DWORD read = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
  bytes.resize(read);
  SnapshotReading reading = ReadSnapshotBytes(bytes);
  // A file cut short inside its tag or values is treated like one with a wrong tag.
  if (!reading.tagComplete || reading.tag != u"MSD" || !reading.values) {
    DiscardSnapshot(file);
    return true;
  }
  SetBacklightLevel(reading.values->backlightLevel);
  PowerTimeoutStore::WriteBattSuspend(reading.values->battSuspend);
  CloseHandle(file);
  return true;
}
