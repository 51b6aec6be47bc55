#include "platform/kernel/reg_file.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "platform/kernel/wide_string.h"

namespace kernel {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kHeaderVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Hex data lines are wrapped before this column, with two spaces of indent on continuations.
constexpr std::size_t kHexLineWidth = 76;

struct Line {
  int number = 0;
  std::string_view text;
};

// A parse failure, thrown inside the parser and returned to the caller as a RegFileError.
struct ParseFailure {
  int line;
  std::string message;
};

// A token of the file as an error message shows it: control characters as \xHH, cut after 80
// characters.
std::string Shown(std::string_view token) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  std::size_t shown = 0;
  for (char ch : token) {
    auto c = static_cast<unsigned char>(ch);
    if ((c & 0xC0) != 0x80 && shown++ == 80) return out + "...";
    if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out.push_back(kDigits[c >> 4]);
      out.push_back(kDigits[c & 0xF]);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  int number = 1;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({number++, line});
    start = end + 1;
  }
  return lines;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A number of 1 to maxDigits hexadecimal digits, the whole text.
std::optional<std::uint32_t> ParseHexNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

// Reads a quoted string that starts at text[pos] == '"'. The escapes are \\ and \" as in REGEDIT4,
// and \n, \r, \t and \xHH for the other control characters, so that no name or text can break a
// line. Leaves pos after the closing quote.
std::string ReadQuoted(std::string_view text, std::size_t& pos, int line) {
  std::string out;
  for (++pos; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (pos + 1 >= text.size()) break;
      char next = text[++pos];
      switch (next) {
        case '\\':
        case '"':
          c = next;
          break;
        case 'n':
          c = '\n';
          break;
        case 'r':
          c = '\r';
          break;
        case 't':
          c = '\t';
          break;
        case 'x': {
          auto code = pos + 2 < text.size() ? ParseHexNumber(text.substr(pos + 1, 2), 2) : std::nullopt;
          if (!code || *code >= 0x80) throw ParseFailure{line, "\\x needs two hexadecimal digits from 00 to 7f"};
          c = static_cast<char>(*code);
          pos += 2;
          break;
        }
        default:
          throw ParseFailure{line, "unknown escape in a quoted string (\\\\, \\\", \\n, \\r, \\t or \\xHH)"};
      }
    }
    out.push_back(c);
  }
  throw ParseFailure{line, "missing closing quote"};
}

std::vector<std::uint8_t> StringData(std::u16string_view text) {
  std::vector<std::uint8_t> data;
  data.reserve(text.size() * 2 + 2);
  for (char16_t c : text) {
    data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    data.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

// Hex bytes "xx,xx,..." over one or more lines; every line but the last ends with a backslash.
std::vector<std::uint8_t> ParseHexBytes(const std::vector<Line>& segments) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t s = 0; s < segments.size(); ++s) {
    std::string_view segment = Trim(segments[s].text);
    if (s + 1 < segments.size()) segment = Trim(segment.substr(0, segment.size() - 1));
    std::size_t start = 0;
    while (start <= segment.size()) {
      std::size_t end = std::min(segment.find(',', start), segment.size());
      std::string_view token = Trim(segment.substr(start, end - start));
      bool last = end == segment.size();
      if (token.empty()) {
        // A trailing comma (before a line break or at the end) is allowed; an empty byte is not.
        if (!last) throw ParseFailure{segments[s].number, "empty byte in hex data"};
      } else if (auto byte = ParseHexNumber(token, 2)) {
        bytes.push_back(static_cast<std::uint8_t>(*byte));
      } else {
        throw ParseFailure{segments[s].number, "bad byte \"" + Shown(token) + "\" in hex data"};
      }
      start = end + 1;
    }
  }
  return bytes;
}

// The parse state: keys so far, and the value-line continuation reader.
class RegFileParser {
 public:
  explicit RegFileParser(std::string_view text) : m_lines(SplitLines(text)) {}

  std::vector<RegFileKey> Parse() {
    if (m_lines.empty() || (Trim(m_lines[0].text) != kHeader && Trim(m_lines[0].text) != kHeaderVersion5)) {
      throw ParseFailure{1, "the first line must be REGEDIT4 or Windows Registry Editor Version 5.00"};
    }
    for (m_index = 1; m_index < m_lines.size(); ++m_index) {
      const Line& line = m_lines[m_index];
      std::string_view text = Trim(line.text);
      if (text.empty() || text.front() == ';') continue;
      if (text.front() == '[') {
        ParseKeyLine(line.number, text);
      } else if (text.front() == '"' || text.front() == '@') {
        ParseValueLine(line.number, text);
      } else {
        throw ParseFailure{line.number, "unexpected line; expected [key], \"name\"=value, @=value or a ; comment"};
      }
    }
    return std::move(m_keys);
  }

