// "registry.db", the device's persistent store: an SQLite database in WAL mode that several
// processes (the utility, devicectl, a simulated installer) open at once. It holds the registry
// hives and the simulated hardware state. Every operation is its own short transaction; writers
// wait for each other instead of failing, so no write is lost.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace kernel {

// One prepared statement; binds by 1-based index, steps, reads columns.
class SqlStatement {
 public:
  SqlStatement(sqlite3* db, std::string_view sql);
  ~SqlStatement();
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;

  SqlStatement& Bind(int index, std::int64_t value);
  SqlStatement& Bind(int index, std::string_view text);
  SqlStatement& BindBlob(int index, const void* data, std::size_t size);
  SqlStatement& BindNull(int index);

  // Steps once; true while a row is available. Throws on errors.
  bool Step();
  void Run() { while (Step()) {} }

  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  std::vector<std::uint8_t> Blob(int column) const;
  bool IsNull(int column) const;

 private:
  sqlite3* m_db;
  sqlite3_stmt* m_stmt = nullptr;
};

class DeviceStore {
 public:
  explicit DeviceStore(const std::filesystem::path& file);
  ~DeviceStore();
  DeviceStore(const DeviceStore&) = delete;
  DeviceStore& operator=(const DeviceStore&) = delete;

  // Runs fn inside one immediate (write-locking) transaction, committed when fn returns and rolled
  // back when it throws. Calls from several threads of the process are serialised; a Write or Read
  // inside another joins the outer transaction. Open a Write, not a Read, around anything that
  // writes.
  void Write(const std::function<void(sqlite3*)>& fn);
  // Runs fn inside one read transaction: a consistent snapshot.
  void Read(const std::function<void(sqlite3*)>& fn);

  // Hardware state: named integers and blobs in the "state" table.
  std::optional<std::int64_t> GetInt(std::string_view name);
  void SetInt(std::string_view name, std::int64_t value);
  std::optional<std::vector<std::uint8_t>> GetBlob(std::string_view name);
  void SetBlob(std::string_view name, const void* data, std::size_t size);

 private:
  void Transaction(const char* begin, const std::function<void(sqlite3*)>& fn);

  std::recursive_mutex m_lock;
  sqlite3* m_db = nullptr;
  int m_depth = 0;
};

}  // namespace kernel
