#include "platform/kernel/bundle/bundle_json.h"

#include <charconv>

namespace kernel {
namespace {

constexpr int kDeepest = 32;

class Parser {
 public:
  explicit Parser(std::string_view text) : m_text(text) {}

  std::optional<JsonValue> Document(std::string* error) {
    auto value = Value(0);
    SkipBlanks();
    if (value && m_at != m_text.size()) Fail("text after the value");
    if (!m_error.empty()) {
      *error = m_error + " at byte " + std::to_string(m_at);
      return std::nullopt;
    }
    return value;
  }

 private:
  std::optional<JsonValue> Fail(const char* what) {
    if (m_error.empty()) m_error = what;
    return std::nullopt;
  }
  void SkipBlanks() {
    while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n' || m_text[m_at] == '\r' || m_text[m_at] == '\t')) ++m_at;
  }
  bool Take(char c) {
    SkipBlanks();
    if (m_at < m_text.size() && m_text[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }
  bool TakeWord(std::string_view word) {
    if (m_text.substr(m_at, word.size()) != word) return false;
    m_at += word.size();
    return true;
  }

  std::optional<JsonValue> Value(int depth) {
    if (depth > kDeepest) return Fail("nested too deeply");
    SkipBlanks();
    if (m_at >= m_text.size()) return Fail("the text ends where a value should be");
    JsonValue value;
    char c = m_text[m_at];
    if (c == '{' || c == '[') {
      ++m_at;
      bool object = c == '{';
      value.kind = object ? JsonValue::Kind::kObject : JsonValue::Kind::kArray;
      if (Take(object ? '}' : ']')) return value;
      do {
        std::string name;
        if (object) {
          SkipBlanks();
          auto key = String();
          if (!key) return std::nullopt;
          if (!Take(':')) return Fail("':' expected");
          name = *key;
        }
        auto item = Value(depth + 1);
        if (!item) return std::nullopt;
        if (object) value.names.push_back(std::move(name));
        value.items.push_back(std::move(*item));
      } while (Take(','));
      if (!Take(object ? '}' : ']')) return Fail(object ? "',' or '}' expected" : "',' or ']' expected");
      return value;
    }
    if (c == '"') {
      auto text = String();
      if (!text) return std::nullopt;
      value.kind = JsonValue::Kind::kString;
      value.text = std::move(*text);
      return value;
    }
    for (bool word : {true, false}) {
      if (TakeWord(word ? "true" : "false")) {
        value.kind = JsonValue::Kind::kBool;
        value.boolean = word;
        return value;
      }
    }
    if (TakeWord("null")) return value;
    const char* begin = m_text.data() + m_at;
    auto [end, ec] = std::from_chars(begin, m_text.data() + m_text.size(), value.integer);
    if (ec != std::errc() || end == begin) return Fail("a value expected");
    if (end < m_text.data() + m_text.size() && (*end == '.' || *end == 'e' || *end == 'E')) return Fail("only integers are allowed");
    m_at += static_cast<std::size_t>(end - begin);
    value.kind = JsonValue::Kind::kInteger;
    return value;
  }

  std::optional<unsigned> Hex4() {
    unsigned code = 0;
    if (m_at + 4 > m_text.size()) return std::nullopt;
    auto [end, ec] = std::from_chars(m_text.data() + m_at, m_text.data() + m_at + 4, code, 16);
    if (ec != std::errc() || end != m_text.data() + m_at + 4) return std::nullopt;
    m_at += 4;
    return code;
  }

  std::optional<std::string> String() {
    if (m_at >= m_text.size() || m_text[m_at] != '"') {
      Fail("a string expected");
      return std::nullopt;
    }
    ++m_at;
    std::string out;
    while (m_at < m_text.size()) {
      char c = m_text[m_at++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) break;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (m_at >= m_text.size()) break;
      char e = m_text[m_at++];
      static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
      if (auto i = kFrom.find(e); i != std::string_view::npos) {
        out.push_back(kTo[i]);
        continue;
      }
      if (e != 'u') break;
      auto code = Hex4();
      if (!code) break;
      if (*code >= 0xD800 && *code < 0xDC00 && TakeWord("\\u")) {
        auto low = Hex4();
        if (!low || *low < 0xDC00 || *low > 0xDFFF) break;
        *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
      } else if (*code >= 0xD800 && *code <= 0xDFFF) {
        break;
      }
      unsigned cp = *code;
      if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
      } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
      } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
      } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
      }
    }
    Fail("a bad string");
    return std::nullopt;
  }

  std::string_view m_text;
  std::size_t m_at = 0;
  std::string m_error;
};

}  // namespace

const JsonValue* JsonValue::Member(std::string_view name) const {
  if (kind != Kind::kObject) return nullptr;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return &items[i];
  }
  return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text, std::string* error) { return Parser(text).Document(error); }

std::string JsonQuoted(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      out += "\\u00";
      out += kDigits[u >> 4];
      out += kDigits[u & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace kernel