 private:
  void ParseKeyLine(int number, std::string_view text) {
    if (text.size() < 2 || text.back() != ']') throw ParseFailure{number, "a key line must end with ']'"};
    std::string_view inner = text.substr(1, text.size() - 2);
    bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    auto path = ParseRegistryPath(Utf8ToWide(inner));
    if (!path) {
      throw ParseFailure{number, "unknown root key in [" + Shown(inner) +
                                     "]; expected HKEY_LOCAL_MACHINE, HKLM, HKEY_CURRENT_USER or HKCU"};
    }
    if (remove && path->key.empty()) throw ParseFailure{number, "a whole hive cannot be deleted"};
    if (auto problem = KeyPathProblem(path->key)) throw ParseFailure{number, *problem};
    std::u16string full = HiveName(path->hive);
    if (!path->key.empty()) full += u"\\" + path->key;
    m_keys.push_back({std::move(full), remove, {}, {}});
  }

  void ParseValueLine(int number, std::string_view text) {
    if (m_keys.empty()) throw ParseFailure{number, "a value needs a [key] line before it"};
    RegFileKey& key = m_keys.back();
    if (key.remove) throw ParseFailure{number, "a deleted [-key] cannot have values"};
    std::size_t pos = 0;
    std::string name;
    if (text.front() == '@') {
      pos = 1;
    } else {
      name = ReadQuoted(text, pos, number);
    }
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size() || text[pos] != '=') throw ParseFailure{number, "expected '=' after the value name"};
    std::string_view data = Trim(text.substr(pos + 1));
    std::u16string wideName = Utf8ToWide(name);
    if (auto problem = ValueNameProblem(wideName)) throw ParseFailure{number, *problem};
    auto sameName = [&](const auto& other) { return EqualsNoCase(NameOf(other), wideName); };
    // Within one key the later line wins: a deletion cancels an earlier write, a write an earlier
    // deletion, so the result never depends on applying writes before deletions or after.
    if (data == "-") {
      std::erase_if(key.values, sameName);
      std::erase_if(key.removedValues, sameName);
      key.removedValues.push_back(std::move(wideName));
      return;
    }
    RegistryValue value = ParseData(number, data);
    std::erase_if(key.removedValues, sameName);
    value.name = std::move(wideName);
    key.values.push_back(std::move(value));
  }

  static const std::u16string& NameOf(const RegistryValue& value) { return value.name; }
  static const std::u16string& NameOf(const std::u16string& name) { return name; }

  RegistryValue ParseData(int number, std::string_view data) {
    RegistryValue value;
    if (!data.empty() && data.front() == '"') {
      std::size_t pos = 0;
      std::string text = ReadQuoted(data, pos, number);
      if (!Trim(data.substr(pos)).empty()) throw ParseFailure{number, "unexpected text after the closing quote"};
      value.type = REG_SZ;
      value.data = StringData(Utf8ToWide(text));
    } else if (StartsWithNoCase(data, "dword:")) {
      auto number32 = ParseHexNumber(data.substr(6), 8);
      if (!number32) throw ParseFailure{number, "dword: needs 1 to 8 hexadecimal digits"};
      value.type = REG_DWORD;
      for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<std::uint8_t>(*number32 >> shift));
    } else if (StartsWithNoCase(data, "hex")) {
      std::string_view rest = data.substr(3);
      value.type = REG_BINARY;
      if (!rest.empty() && rest.front() == '(') {
        std::size_t close = rest.find(')');
        auto type = close == std::string_view::npos ? std::nullopt : ParseHexNumber(rest.substr(1, close - 1), 8);
        if (!type) throw ParseFailure{number, "hex(N): needs a type of 1 to 8 hexadecimal digits"};
        value.type = *type;
        rest.remove_prefix(close + 1);
      }
      if (rest.empty() || rest.front() != ':') throw ParseFailure{number, "expected ':' after hex"};
      value.data = ParseHexBytes(HexSegments(number, rest.substr(1)));
    } else {
      throw ParseFailure{number, "unrecognised value data; expected \"text\", dword:, hex:, hex(N): or -"};
    }
    return value;
  }

  // The first line's hex text and the continuation lines that follow a trailing backslash.
  std::vector<Line> HexSegments(int number, std::string_view first) {
    std::vector<Line> segments{{number, first}};
    while (!Trim(segments.back().text).empty() && Trim(segments.back().text).back() == '\\' &&
           m_index + 1 < m_lines.size()) {
      segments.push_back(m_lines[++m_index]);
    }
    // A backslash on the file's last line continues onto nothing.
    if (std::string_view last = Trim(segments.back().text); !last.empty() && last.back() == '\\') {
      segments.push_back({segments.back().number, {}});
    }
    return segments;
  }

  std::vector<Line> m_lines;
  std::size_t m_index = 0;
  std::vector<RegFileKey> m_keys;
};

