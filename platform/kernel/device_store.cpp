#include "platform/kernel/device_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>

#include "platform/kernel/store_sql.h"

namespace kernel {
namespace {

constexpr int kBusyTimeoutMs = 30000;
// Marks a database as a device store ("QvDS"), so another program's database is never taken for one.
constexpr std::int64_t kApplicationId = 0x51764453;
constexpr const char* kTables[] = {"reg_keys", "reg_values", "state", "key_log", "sound_log", "reset_log"};

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
  checksum INTEGER NOT NULL,
  volume INTEGER
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

namespace {

// Prepared statements of the stores' own connections, kept for the connection's lifetime: the store
// runs the same few statements again and again (a clock read every half second), and preparing one
// costs more than running it. A statement in use is prepared afresh for a nested use.
struct CachedStatement {
  sqlite3_stmt* stmt = nullptr;
  bool busy = false;
};
using StatementCache = std::map<std::string, CachedStatement, std::less<>>;

// Never destroyed: a store held by a static object closes after the ordinary statics are gone.
std::mutex& CacheLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
std::map<sqlite3*, StatementCache>& Caches() {
  static auto* caches = new std::map<sqlite3*, StatementCache>;
  return *caches;
}

void StartStatementCache(sqlite3* db) {
  std::lock_guard guard(CacheLock());
  Caches()[db];
}

// Finalizes the connection's kept statements, so that it can be closed.
void EndStatementCache(sqlite3* db) {
  std::lock_guard guard(CacheLock());
  auto found = Caches().find(db);
  if (found == Caches().end()) return;
  for (auto& [sql, cached] : found->second) sqlite3_finalize(cached.stmt);
  Caches().erase(found);
}

}  // namespace

SqlStatement::SqlStatement(sqlite3* db, std::string_view sql) : m_db(db) {
  CachedStatement* slot = nullptr;
  {
    std::lock_guard guard(CacheLock());
    if (auto cache = Caches().find(db); cache != Caches().end()) {
      auto found = cache->second.find(sql);
      if (found == cache->second.end()) found = cache->second.emplace(std::string(sql), CachedStatement{}).first;
      if (!found->second.busy) {
        slot = &found->second;
        slot->busy = true;
      }
    }
  }
  m_cached = slot != nullptr;
  if (slot != nullptr && slot->stmt != nullptr) {
    m_stmt = slot->stmt;
    return;
  }
  int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr);
  if (slot != nullptr) {
    std::lock_guard guard(CacheLock());
    slot->stmt = m_stmt;
    if (rc != SQLITE_OK) slot->busy = false;
  }
  Check(db, rc, "prepare");
}

SqlStatement::~SqlStatement() {
  if (!m_cached) {
    sqlite3_finalize(m_stmt);
    return;
  }
  sqlite3_reset(m_stmt);
  sqlite3_clear_bindings(m_stmt);
  std::lock_guard guard(CacheLock());
  auto cache = Caches().find(m_db);
  if (cache == Caches().end()) return;
  for (auto& [sql, cached] : cache->second) {
    if (cached.stmt == m_stmt) cached.busy = false;
  }
}

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

namespace {

using Kind = DeviceStoreError::Kind;

std::string Quoted(const std::filesystem::path& file) { return file.string(); }

// Refuses what must not be opened before SQLite touches anything: a link in place of the store or
// its journal files, something that is not a plain file, an empty file (SQLite would take it for
// a new database) and a file without its owner's write bit (SQLite would open it read-only and
// leave journal files that stay read-only after the store is writable again).
void CheckStoreFiles(const std::filesystem::path& file) {
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::filesystem::path path = file.string() + suffix;
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (S_ISLNK(st.st_mode)) {
      throw DeviceStoreError(Kind::kLink, Quoted(path) + " is a symbolic link; the device store must be a file of the device root");
    }
    if (!S_ISREG(st.st_mode)) {
      throw DeviceStoreError(Kind::kDamaged, Quoted(path) + " is damaged: not a file (devicectl init --force repairs the device)");
    }
    if (*suffix == 0 && st.st_size == 0) {
      throw DeviceStoreError(Kind::kDamaged, Quoted(path) + " is damaged: it is empty (devicectl init --force repairs the device)");
    }
    if ((st.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0) {
      throw DeviceStoreError(Kind::kReadOnly, Quoted(path) + " is read-only; the device needs to write it");
    }
  }
}

// Creates a new, empty store under a temporary name and links it into place, so no other process
// ever sees a half-made (empty) store file. When another process got there first, its store is kept.
void CreateStore(const std::filesystem::path& file) {
  static std::atomic<int> counter{0};
  std::filesystem::path temp = file.string() + "-new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  try {
    if (rc != SQLITE_OK) throw std::runtime_error(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    Exec(db, ("PRAGMA application_id=" + std::to_string(kApplicationId) + "; PRAGMA journal_mode=WAL;").c_str());
    Exec(db, "BEGIN IMMEDIATE");
    Exec(db, kSchema);
    Exec(db, "COMMIT");
  } catch (const std::exception& e) {
    sqlite3_close(db);
    ::unlink(temp.c_str());
    throw std::runtime_error("cannot create " + Quoted(file) + ": " + e.what());
  }
  sqlite3_close(db);
  int linked = ::link(temp.c_str(), file.c_str());
  int error = errno;
  ::unlink(temp.c_str());
  if (linked != 0 && error != EEXIST) {
    throw std::runtime_error("cannot create " + Quoted(file) + ": " + std::strerror(error));
  }
}

// Reads one integer, mapping a file that is not a database to a damaged store.
std::int64_t QueryInt(sqlite3* db, const std::filesystem::path& file, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
  std::int64_t value = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_finalize(stmt);
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) return value;
  if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) {
    throw DeviceStoreError(Kind::kDamaged, Quoted(file) + " is damaged: " + sqlite3_errstr(rc) +
                                               " (devicectl init --force repairs the device)");
  }
  throw std::runtime_error("cannot read " + Quoted(file) + ": " + sqlite3_errmsg(db));
}

