#include "platform/kernel/device_store.h"

#include <sqlite3.h>

#include <stdexcept>

namespace kernel {
namespace {

constexpr int kBusyTimeoutMs = 30000;

// The whole schema; every table is created on first open and left alone afterwards.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS reg_keys (
  hive INTEGER NOT NULL,
  path TEXT NOT NULL,
  fold TEXT NOT NULL,
  PRIMARY KEY (hive, fold)
);
CREATE TABLE IF NOT EXISTS reg_values (
  hive INTEGER NOT NULL,
  key_fold TEXT NOT NULL,
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY (hive, key_fold, fold)
);
CREATE TABLE IF NOT EXISTS state (
  name TEXT PRIMARY KEY,
  value
);
CREATE TABLE IF NOT EXISTS key_log (
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  vk INTEGER NOT NULL,
  scan INTEGER NOT NULL,
  flags INTEGER NOT NULL,
  extra INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS sound_log (
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  flags INTEGER NOT NULL,
  bytes INTEGER NOT NULL,
  duration_ms INTEGER NOT NULL,
  checksum INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS reset_log (
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  device_time TEXT NOT NULL,
  failed INTEGER NOT NULL
);
)sql";

void Check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
    throw std::runtime_error(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
  }
}

void Exec(sqlite3* db, const char* sql) {
  char* message = nullptr;
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    throw std::runtime_error("registry.db: " + text);
  }
}

}  // namespace

SqlStatement::SqlStatement(sqlite3* db, std::string_view sql) : m_db(db) {
  Check(db, sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr), "prepare");
}

SqlStatement::~SqlStatement() { sqlite3_finalize(m_stmt); }

SqlStatement& SqlStatement::Bind(int index, std::int64_t value) {
  Check(m_db, sqlite3_bind_int64(m_stmt, index, value), "bind");
  return *this;
}

SqlStatement& SqlStatement::Bind(int index, std::string_view text) {
  Check(m_db, sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT),
        "bind");
  return *this;
}

SqlStatement& SqlStatement::BindBlob(int index, const void* data, std::size_t size) {
  // A zero-length blob must still be a blob, not NULL.
  static const char kEmpty = 0;
  Check(m_db, sqlite3_bind_blob(m_stmt, index, size ? data : &kEmpty, static_cast<int>(size), SQLITE_TRANSIENT),
        "bind");
  return *this;
}

SqlStatement& SqlStatement::BindNull(int index) {
  Check(m_db, sqlite3_bind_null(m_stmt, index), "bind");
  return *this;
}

bool SqlStatement::Step() {
  int rc = sqlite3_step(m_stmt);
  Check(m_db, rc, "step");
  return rc == SQLITE_ROW;
}

std::int64_t SqlStatement::Int(int column) const { return sqlite3_column_int64(m_stmt, column); }

std::string SqlStatement::Text(int column) const {
  auto* text = sqlite3_column_text(m_stmt, column);
  return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(m_stmt, column)) : "";
}

std::vector<std::uint8_t> SqlStatement::Blob(int column) const {
  auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_stmt, column));
  int size = sqlite3_column_bytes(m_stmt, column);
  return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>{};
}

bool SqlStatement::IsNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

DeviceStore::DeviceStore(const std::filesystem::path& file) {
  int rc = sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) {
    std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    sqlite3_close(m_db);
    throw std::runtime_error("cannot open " + file.string() + ": " + message);
  }
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
  try {
    Exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    Write([](sqlite3* db) { Exec(db, kSchema); });
  } catch (...) {
    sqlite3_close(m_db);
    throw;
  }
}

DeviceStore::~DeviceStore() { sqlite3_close(m_db); }

void DeviceStore::Transaction(const char* begin, const std::function<void(sqlite3*)>& fn) {
  std::lock_guard guard(m_lock);
  // A transaction opened inside another joins it: the outer one commits or rolls back the whole.
  if (m_depth > 0) {
    ++m_depth;
    try {
      fn(m_db);
    } catch (...) {
      --m_depth;
      throw;
    }
    --m_depth;
    return;
  }
  Exec(m_db, begin);
  m_depth = 1;
  try {
    fn(m_db);
    m_depth = 0;
    Exec(m_db, "COMMIT");
  } catch (...) {
    m_depth = 0;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void DeviceStore::Write(const std::function<void(sqlite3*)>& fn) { Transaction("BEGIN IMMEDIATE", fn); }

void DeviceStore::Read(const std::function<void(sqlite3*)>& fn) { Transaction("BEGIN", fn); }

std::optional<std::int64_t> DeviceStore::GetInt(std::string_view name) {
  std::optional<std::int64_t> out;
  Read([&](sqlite3* db) {
    SqlStatement q(db, "SELECT value FROM state WHERE name = ?1 AND typeof(value) = 'integer'");
    q.Bind(1, name);
    if (q.Step()) out = q.Int(0);
  });
  return out;
}

void DeviceStore::SetInt(std::string_view name, std::int64_t value) {
  Write([&](sqlite3* db) {
    SqlStatement q(db, "INSERT OR REPLACE INTO state (name, value) VALUES (?1, ?2)");
    q.Bind(1, name).Bind(2, value).Run();
  });
}

std::optional<std::vector<std::uint8_t>> DeviceStore::GetBlob(std::string_view name) {
  std::optional<std::vector<std::uint8_t>> out;
  Read([&](sqlite3* db) {
    SqlStatement q(db, "SELECT value FROM state WHERE name = ?1 AND typeof(value) = 'blob'");
    q.Bind(1, name);
    if (q.Step()) out = q.Blob(0);
  });
  return out;
}

void DeviceStore::SetBlob(std::string_view name, const void* data, std::size_t size) {
  Write([&](sqlite3* db) {
    SqlStatement q(db, "INSERT OR REPLACE INTO state (name, value) VALUES (?1, ?2)");
    q.Bind(1, name).BindBlob(2, data, size).Run();
  });
}

}  // namespace kernel
