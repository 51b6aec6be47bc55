// devicectl reg: the registry, with keys named by their full path ("HKLM\nls").
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <variant>

#include "platform/kernel/reg_file.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/wide_string.h"
#include "tools/devicectl/commands.h"

namespace devicectl {
namespace {

using kernel::RegistryPath;
using kernel::RegistryValue;

RegistryPath KeyPath(const std::string& text) {
  auto path = kernel::ParseRegistryPath(kernel::Utf8ToWide(text));
  if (!path) throw UsageError("'" + Shown(text) + "' does not start with HKLM or HKCU");
  return *path;
}

RegistryPath ExistingKey(const std::string& text) {
  RegistryPath path = KeyPath(text);
  if (!kernel::RegistryKeyExists(path)) throw CommandError("no such key: " + Shown(text));
  return path;
}

std::u16string WideText(const std::vector<std::uint8_t>& data) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
  std::ostringstream out;
  for (auto byte : data) out << std::hex << std::setw(2) << std::setfill('0') << int{byte};
  return out.str();
}

// A value's data as it prints: decimal for numbers, text for strings, hexadecimal bytes otherwise.
std::string DataText(const RegistryValue& value) {
  if (value.type == REG_DWORD && value.data.size() == 4) {
    std::uint32_t n = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (std::uint32_t{value.data[3]} << 24);
    return std::to_string(n);
  }
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) return kernel::WideToUtf8(WideText(value.data));
  return HexBytes(value.data);
}

std::string TypedText(const RegistryValue& value) {
  if (value.type == REG_DWORD && value.data.size() == 4) return "dword:" + DataText(value);
  if (value.type == REG_SZ) return "sz:" + DataText(value);
  if (value.type == REG_BINARY) return "binary:" + DataText(value);
  return "type" + std::to_string(value.type) + ":" + HexBytes(value.data);
}

RegistryValue ParseTypedValue(const std::string& name, const std::string& text) {
  RegistryValue value;
  value.name = kernel::Utf8ToWide(name);
  auto colon = text.find(':');
  std::string kind = text.substr(0, colon);
  std::string body = colon == std::string::npos ? "" : text.substr(colon + 1);
  if (colon == std::string::npos) throw UsageError("a value is dword:N, sz:TEXT or binary:HEX, not '" + Shown(text) + "'");
  if (kind == "dword") {
    auto n = static_cast<std::uint32_t>(ParseNumber(body, 0xFFFFFFFFu, "a dword"));
    value.type = REG_DWORD;
    value.data = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
                  static_cast<std::uint8_t>(n >> 24)};
  } else if (kind == "sz") {
    value.type = REG_SZ;
    for (char16_t c : kernel::Utf8ToWide(body)) {
      value.data.push_back(static_cast<std::uint8_t>(c));
      value.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    value.data.push_back(0);
    value.data.push_back(0);
  } else if (kind == "binary") {
    if (body.size() % 2 != 0) throw UsageError("binary data needs an even number of hexadecimal digits");
    value.type = REG_BINARY;
    for (std::size_t i = 0; i < body.size(); i += 2) {
      value.data.push_back(static_cast<std::uint8_t>(ParseNumber("0x" + body.substr(i, 2), 0xFF, "a byte")));
    }
  } else {
    throw UsageError("a value is dword:N, sz:TEXT or binary:HEX, not '" + Shown(text) + "'");
  }
  return value;
}

std::string ValueLabel(const std::u16string& name) { return name.empty() ? "@" : kernel::WideToUtf8(name); }

void Get(const Args& args, std::ostream& out) {
  if (args.empty() || args.size() > 2) throw UsageError("usage: reg get KEY [VALUE]");
  RegistryPath path = ExistingKey(args[0]);
  if (args.size() == 2) {
    std::u16string name = args[1] == "@" ? u"" : kernel::Utf8ToWide(args[1]);
    auto value = kernel::RegistryGetValue(path, name);
    if (!value) throw CommandError("no value '" + Shown(args[1]) + "' in " + Shown(args[0]));
    out << DataText(*value) << "\n";
    return;
  }
  for (const auto& value : kernel::RegistryListValues(path)) out << ValueLabel(value.name) << " = " << TypedText(value) << "\n";
  for (const auto& sub : kernel::RegistryListSubKeys(path)) {
    auto slash = sub.rfind(u'\\');
    out << "[" << kernel::WideToUtf8(slash == std::u16string::npos ? sub : sub.substr(slash + 1)) << "]\n";
  }
}

void Set(const Args& args) {
  if (args.size() != 3) throw UsageError("usage: reg set KEY VALUE dword:N|sz:TEXT|binary:HEX");
  RegistryPath path = KeyPath(args[0]);
  RegistryValue value = ParseTypedValue(args[1] == "@" ? "" : args[1], args[2]);
  if (!kernel::RegistrySetValue(path, value)) throw CommandError("cannot write " + Shown(args[1]) + " in " + Shown(args[0]));
}

void Delete(const Args& args) {
  if (args.empty() || args.size() > 2) throw UsageError("usage: reg delete KEY [VALUE]");
  RegistryPath path = ExistingKey(args[0]);
  if (args.size() == 2) {
    std::u16string name = args[1] == "@" ? u"" : kernel::Utf8ToWide(args[1]);
    if (!kernel::RegistryDeleteValue(path, name)) throw CommandError("no value '" + Shown(args[1]) + "' in " + Shown(args[0]));
  } else if (!kernel::RegistryDeleteKey(path)) {
    throw CommandError("cannot delete " + Shown(args[0]));
  }
}

void Export(const Args& args, std::ostream& out) {
  if (args.size() > 1) throw UsageError("usage: reg export [KEY]");
  std::optional<RegistryPath> path;
  if (!args.empty()) path = ExistingKey(args[0]);
  out << kernel::FormatRegFile(kernel::ExportRegistry(path));
}

void Import(const Args& args) {
  if (args.size() != 1) throw UsageError("usage: reg import FILE");
  std::ostringstream text;
  if (args[0] == "-") {
    text << std::cin.rdbuf();
  } else {
    std::error_code ec;
    if (std::filesystem::is_directory(args[0], ec)) throw UsageError(Shown(args[0]) + " is a folder, not a file");
    std::ifstream in(args[0], std::ios::binary);
    if (!in) throw UsageError("cannot read " + Shown(args[0]));
    text << in.rdbuf();
  }
  // A file that is not REGEDIT text is bad input, like a bad word on the command line.
  auto parsed = kernel::ParseRegFile(text.str());
  if (auto* error = std::get_if<kernel::RegFileError>(&parsed)) {
    throw UsageError(Shown(args[0]) + ", line " + std::to_string(error->line) + ": " + error->message);
  }
  kernel::ImportRegistry(std::get<std::vector<kernel::RegFileKey>>(parsed));
}

}  // namespace

void RegistryCommand(const Args& args, std::ostream& out) {
  if (args.empty()) throw UsageError("usage: reg get|set|delete|export|import ...");
  Args rest(args.begin() + 1, args.end());
  if (args[0] == "get") return Get(rest, out);
  if (args[0] == "set") return Set(rest);
  if (args[0] == "delete") return Delete(rest);
  if (args[0] == "export") return Export(rest, out);
  if (args[0] == "import") return Import(rest);
  throw UsageError("unknown reg command '" + Shown(args[0]) + "'");
}

}  // namespace devicectl