// A device store carries its mark (or, made before the mark, all its tables) and passes SQLite's
// quick check of its pages.
void VerifyStore(sqlite3* db, const std::filesystem::path& file) {
  auto damaged = [&](const std::string& why) {
    return DeviceStoreError(Kind::kDamaged,
                            Quoted(file) + " is damaged: " + why + " (devicectl init --force repairs the device)");
  };
  std::int64_t id = QueryInt(db, file, "PRAGMA application_id");
  if (id != 0 && id != kApplicationId) throw damaged("it is another program's database");
  // The store is small and the host keeps its pages cached, so a small page cache is enough; it
  // also keeps the check of every page below from holding the whole file in memory.
  Exec(db, "PRAGMA cache_size=-128;");
  std::string tables = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN (";
  for (const char* table : kTables) tables += std::string(table == kTables[0] ? "'" : ", '") + table + "'";
  tables += ")";
  if (QueryInt(db, file, tables.c_str()) != static_cast<std::int64_t>(std::size(kTables))) {
    throw damaged("it is not a device store");
  }
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
  std::string verdict = rc == SQLITE_ROW && sqlite3_column_text(stmt, 0)
                            ? reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))
                            : sqlite3_errstr(rc);
  sqlite3_finalize(stmt);
  if (verdict != "ok") throw damaged(verdict);
}