// --- Writing. ---

std::string Quote(std::u16string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : WideToUtf8(text)) {
    if (c == '\\' || c == '"') {
      out.push_back('\\');
    } else if (c == '\n' || c == '\r' || c == '\t') {
      out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
      continue;
    } else if ((c >= 0 && c < 0x20) || c == 0x7F) {
      out += "\\x";
      out.push_back(kDigits[c >> 4]);
      out.push_back(kDigits[c & 0xF]);
      continue;
    }
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// The text of REG_SZ data that can be written as "text" and read back to the same bytes: whole
// UTF-16 units ending in one terminator, no other zero, no unpaired surrogate.
std::optional<std::u16string> PlainText(const std::vector<std::uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string text;
  for (std::size_t i = 0; i + 2 < data.size(); i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  if (data[data.size() - 2] != 0 || data[data.size() - 1] != 0) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == 0) return std::nullopt;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return std::nullopt;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return std::nullopt;
    }
  }
  return text;
}

void AppendHex(std::string& out, std::size_t lineStart, const std::vector<std::uint8_t>& data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < data.size(); ++i) {
    out.push_back(kDigits[data[i] >> 4]);
    out.push_back(kDigits[data[i] & 0xF]);
    if (i + 1 == data.size()) break;
    out.push_back(',');
    if (out.size() - lineStart >= kHexLineWidth) {
      out += "\\\n  ";
      lineStart = out.size() - 2;
    }
  }
}

void AppendValue(std::string& out, const RegistryValue& value) {
  std::size_t lineStart = out.size();
  out += value.name.empty() ? std::string("@") : Quote(value.name);
  out.push_back('=');
  if (value.type == REG_SZ) {
    if (auto text = PlainText(value.data)) {
      out += Quote(*text);
      out.push_back('\n');
      return;
    }
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    char buffer[16];
    std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<std::uint32_t>(value.data[3]) << 24;
    std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
    out += buffer;
  } else if (value.type == REG_BINARY) {
    out += "hex:";
    AppendHex(out, lineStart, value.data);
  } else {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
    out += buffer;
    AppendHex(out, lineStart, value.data);
  }
  out.push_back('\n');
}

}  // namespace

std::variant<std::vector<RegFileKey>, RegFileError> ParseRegFile(std::string_view text) {
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  try {
    return RegFileParser(text).Parse();
  } catch (const ParseFailure& failure) {
    return RegFileError{failure.line, failure.message};
  }
}

std::string FormatRegFile(const std::vector<RegFileKey>& keys) {
  std::string out = std::string(kHeader) + "\n\n";
  for (const auto& key : keys) {
    // A key line has no escapes, so a name the registry refuses (a control character) is refused
    // here too rather than written as text that would read back as other keys.
    if (auto path = ParseRegistryPath(key.path); path) {
      if (auto problem = KeyPathProblem(path->key)) throw std::invalid_argument(WideToUtf8(key.path) + ": " + *problem);
    }
    out += key.remove ? "[-" : "[";
    out += WideToUtf8(key.path);
    out += "]\n";
    if (!key.remove) {
      for (const auto& value : key.values) AppendValue(out, value);
      for (const auto& name : key.removedValues) out += (name.empty() ? std::string("@") : Quote(name)) + "=-\n";
    }
    out.push_back('\n');
  }
  return out;
}

std::vector<RegFileKey> ExportRegistry(const std::optional<RegistryPath>& path) {
  std::vector<RegistryPath> roots;
  if (path) {
    roots.push_back(*path);
  } else {
    roots = {{HKEY_CURRENT_USER, u""}, {HKEY_LOCAL_MACHINE, u""}};
  }
  std::vector<RegFileKey> keys;
  for (const auto& root : roots) {
    for (auto& tree : RegistryReadTree(root)) {
      std::u16string full = HiveName(root.hive);
      if (!tree.key.empty()) full += u"\\" + tree.key;
      keys.push_back({std::move(full), false, std::move(tree.values), {}});
    }
  }
  return keys;
}

void ImportRegistry(const std::vector<RegFileKey>& keys) {
  // One transaction: an import is applied whole or not at all.
  RegistryTransaction([&] {
    for (const auto& key : keys) {
      auto path = ParseRegistryPath(key.path);
      if (!path) throw std::runtime_error("unknown root key in " + WideToUtf8(key.path));
      if (key.remove) {
        RegistryDeleteKey(*path);
        continue;
      }
      RegistryCreateKey(*path);
      for (const auto& value : key.values) RegistrySetValue(*path, value);
      for (const auto& name : key.removedValues) RegistryDeleteValue(*path, name);
    }
  });
}

}  // namespace kernel
