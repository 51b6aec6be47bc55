#include "platform/kernel/bundle/bundle_parts.h"

#include <cstdint>
#include <limits>

#include "platform/kernel/bundle/bundle_json.h"

namespace kernel {
namespace {

constexpr std::int64_t kLargestWord = std::numeric_limits<std::uint32_t>::max();
// A blob's size in the state: a bundle cannot make the loader allocate more.
constexpr std::int64_t kLargestBlob = 16 << 20;

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    auto digit = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    int high = digit(text[i]), low = digit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return out;
}

// Reads the named members of one log record, each checked for its kind and range.
class Record {
 public:
  Record(const JsonValue& value, std::string where, std::string* error) : m_value(value), m_where(std::move(where)), m_error(error) {
    if (value.kind != JsonValue::Kind::kObject) Fail("is not an object");
  }
  bool Ok() const { return m_error->empty(); }
  std::int64_t Integer(const char* name, std::int64_t min, std::int64_t max) {
    const JsonValue* v = m_value.Member(name);
    if (!v || v->kind != JsonValue::Kind::kInteger || v->integer < min || v->integer > max) {
      Fail(std::string("needs \"") + name + "\" from " + std::to_string(min) + " to " + std::to_string(max));
      return 0;
    }
    return v->integer;
  }
  const JsonValue* Get(const char* name) { return m_value.Member(name); }
  void Fail(const std::string& what) {
    if (m_error->empty()) *m_error = m_where + " " + what;
  }

 private:
  const JsonValue& m_value;
  std::string m_where;
  std::string* m_error;
};

const std::vector<JsonValue>* Array(const JsonValue& logs, const char* name, std::string* error) {
  const JsonValue* v = logs.Member(name);
  if (!v || v->kind != JsonValue::Kind::kArray) {
    *error = std::string("logs.json needs an array \"") + name + "\"";
    return nullptr;
  }
  return &v->items;
}

}  // namespace

bool DeviceLogs::operator==(const DeviceLogs& other) const {
  auto sameKeys = [](const KeyLogEntry& a, const KeyLogEntry& b) {
    return a.vk == b.vk && a.scan == b.scan && a.flags == b.flags && a.extra == b.extra;
  };
  auto sameSounds = [](const SoundLogEntry& a, const SoundLogEntry& b) {
    return a.flags == b.flags && a.bytes == b.bytes && a.durationMs == b.durationMs && a.checksum == b.checksum &&
           a.volume == b.volume;
  };
  auto sameResets = [](const ResetLogEntry& a, const ResetLogEntry& b) {
    return a.deviceTime == b.deviceTime && a.failed == b.failed;
  };
  return std::equal(keys.begin(), keys.end(), other.keys.begin(), other.keys.end(), sameKeys) &&
         std::equal(sounds.begin(), sounds.end(), other.sounds.begin(), other.sounds.end(), sameSounds) &&
         std::equal(resets.begin(), resets.end(), other.resets.begin(), other.resets.end(), sameResets);
}

