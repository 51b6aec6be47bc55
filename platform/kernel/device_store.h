// "registry.db", the device's persistent store: an SQLite database in WAL mode that several
// processes (the utility, devicectl, a simulated installer) open at once. It holds the registry
// hives, the simulated hardware state and the device's logs. Every operation is its own short
// transaction; writers wait for each other instead of failing, so no write is lost. The SQL stays
// inside the kernel: everyone else uses the typed operations below.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace kernel {

// The store cannot be used as it is: it is not a device store (zero length, another database,
// damaged pages), it is a link, or it cannot be written. The message names the file.
struct DeviceStoreError : std::runtime_error {
  enum class Kind { kDamaged, kLink, kReadOnly, kOther };
  DeviceStoreError(Kind kind, const std::string& message) : std::runtime_error(message), m_kind(kind) {}
  Kind m_kind;
};

struct KeyLogEntry {
  std::uint32_t vk = 0;
  std::uint32_t scan = 0;
  std::uint32_t flags = 0;
  std::uint64_t extra = 0;
};

struct SoundLogEntry {
  std::uint32_t flags = 0;
  std::uint64_t bytes = 0;
  std::uint64_t durationMs = 0;
  std::uint32_t checksum = 0;
  // The wave-out volume word in force when the sound played; none for sounds logged before the
  // store recorded it.
  std::optional<std::uint32_t> volume;
};

struct ResetLogEntry {
  std::string deviceTime;  // local time "YYYY-MM-DDTHH:MM:SS"
  bool failed = false;
};

enum class DeviceLog { kKeys, kSounds, kResets };

// One named hardware state: an integer or a blob.
struct StateEntry {
  std::string name;
  std::optional<std::int64_t> number;  // else blob
  std::vector<std::uint8_t> blob;
  bool operator==(const StateEntry&) const = default;
};

class DeviceStore {
 public:
  // Opens the store, creating a new one when the file does not exist. Throws DeviceStoreError when
  // the file is a symbolic link, is not a device store, or is read-only (nothing is created or
  // changed then), and std::runtime_error for other failures.
  explicit DeviceStore(const std::filesystem::path& file);
  ~DeviceStore();
  DeviceStore(const DeviceStore&) = delete;
  DeviceStore& operator=(const DeviceStore&) = delete;

  // Runs fn as one write transaction: every store operation it makes on this thread joins it, so
  // the whole is applied or (when fn throws) nothing is.
  void Batch(const std::function<void()>& fn);

  // Hardware state: named integers and blobs.
  std::optional<std::int64_t> GetInt(std::string_view name);
  void SetInt(std::string_view name, std::int64_t value);
  std::optional<std::vector<std::uint8_t>> GetBlob(std::string_view name);
  void SetBlob(std::string_view name, const void* data, std::size_t size);
  // Every integer and blob state, ordered by name (a device bundle holds them all).
  std::vector<StateEntry> AllState();

  // The logs, oldest first.
  void AppendKeyLog(const KeyLogEntry& entry);
  std::vector<KeyLogEntry> KeyLog();
  void AppendSoundLog(const SoundLogEntry& entry);
  std::vector<SoundLogEntry> SoundLog();
  // Logs a reset request at the given local time; it fails when the integer state failName is 1.
  // Returns whether it failed. One transaction, so a concurrent change of the flag is seen whole.
  bool RecordReset(std::string_view deviceTime, std::string_view failName);
  std::vector<ResetLogEntry> ResetLog();
  // Appends an entry as it is (a device bundle being laid).
  void AppendResetLog(const ResetLogEntry& entry);
  void ClearLog(DeviceLog log);

  // Empties the registry, the hardware state and the logs in one transaction.
  void Clear();

 private:
  friend void StoreWrite(DeviceStore& store, const std::function<void(sqlite3*)>& fn);
  friend void StoreRead(DeviceStore& store, const std::function<void(sqlite3*)>& fn);
  void Transaction(const char* begin, const std::function<void(sqlite3*)>& fn);

  std::recursive_mutex m_lock;
  sqlite3* m_db = nullptr;
  int m_depth = 0;
};

}  // namespace kernel
