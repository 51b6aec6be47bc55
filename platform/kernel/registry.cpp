#include "platform/kernel/registry.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/kernel/device_root.h"
#include "platform/kernel/store_sql.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/wide_string.h"

namespace kernel {
namespace {

// The hive column holds the low bits of the predefined handles.
constexpr int kHiveCurrentUser = 1;
constexpr int kHiveLocalMachine = 2;

int HiveId(HKEY hive) {
  if (hive == HKEY_CURRENT_USER) return kHiveCurrentUser;
  if (hive == HKEY_LOCAL_MACHINE) return kHiveLocalMachine;
  return 0;
}

// The non-empty components of a key path: leading, trailing and doubled backslashes mean nothing.
std::vector<std::u16string> SplitKeyPath(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::u16string JoinKeyPath(const std::vector<std::u16string>& parts, std::size_t count) {
  std::u16string out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) out.push_back(u'\\');
    out += parts[i];
  }
  return out;
}

std::u16string NormalizeKeyPath(std::u16string_view path) {
  auto parts = SplitKeyPath(path);
  return JoinKeyPath(parts, parts.size());
}

// The stored comparison form of a key path or value name.
std::string FoldKey(std::u16string_view text) { return WideToUtf8(FoldCase(text)); }

// An open key: its hive and the folded path under it ("" for the hive itself).
class RegistryKey : public KernelObject {
 public:
  RegistryKey(int hive, std::string fold) : m_hive(hive), m_fold(std::move(fold)) {}
  int m_hive;
  std::string m_fold;
};

// Each call is its own transaction; inside RegistryTransaction (or any other store transaction of
// this thread) it joins the outer one.
template <typename Fn>
void WithWrite(Fn&& fn) {
  StoreWrite(CurrentDevice().Store(), [&](sqlite3* db) { fn(db); });
}

template <typename Fn>
void WithRead(Fn&& fn) {
  StoreRead(CurrentDevice().Store(), [&](sqlite3* db) { fn(db); });
}

// --- Store operations, each inside the caller's transaction. ---

// Keys strictly below a folded key path sort between "path\" and "path]" (']' follows '\'), so a
// sibling that merely shares a prefix ("A\BC" next to "A\B") never falls in the range.
constexpr const char* kBelowKeys = "(fold >= ?2 || '\\' AND fold < ?2 || ']')";
constexpr const char* kBelowValues = "(key_fold >= ?2 || '\\' AND key_fold < ?2 || ']')";

std::optional<std::string> KeySpelling(sqlite3* db, int hive, const std::string& fold) {
  if (fold.empty()) return std::string();
  SqlStatement q(db, "SELECT path FROM reg_keys WHERE hive = ?1 AND fold = ?2");
  q.Bind(1, hive).Bind(2, fold);
  if (!q.Step()) return std::nullopt;
  return q.Text(0);
}

bool KeyExists(sqlite3* db, int hive, const std::string& fold) { return KeySpelling(db, hive, fold).has_value(); }

void CreateKey(sqlite3* db, int hive, const std::vector<std::u16string>& parts) {
  std::string spelling;
  for (std::size_t i = 1; i <= parts.size(); ++i) {
    std::string fold = FoldKey(JoinKeyPath(parts, i));
    std::string name = WideToUtf8(parts[i - 1]);
    if (auto existing = KeySpelling(db, hive, fold)) {
      spelling = *existing;
      continue;
    }
    // A new key is spelled as its parent is, plus its own name as written.
    spelling = spelling.empty() ? name : spelling + "\\" + name;
    SqlStatement(db, "INSERT INTO reg_keys (hive, path, fold) VALUES (?1, ?2, ?3)")
        .Bind(1, hive)
        .Bind(2, spelling)
        .Bind(3, fold)
        .Run();
  }
}

void DeleteKey(sqlite3* db, int hive, const std::string& fold) {
  SqlStatement(db, std::string("DELETE FROM reg_keys WHERE hive = ?1 AND (fold = ?2 OR ") + kBelowKeys + ")")
      .Bind(1, hive)
      .Bind(2, fold)
      .Run();
  SqlStatement(db, std::string("DELETE FROM reg_values WHERE hive = ?1 AND (key_fold = ?2 OR ") + kBelowValues + ")")
      .Bind(1, hive)
      .Bind(2, fold)
      .Run();
}

std::optional<RegistryValue> GetValue(sqlite3* db, int hive, const std::string& keyFold, std::u16string_view name) {
  SqlStatement q(db, "SELECT name, type, data FROM reg_values WHERE hive = ?1 AND key_fold = ?2 AND fold = ?3");
  q.Bind(1, hive).Bind(2, keyFold).Bind(3, FoldKey(name));
  if (!q.Step()) return std::nullopt;
  return RegistryValue{Utf8ToWide(q.Text(0)), static_cast<DWORD>(q.Int(1)), q.Blob(2)};
}

// Writes a value; a value that exists under another spelling keeps its first spelling.
void SetValue(sqlite3* db, int hive, const std::string& keyFold, std::u16string_view name, DWORD type,
              const void* data, std::size_t size) {
  SqlStatement(db,
               "INSERT INTO reg_values (hive, key_fold, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5, ?6) "
               "ON CONFLICT (hive, key_fold, fold) DO UPDATE SET type = excluded.type, data = excluded.data")
      .Bind(1, hive)
      .Bind(2, keyFold)
      .Bind(3, WideToUtf8(name))
      .Bind(4, FoldKey(name))
      .Bind(5, static_cast<std::int64_t>(type))
      .BindBlob(6, data, size)
      .Run();
}

bool DeleteValue(sqlite3* db, int hive, const std::string& keyFold, std::u16string_view name) {
  SqlStatement(db, "DELETE FROM reg_values WHERE hive = ?1 AND key_fold = ?2 AND fold = ?3")
      .Bind(1, hive)
      .Bind(2, keyFold)
      .Bind(3, FoldKey(name))
      .Run();
  return ChangedRows(db) > 0;
}

std::vector<RegistryValue> ListValues(sqlite3* db, int hive, const std::string& keyFold) {
  std::vector<RegistryValue> values;
  SqlStatement q(db, "SELECT name, type, data FROM reg_values WHERE hive = ?1 AND key_fold = ?2 ORDER BY fold, name");
  q.Bind(1, hive).Bind(2, keyFold);
  while (q.Step()) values.push_back({Utf8ToWide(q.Text(0)), static_cast<DWORD>(q.Int(1)), q.Blob(2)});
  return values;
}

struct KeyRow {
  std::vector<std::string> foldParts;  // for depth-first ordering by name
  std::string fold;
  std::string path;
};

std::vector<std::string> SplitFold(const std::string& fold) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= fold.size() && !fold.empty()) {
    std::size_t end = std::min(fold.find('\\', start), fold.size());
    parts.push_back(fold.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The key (when fold is non-empty) and every key below it, depth-first and ordered by name.
std::vector<KeyRow> KeysBelow(sqlite3* db, int hive, const std::string& fold) {
  std::vector<KeyRow> rows;
  std::string sql = "SELECT fold, path FROM reg_keys WHERE hive = ?1";
  if (!fold.empty()) sql += std::string(" AND (fold = ?2 OR ") + kBelowKeys + ")";
  SqlStatement q(db, sql);
  q.Bind(1, hive);
  if (!fold.empty()) q.Bind(2, fold);
  while (q.Step()) rows.push_back({SplitFold(q.Text(0)), q.Text(0), q.Text(1)});
  std::sort(rows.begin(), rows.end(), [](const KeyRow& a, const KeyRow& b) { return a.foldParts < b.foldParts; });
  return rows;
}

// --- Win32-shaped calls. ---

// A key as a Win32-shaped call names it: a hive and a folded path ("" for the hive itself).
struct KeyRef {
  int hive = 0;
  std::string fold;
};

LONG ResolveRoot(HKEY root, KeyRef* ref) {
  if (int id = HiveId(root)) {
    *ref = {id, ""};
    return ERROR_SUCCESS;
  }
  auto key = LookupHandle<RegistryKey>(reinterpret_cast<HANDLE>(root));
  if (!key) return ERROR_INVALID_HANDLE;
  *ref = {key->m_hive, key->m_fold};
  return ERROR_SUCCESS;
}

KeyRef ChildKey(const KeyRef& parent, LPCWSTR subKey) {
  std::string child = FoldKey(NormalizeKeyPath(WideView(subKey)));
  if (parent.fold.empty() || child.empty()) return {parent.hive, parent.fold.empty() ? child : parent.fold};
  return {parent.hive, parent.fold + "\\" + child};
}

// A call through a handle whose key has gone since it was opened fails with ERROR_KEY_DELETED (a
// hive itself always exists).
LONG CheckNotDeleted(sqlite3* db, const KeyRef& key) {
  return KeyExists(db, key.hive, key.fold) ? ERROR_SUCCESS : static_cast<LONG>(ERROR_KEY_DELETED);
}

// Runs a Win32-shaped call; a store failure becomes an error code instead of an exception.
template <typename Fn>
LONG Guarded(Fn&& fn) {
  try {
    return fn();
  } catch (const std::exception&) {
    return static_cast<LONG>(ERROR_REGISTRY_IO_FAILED);
  }
}

}  // namespace

static void CheckLimits(std::u16string_view key, const std::u16string* valueName) {
  if (auto problem = KeyPathProblem(key)) throw RegistryLimitError(*problem);
  if (valueName) {
    if (auto problem = ValueNameProblem(*valueName)) throw RegistryLimitError(*problem);
  }
}

// --- Tool-side API. ---

std::optional<std::string> KeyPathProblem(std::u16string_view key) {
  auto parts = SplitKeyPath(key);
  if (parts.size() > kMaxKeyDepth) {
    return "a key path of " + std::to_string(parts.size()) + " levels is deeper than the " +
           std::to_string(kMaxKeyDepth) + " the registry allows";
  }
  if (NormalizeKeyPath(key).size() > kMaxKeyPathLength) {
    return "a key path longer than " + std::to_string(kMaxKeyPathLength) + " characters";
  }
  for (const auto& part : parts) {
    if (part.size() > kMaxKeyNameLength) {
      return "a key name of " + std::to_string(part.size()) + " characters is longer than the " +
             std::to_string(kMaxKeyNameLength) + " the registry allows";
    }
    for (char16_t c : part) {
      if (c < 0x20 || c == 0x7F) return "a key name holds a control character; key names are printable";
    }
  }
  return std::nullopt;
}

std::optional<std::string> ValueNameProblem(std::u16string_view name) {
  if (name.size() > kMaxValueNameLength) {
    return "a value name of " + std::to_string(name.size()) + " characters is longer than the " +
           std::to_string(kMaxValueNameLength) + " the registry allows";
  }
  return std::nullopt;
}

void RegistryTransaction(const std::function<void()>& fn) {
  CurrentDevice().Store().Batch(fn);
}

std::optional<RegistryPath> ParseRegistryPath(std::u16string_view fullPath) {
  auto parts = SplitKeyPath(fullPath);
  if (parts.empty()) return std::nullopt;
  RegistryPath path;
  if (EqualsNoCase(parts[0], u"HKEY_LOCAL_MACHINE") || EqualsNoCase(parts[0], u"HKLM")) {
    path.hive = HKEY_LOCAL_MACHINE;
  } else if (EqualsNoCase(parts[0], u"HKEY_CURRENT_USER") || EqualsNoCase(parts[0], u"HKCU")) {
    path.hive = HKEY_CURRENT_USER;
  } else {
    return std::nullopt;
  }
  parts.erase(parts.begin());
  path.key = JoinKeyPath(parts, parts.size());
  return path;
}

std::u16string HiveName(HKEY hive) {
  if (hive == HKEY_LOCAL_MACHINE) return u"HKEY_LOCAL_MACHINE";
  if (hive == HKEY_CURRENT_USER) return u"HKEY_CURRENT_USER";
  return u"";
}

bool RegistryCreateKey(const RegistryPath& path) {
  int hive = HiveId(path.hive);
  if (!hive) return false;
  CheckLimits(path.key, nullptr);
  WithWrite([&](sqlite3* db) { CreateKey(db, hive, SplitKeyPath(path.key)); });
  return true;
}

bool RegistryKeyExists(const RegistryPath& path) {
  int hive = HiveId(path.hive);
  if (!hive) return false;
  bool exists = false;
  WithRead([&](sqlite3* db) { exists = KeyExists(db, hive, FoldKey(NormalizeKeyPath(path.key))); });
  return exists;
}

bool RegistrySetValue(const RegistryPath& path, const RegistryValue& value) {
  int hive = HiveId(path.hive);
  if (!hive) return false;
  CheckLimits(path.key, &value.name);
  auto parts = SplitKeyPath(path.key);
  WithWrite([&](sqlite3* db) {
    CreateKey(db, hive, parts);
    SetValue(db, hive, FoldKey(JoinKeyPath(parts, parts.size())), value.name, value.type, value.data.data(),
             value.data.size());
  });
  return true;
}

std::optional<RegistryValue> RegistryGetValue(const RegistryPath& path, std::u16string_view name) {
  int hive = HiveId(path.hive);
  if (!hive) return std::nullopt;
  std::optional<RegistryValue> value;
  WithRead([&](sqlite3* db) {
    std::string fold = FoldKey(NormalizeKeyPath(path.key));
    if (KeyExists(db, hive, fold)) value = GetValue(db, hive, fold, name);
  });
  return value;
}

bool RegistryDeleteValue(const RegistryPath& path, std::u16string_view name) {
  int hive = HiveId(path.hive);
  if (!hive) return false;
  bool deleted = false;
  WithWrite([&](sqlite3* db) { deleted = DeleteValue(db, hive, FoldKey(NormalizeKeyPath(path.key)), name); });
  return deleted;
}

bool RegistryDeleteKey(const RegistryPath& path) {
  int hive = HiveId(path.hive);
  std::string fold = FoldKey(NormalizeKeyPath(path.key));
  // A hive itself cannot be deleted.
  if (!hive || fold.empty()) return false;
  bool deleted = false;
  WithWrite([&](sqlite3* db) {
    if (!KeyExists(db, hive, fold)) return;
    DeleteKey(db, hive, fold);
    deleted = true;
  });
  return deleted;
}

std::vector<RegistryValue> RegistryListValues(const RegistryPath& path) {
  int hive = HiveId(path.hive);
  std::vector<RegistryValue> values;
  if (!hive) return values;
  WithRead([&](sqlite3* db) {
    std::string fold = FoldKey(NormalizeKeyPath(path.key));
    if (KeyExists(db, hive, fold)) values = ListValues(db, hive, fold);
  });
  return values;
}

std::vector<std::u16string> RegistryListSubKeys(const RegistryPath& path) {
  int hive = HiveId(path.hive);
  std::vector<std::u16string> keys;
  if (!hive) return keys;
  std::string fold = FoldKey(NormalizeKeyPath(path.key));
  std::size_t depth = SplitFold(fold).size() + 1;
  WithRead([&](sqlite3* db) {
    for (const auto& row : KeysBelow(db, hive, fold)) {
      if (row.foldParts.size() == depth) keys.push_back(Utf8ToWide(row.path));
    }
  });
  return keys;
}

std::vector<RegistryTreeKey> RegistryReadTree(const RegistryPath& path) {
  int hive = HiveId(path.hive);
  std::vector<RegistryTreeKey> tree;
  if (!hive) return tree;
  std::string fold = FoldKey(NormalizeKeyPath(path.key));
  WithRead([&](sqlite3* db) {
    if (!KeyExists(db, hive, fold)) return;
    std::vector<KeyRow> rows;
    if (fold.empty()) rows.push_back({{}, "", ""});  // the hive itself, which has no row
    auto below = KeysBelow(db, hive, fold);
    rows.insert(rows.end(), below.begin(), below.end());
    for (const auto& row : rows) tree.push_back({Utf8ToWide(row.path), ListValues(db, hive, row.fold)});
  });
  return tree;
}

}  // namespace kernel