// Stores made before the sound log kept the volume word get its column; a peer that adds it
// first wins, so the check runs again inside the write transaction.
void AddSoundVolumeColumn(sqlite3* db, const std::filesystem::path& file) {
  const char* kHasColumn = "SELECT count(*) FROM pragma_table_info('sound_log') WHERE name = 'volume'";
  if (QueryInt(db, file, kHasColumn) != 0) return;
  Exec(db, "BEGIN IMMEDIATE");
  try {
    if (QueryInt(db, file, kHasColumn) == 0) Exec(db, "ALTER TABLE sound_log ADD COLUMN volume INTEGER");
    Exec(db, "COMMIT");
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace

DeviceStore::DeviceStore(const std::filesystem::path& file) {
  CheckStoreFiles(file);
  struct stat st{};
  if (::lstat(file.c_str(), &st) != 0) {
    CreateStore(file);
    CheckStoreFiles(file);
  }
  int rc = sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    sqlite3_close(m_db);
    throw std::runtime_error("cannot open " + Quoted(file) + ": " + message);
  }
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
  try {
    VerifyStore(m_db, file);
    if (sqlite3_db_readonly(m_db, "main") == 1) {
      throw DeviceStoreError(Kind::kReadOnly, Quoted(file) + " is read-only; the device needs to write it");
    }
    Exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    AddSoundVolumeColumn(m_db, file);
  } catch (...) {
    sqlite3_close(m_db);
    throw;
  }
  StartStatementCache(m_db);
}

DeviceStore::~DeviceStore() {
  EndStatementCache(m_db);
  sqlite3_close(m_db);
}

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
  SqlStatement(m_db, begin).Run();
  m_depth = 1;
  try {
    fn(m_db);
    m_depth = 0;
    SqlStatement(m_db, "COMMIT").Run();
  } catch (...) {
    m_depth = 0;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void StoreWrite(DeviceStore& store, const std::function<void(sqlite3*)>& fn) { store.Transaction("BEGIN IMMEDIATE", fn); }

void StoreRead(DeviceStore& store, const std::function<void(sqlite3*)>& fn) { store.Transaction("BEGIN", fn); }

int ChangedRows(sqlite3* db) { return sqlite3_changes(db); }

void DeviceStore::Batch(const std::function<void()>& fn) {
  StoreWrite(*this, [&](sqlite3*) { fn(); });
}

std::optional<std::int64_t> DeviceStore::GetInt(std::string_view name) {
  std::optional<std::int64_t> out;
  StoreRead(*this, [&](sqlite3* db) {
    SqlStatement q(db, "SELECT value FROM state WHERE name = ?1 AND typeof(value) = 'integer'");
    q.Bind(1, name);
    if (q.Step()) out = q.Int(0);
  });
  return out;
}

void DeviceStore::SetInt(std::string_view name, std::int64_t value) {
  StoreWrite(*this, [&](sqlite3* db) {
    SqlStatement q(db, "INSERT OR REPLACE INTO state (name, value) VALUES (?1, ?2)");
    q.Bind(1, name).Bind(2, value).Run();
  });
}

std::optional<std::vector<std::uint8_t>> DeviceStore::GetBlob(std::string_view name) {
  std::optional<std::vector<std::uint8_t>> out;
  StoreRead(*this, [&](sqlite3* db) {
    SqlStatement q(db, "SELECT value FROM state WHERE name = ?1 AND typeof(value) = 'blob'");
    q.Bind(1, name);
    if (q.Step()) out = q.Blob(0);
  });
  return out;
}

void DeviceStore::SetBlob(std::string_view name, const void* data, std::size_t size) {
  StoreWrite(*this, [&](sqlite3* db) {
    SqlStatement q(db, "INSERT OR REPLACE INTO state (name, value) VALUES (?1, ?2)");
    q.Bind(1, name).BindBlob(2, data, size).Run();
  });
}

std::vector<StateEntry> DeviceStore::AllState() {
  std::vector<StateEntry> out;
  StoreRead(*this, [&](sqlite3* db) {
    SqlStatement q(db, "SELECT name, typeof(value) = 'integer', value FROM state "
                       "WHERE typeof(value) IN ('integer', 'blob') ORDER BY name");
    while (q.Step()) {
      StateEntry entry{q.Text(0), std::nullopt, {}};
      if (q.Int(1) != 0) {
        entry.number = q.Int(2);
      } else {
        entry.blob = q.Blob(2);
      }
      out.push_back(std::move(entry));
    }
  });
  return out;
}

void DeviceStore::AppendKeyLog(const KeyLogEntry& entry) {
  StoreWrite(*this, [&](sqlite3* db) {
    SqlStatement(db, "INSERT INTO key_log (vk, scan, flags, extra) VALUES (?1, ?2, ?3, ?4)")
        .Bind(1, std::int64_t{entry.vk})
        .Bind(2, std::int64_t{entry.scan})
        .Bind(3, std::int64_t{entry.flags})
        .Bind(4, static_cast<std::int64_t>(entry.extra))
        .Run();
  });
}

std::vector<KeyLogEntry> DeviceStore::KeyLog() {
  std::vector<KeyLogEntry> out;
  StoreRead(*this, [&](sqlite3* db) {
    SqlStatement q(db, "SELECT vk, scan, flags, extra FROM key_log ORDER BY seq");
    while (q.Step()) {
      out.push_back({static_cast<std::uint32_t>(q.Int(0)), static_cast<std::uint32_t>(q.Int(1)),
                     static_cast<std::uint32_t>(q.Int(2)), static_cast<std::uint64_t>(q.Int(3))});
    }
  });
  return out;
}

void DeviceStore::AppendSoundLog(const SoundLogEntry& entry) {
  StoreWrite(*this, [&](sqlite3* db) {
    SqlStatement(db, "INSERT INTO sound_log (flags, bytes, duration_ms, checksum, volume) VALUES (?1, ?2, ?3, ?4, ?5)")
        .Bind(1, std::int64_t{entry.flags})
        .Bind(2, static_cast<std::int64_t>(entry.bytes))
        .Bind(3, static_cast<std::int64_t>(entry.durationMs))
        .Bind(4, std::int64_t{entry.checksum})
        .Bind(5, entry.volume ? std::int64_t{*entry.volume} : std::int64_t{-1})
        .Run();
  });
}

std::vector<SoundLogEntry> DeviceStore::SoundLog() {
  std::vector<SoundLogEntry> out;
  StoreRead(*this, [&](sqlite3* db) {
    SqlStatement q(db, "SELECT flags, bytes, duration_ms, checksum, coalesce(volume, -1) FROM sound_log ORDER BY seq");
    while (q.Step()) {
      SoundLogEntry entry{static_cast<std::uint32_t>(q.Int(0)), static_cast<std::uint64_t>(q.Int(1)),
                          static_cast<std::uint64_t>(q.Int(2)), static_cast<std::uint32_t>(q.Int(3)), std::nullopt};
      if (q.Int(4) >= 0) entry.volume = static_cast<std::uint32_t>(q.Int(4));
      out.push_back(entry);
    }
  });
  return out;
}

bool DeviceStore::RecordReset(std::string_view deviceTime, std::string_view failName) {
  bool failed = false;
  StoreWrite(*this, [&](sqlite3* db) {
    failed = GetInt(failName).value_or(0) == 1;
    SqlStatement(db, "INSERT INTO reset_log (device_time, failed) VALUES (?1, ?2)")
        .Bind(1, deviceTime)
        .Bind(2, failed ? 1 : 0)
        .Run();
  });
  return failed;
}

std::vector<ResetLogEntry> DeviceStore::ResetLog() {
  std::vector<ResetLogEntry> out;
  StoreRead(*this, [&](sqlite3* db) {
    SqlStatement q(db, "SELECT device_time, failed FROM reset_log ORDER BY seq");
    while (q.Step()) out.push_back({q.Text(0), q.Int(1) != 0});
  });
  return out;
}

void DeviceStore::AppendResetLog(const ResetLogEntry& entry) {
  StoreWrite(*this, [&](sqlite3* db) {
    SqlStatement(db, "INSERT INTO reset_log (device_time, failed) VALUES (?1, ?2)")
        .Bind(1, entry.deviceTime)
        .Bind(2, entry.failed ? 1 : 0)
        .Run();
  });
}

void DeviceStore::ClearLog(DeviceLog log) {
  const char* sql = log == DeviceLog::kKeys     ? "DELETE FROM key_log"
                    : log == DeviceLog::kSounds ? "DELETE FROM sound_log"
                                                : "DELETE FROM reset_log";
  StoreWrite(*this, [&](sqlite3* db) { SqlStatement(db, sql).Run(); });
}

void DeviceStore::Clear() {
  StoreWrite(*this, [&](sqlite3* db) {
    for (const char* table : kTables) SqlStatement(db, std::string("DELETE FROM ") + table).Run();
  });
}

}  // namespace kernel
