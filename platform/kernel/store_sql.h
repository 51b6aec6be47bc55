// The device store's SQL, for the kernel's own services only (the registry); no program or tool
// includes this header.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/device_store.h"

struct sqlite3_stmt;

namespace kernel {

// One prepared statement; binds by 1-based index, steps, reads columns. On a device store's own
// connection the statement is prepared once and kept, reset after each use.
class SqlStatement {
 public:
  SqlStatement(sqlite3* db, std::string_view sql);
  ~SqlStatement();
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;

  SqlStatement& Bind(int index, std::int64_t value);
  SqlStatement& Bind(int index, std::string_view text);
  SqlStatement& BindBlob(int index, const void* data, std::size_t size);

  // Steps once; true while a row is available. Throws on errors.
  bool Step();
  void Run() { while (Step()) {} }

  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  std::vector<std::uint8_t> Blob(int column) const;

 private:
  sqlite3* m_db;
  sqlite3_stmt* m_stmt = nullptr;
  bool m_cached = false;
};

// Runs fn inside one immediate (write-locking) transaction, or one read transaction (a consistent
// snapshot). Calls from several threads are serialised; one inside another joins the outer.
void StoreWrite(DeviceStore& store, const std::function<void(sqlite3*)>& fn);
void StoreRead(DeviceStore& store, const std::function<void(sqlite3*)>& fn);
// Rows changed by the last statement.
int ChangedRows(sqlite3* db);

}  // namespace kernel