using kernel::Guarded;
using kernel::KeyRef;

LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD /*options*/, DWORD /*access*/, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  return Guarded([&]() -> LONG {
    KeyRef parent;
    if (LONG error = kernel::ResolveRoot(root, &parent)) return error;
    KeyRef target = kernel::ChildKey(parent, subKey);
    LONG error = ERROR_SUCCESS;
    kernel::WithRead([&](sqlite3* db) {
      error = kernel::CheckNotDeleted(db, parent);
      if (error == ERROR_SUCCESS && !kernel::KeyExists(db, target.hive, target.fold)) error = ERROR_FILE_NOT_FOUND;
    });
    if (error != ERROR_SUCCESS) return error;
    HANDLE handle = kernel::InsertHandle(std::make_shared<kernel::RegistryKey>(target.hive, std::move(target.fold)));
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
  });
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) {
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) return ERROR_INVALID_PARAMETER;
  return Guarded([&]() -> LONG {
    KeyRef ref;
    if (LONG error = kernel::ResolveRoot(key, &ref)) return error;
    LONG error = ERROR_SUCCESS;
    std::optional<kernel::RegistryValue> value;
    kernel::WithRead([&](sqlite3* db) {
      error = kernel::CheckNotDeleted(db, ref);
      if (error == ERROR_SUCCESS) value = kernel::GetValue(db, ref.hive, ref.fold, kernel::WideView(valueName));
    });
    if (error != ERROR_SUCCESS) return error;
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type != nullptr) *type = value->type;
    auto size = static_cast<DWORD>(value->data.size());
    if (data == nullptr) {
      if (dataSize != nullptr) *dataSize = size;
      return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
      *dataSize = size;
      return ERROR_MORE_DATA;
    }
    if (size != 0) std::memcpy(data, value->data.data(), size);
    *dataSize = size;
    return ERROR_SUCCESS;
  });
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD dataSize) {
  if ((data == nullptr && dataSize != 0) || (type == REG_DWORD && dataSize != sizeof(DWORD)) ||
      kernel::ValueNameProblem(kernel::WideView(valueName))) {
    return ERROR_INVALID_PARAMETER;
  }
  return Guarded([&]() -> LONG {
    KeyRef ref;
    if (LONG error = kernel::ResolveRoot(key, &ref)) return error;
    LONG error = ERROR_SUCCESS;
    kernel::WithWrite([&](sqlite3* db) {
      error = kernel::CheckNotDeleted(db, ref);
      if (error == ERROR_SUCCESS) {
        kernel::SetValue(db, ref.hive, ref.fold, kernel::WideView(valueName), type, data, dataSize);
      }
    });
    return error;
  });
}

