// The little JSON a device bundle holds (hardware state, logs, its closing record): a strict
// parser of objects, arrays, strings, integers, true, false and null, and a string writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kernel {

struct JsonValue {
  enum class Kind { kNull, kBool, kInteger, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  std::int64_t integer = 0;
  std::string text;
  std::vector<JsonValue> items;     // an array's items, or an object's values
  std::vector<std::string> names;  // an object's member names, in the order written, beside items

  // The member of that name, or null when there is none (or this is no object).
  const JsonValue* Member(std::string_view name) const;
};

// Parses one JSON value (whitespace around it allowed). Numbers must be integers that fit 64 bits;
// nesting deeper than 32 levels is refused. nullopt with a reason on anything else.
std::optional<JsonValue> ParseJson(std::string_view text, std::string* error);

// A JSON string literal of UTF-8 text.
std::string JsonQuoted(std::string_view text);

}  // namespace kernel