std::string FormatStateJson(const std::vector<StateEntry>& state) {
  std::string out = "{";
  for (std::size_t i = 0; i < state.size(); ++i) {
    out += (i == 0 ? "\n  " : ",\n  ") + JsonQuoted(state[i].name) + ": ";
    if (state[i].number) {
      out += std::to_string(*state[i].number);
      continue;
    }
    // Trailing zero bytes are left to the size: the store block is mostly zeros.
    std::vector<std::uint8_t> bytes = state[i].blob;
    while (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
    out += "{\"size\": " + std::to_string(state[i].blob.size()) + ", \"hex\": \"" + Hex(bytes) + "\"}";
  }
  return out + "\n}\n";
}

std::optional<std::vector<StateEntry>> ParseStateJson(std::string_view text, std::string* error) {
  auto json = ParseJson(text, error);
  if (!json) {
    *error = "state.json: " + *error;
    return std::nullopt;
  }
  if (json->kind != JsonValue::Kind::kObject) {
    *error = "state.json is not an object";
    return std::nullopt;
  }
  std::vector<StateEntry> state;
  for (std::size_t i = 0; i < json->names.size(); ++i) {
    const std::string& name = json->names[i];
    const JsonValue& value = json->items[i];
    StateEntry entry{name, std::nullopt, {}};
    const JsonValue* hex = value.Member("hex");
    const JsonValue* size = value.Member("size");
    auto bytes = hex && hex->kind == JsonValue::Kind::kString ? FromHex(hex->text) : std::nullopt;
    if (value.kind == JsonValue::Kind::kInteger) {
      entry.number = value.integer;
    } else if (bytes && size && size->kind == JsonValue::Kind::kInteger && value.items.size() == 2 &&
               size->integer >= static_cast<std::int64_t>(bytes->size()) && size->integer <= kLargestBlob) {
      entry.blob = std::move(*bytes);
      entry.blob.resize(static_cast<std::size_t>(size->integer));
    } else {
      *error = "state.json: \"" + name + "\" is neither an integer nor {\"size\": N, \"hex\": \"..\"} (N at most " +
               std::to_string(kLargestBlob) + ")";
      return std::nullopt;
    }
    state.push_back(std::move(entry));
  }
  return state;
}

std::string FormatLogsJson(const DeviceLogs& logs) {
  std::string out = "{\n  \"keys\": [";
  const char* sep = "\n    ";
  for (const auto& k : logs.keys) {
    out += sep + std::string("{\"vk\": ") + std::to_string(k.vk) + ", \"scan\": " + std::to_string(k.scan) +
           ", \"flags\": " + std::to_string(k.flags) + ", \"extra\": " + std::to_string(static_cast<std::int64_t>(k.extra)) + "}";
    sep = ",\n    ";
  }
  out += "],\n  \"sounds\": [";
  sep = "\n    ";
  for (const auto& s : logs.sounds) {
    out += sep + std::string("{\"flags\": ") + std::to_string(s.flags) + ", \"bytes\": " +
           std::to_string(static_cast<std::int64_t>(s.bytes)) + ", \"duration_ms\": " +
           std::to_string(static_cast<std::int64_t>(s.durationMs)) + ", \"checksum\": " + std::to_string(s.checksum) +
           ", \"volume\": " + (s.volume ? std::to_string(*s.volume) : "null") + "}";
    sep = ",\n    ";
  }
  out += "],\n  \"resets\": [";
  sep = "\n    ";
  for (const auto& r : logs.resets) {
    out += sep + std::string("{\"device_time\": ") + JsonQuoted(r.deviceTime) + ", \"failed\": " + (r.failed ? "true" : "false") + "}";
    sep = ",\n    ";
  }
  return out + "]\n}\n";
}

std::optional<DeviceLogs> ParseLogsJson(std::string_view text, std::string* error) {
  auto json = ParseJson(text, error);
  if (!json) {
    *error = "logs.json: " + *error;
    return std::nullopt;
  }
  error->clear();
  DeviceLogs logs;
  const auto* keys = Array(*json, "keys", error);
  const auto* sounds = keys ? Array(*json, "sounds", error) : nullptr;
  const auto* resets = sounds ? Array(*json, "resets", error) : nullptr;
  if (!resets) return std::nullopt;
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = 0; i < keys->size(); ++i) {
    Record r((*keys)[i], "logs.json key " + std::to_string(i + 1), error);
    KeyLogEntry entry;
    entry.vk = static_cast<std::uint32_t>(r.Integer("vk", 0, kLargestWord));
    entry.scan = static_cast<std::uint32_t>(r.Integer("scan", 0, kLargestWord));
    entry.flags = static_cast<std::uint32_t>(r.Integer("flags", 0, kLargestWord));
    entry.extra = static_cast<std::uint64_t>(r.Integer("extra", std::numeric_limits<std::int64_t>::min(), kLargest));
    if (!r.Ok()) return std::nullopt;
    logs.keys.push_back(entry);
  }
  for (std::size_t i = 0; i < sounds->size(); ++i) {
    Record r((*sounds)[i], "logs.json sound " + std::to_string(i + 1), error);
    SoundLogEntry entry;
    entry.flags = static_cast<std::uint32_t>(r.Integer("flags", 0, kLargestWord));
    entry.bytes = static_cast<std::uint64_t>(r.Integer("bytes", 0, kLargest));
    entry.durationMs = static_cast<std::uint64_t>(r.Integer("duration_ms", 0, kLargest));
    entry.checksum = static_cast<std::uint32_t>(r.Integer("checksum", 0, kLargestWord));
    const JsonValue* volume = r.Get("volume");
    if (!volume || volume->kind != JsonValue::Kind::kNull) entry.volume = static_cast<std::uint32_t>(r.Integer("volume", 0, kLargestWord));
    if (!r.Ok()) return std::nullopt;
    logs.sounds.push_back(entry);
  }
  for (std::size_t i = 0; i < resets->size(); ++i) {
    Record r((*resets)[i], "logs.json reset " + std::to_string(i + 1), error);
    const JsonValue* time = r.Get("device_time");
    const JsonValue* failed = r.Get("failed");
    if (r.Ok() && (!time || time->kind != JsonValue::Kind::kString || !failed || failed->kind != JsonValue::Kind::kBool)) {
      r.Fail("needs \"device_time\" (a string) and \"failed\" (true or false)");
    }
    if (!r.Ok()) return std::nullopt;
    logs.resets.push_back({time->text, failed->boolean});
  }
  return logs;
}

}  // namespace kernel