LONG RegCloseKey(HKEY key) {
  // The predefined hive handles are always open.
  if (kernel::HiveId(key)) return ERROR_SUCCESS;
  auto handle = reinterpret_cast<HANDLE>(key);
  // Only a registry key handle is closed here; a file or event handle is left alone.
  if (!kernel::LookupHandle<kernel::RegistryKey>(handle) || !kernel::RemoveHandle(handle)) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

LONG RegDeleteKeyW(HKEY root, LPCWSTR subKey) {
  if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
  return Guarded([&]() -> LONG {
    KeyRef parent;
    if (LONG error = kernel::ResolveRoot(root, &parent)) return error;
    KeyRef target = kernel::ChildKey(parent, subKey);
    // A hive cannot be deleted.
    if (target.fold.empty()) return ERROR_ACCESS_DENIED;
    LONG error = ERROR_SUCCESS;
    kernel::WithWrite([&](sqlite3* db) {
      error = kernel::CheckNotDeleted(db, parent);
      if (error != ERROR_SUCCESS) return;
      if (!kernel::KeyExists(db, target.hive, target.fold)) {
        error = ERROR_FILE_NOT_FOUND;
      } else {
        kernel::DeleteKey(db, target.hive, target.fold);
      }
    });
    return error;
  });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  return Guarded([&]() -> LONG {
    KeyRef ref;
    if (LONG error = kernel::ResolveRoot(key, &ref)) return error;
    LONG error = ERROR_SUCCESS;
    kernel::WithWrite([&](sqlite3* db) {
      error = kernel::CheckNotDeleted(db, ref);
      if (error == ERROR_SUCCESS && !kernel::DeleteValue(db, ref.hive, ref.fold, kernel::WideView(valueName))) {
        error = ERROR_FILE_NOT_FOUND;
      }
    });
    return error;
  });
}
