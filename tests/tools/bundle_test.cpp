// devicectl save and load: a device round-trips through a bundle, and bad bundles are refused
// without leaving anything behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/programs.h"

namespace {

using testing_support::Devicectl;
using testing_support::ReadText;
using testing_support::ScratchRoot;
using testing_support::Utility;

// A tar archive with the parts the saver's own headers would have: 512-byte ustar headers.
std::string TarHeader(const std::string& name, char type, std::uint64_t size, const std::string& link = "") {
  std::string header(512, '\0');
  auto put = [&](std::size_t at, std::size_t width, const std::string& text) { header.replace(at, std::min(width, text.size()), text.substr(0, width)); };
  auto octal = [](std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof(text), "%0*llo", digits, static_cast<unsigned long long>(value));
    return std::string(text);
  };
  put(0, 100, name);
  put(100, 8, octal(type == '5' ? 0755 : 0644, 7));
  put(108, 8, octal(0, 7));
  put(116, 8, octal(0, 7));
  put(124, 12, octal(size, 11));
  put(136, 12, octal(0, 11));
  put(148, 8, "        ");
  header[156] = type;
  put(157, 100, link);
  put(257, 6, "ustar");
  put(263, 2, "00");
  unsigned sum = 0;
  for (unsigned char c : header) sum += c;
  put(148, 8, octal(sum, 6) + std::string(1, '\0') + " ");
  return header;
}

std::string TarFile(const std::string& name, const std::string& data) {
  std::string padded = data + std::string((512 - data.size() % 512) % 512, '\0');
  return TarHeader(name, '0', data.size()) + padded;
}

// The entries of a tar as written by save, with the time stamps of the generated parts blanked.
std::string WithoutPartTimes(std::string tar) {
  for (std::size_t at = 0; at + 512 <= tar.size();) {
    std::string name = tar.substr(at, 100).c_str();
    std::uint64_t size = std::stoull("0" + std::string(tar.substr(at + 124, 12).c_str()), nullptr, 8);
    if (name.empty()) break;
    if (name.find('/') == std::string::npos) {
      tar.replace(at + 136, 12, 12, ' ');  // mtime
      tar.replace(at + 148, 8, 8, ' ');    // checksum
    }
    at += 512 + (size + 511) / 512 * 512;
  }
  return tar;
}

// A device changed through the utility's pages and devicectl round-trips: the second save equals the
// first apart from the time stamps of the generated parts; files keep their modes and times.
TEST(Bundle, SaveLoadSaveReproducesTheDevice) {
  testing_support::ImagedRoot root;
  ScratchRoot copy;
  auto tour = Utility(root, {"--headless", "--script", QUORVANE_SOURCE_DIR "/scripts/tour.script", "--shots",
                             (root.Path().parent_path() / "shots").string()});
  ASSERT_EQ(tour.status, 0) << tour.err;
  // A volume step logs a click, and the close key is passed on into the key log.
  ASSERT_EQ(Utility(root, {"--headless", "--script", "-"}, "key RIGHT\nkey ENTER\nkey RIGHT\nkey CLOSE\n").status, 0);
  ASSERT_NE(Devicectl(root, {"sounds"}).out, "");
  ASSERT_NE(Devicectl(root, {"keys"}).out, "");
  for (const auto& words : std::vector<std::vector<std::string>>{
           {"backlight", "2"}, {"battery", "--ac", "off", "--percent", "40"}, {"store-block", "--bytes", "4"},
           {"reg", "set", "HKLM\\Software\\Quorvane Test", "Name", "sz:Grüße \"x\""}, {"reset"}}) {
    ASSERT_EQ(Devicectl(root, words).status, 0) << words[0];
  }
  auto file = root.Path() / "My Flash Disk" / "Notes" / "read only.txt";
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "kept\n";
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);

  auto first = root.Path().parent_path() / "first.tar", second = root.Path().parent_path() / "second.tar";
  ASSERT_EQ(Devicectl(root, {"save", first.string()}).status, 0);
  auto load = Devicectl(root, {"load", first.string(), "--device", copy.String()});
  ASSERT_EQ(load.status, 0) << load.err;
  ASSERT_EQ(Devicectl(copy, {"save", second.string()}).status, 0);
  EXPECT_EQ(WithoutPartTimes(ReadText(first)), WithoutPartTimes(ReadText(second)));

  auto copied = copy.Path() / "My Flash Disk" / "Notes" / "read only.txt";
  EXPECT_EQ(ReadText(copied), "kept\n");
  EXPECT_EQ(std::filesystem::status(copied).permissions(), std::filesystem::perms::owner_read);
  EXPECT_EQ(std::filesystem::last_write_time(copied), std::filesystem::last_write_time(file));
  for (const auto& words : std::vector<std::vector<std::string>>{{"battery"}, {"reset"}, {"keys"}, {"sounds"}}) {
    EXPECT_EQ(Devicectl(copy, words).out, Devicectl(root, words).out) << words[0];
  }
  // The registry part is plain REGEDIT4 text, one value a line.
  EXPECT_NE(ReadText(first).find("\"Name\"=\"Grüße \\\"x\\\"\""), std::string::npos);

  // A non-empty root is replaced only with --force.
  EXPECT_EQ(Devicectl(copy, {"load", first.string()}).status, 1);
  EXPECT_EQ(Devicectl(copy, {"load", first.string(), "--force"}).status, 0);
}

TEST(Bundle, BadBundlesAreRefusedAndLeaveNothingBehindAndAGoodOneIsLaid) {
  const std::string reg = TarFile("registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\nls]\n\"DefaultLCID\"=dword:00000409\n");
  const std::string logs = TarFile("logs.json", "{\"keys\": [], \"sounds\": [], \"resets\": []}");
  const std::string parts = reg + TarFile("state.json", "{\"backlight\": 3}") + logs;
  auto closed = [](const std::string& body, int entries) {
    return body + TarFile("bundle.json", "{\"format\": 1, \"entries\": " + std::to_string(entries) + "}") +
           std::string(1024, '\0');
  };
  const std::string good = closed(parts + TarFile("files/Windows/a.txt", "a"), 4);
  const std::string badRegistry = TarFile("registry.reg", "REGEDIT4\n\n[HKEY_NOWHERE\\x]\n\"a\"=dword:zz\n");
  struct Case {
    std::string name;
    std::string tar;
    std::string reason;
  } kCases[] = {
      {"good", good, ""},  // laid
      {"truncated", good.substr(0, good.size() - 2048 - 100), "cut short"},
      {"no closing record", parts + std::string(1024, '\0'), "no closing record"},
      {"wrong count", closed(parts, 5), "counts other entries"},
      {"dot-dot", closed(parts + TarFile("files/../escape.txt", "x"), 4), "not a device file's name"},
      {"absolute", closed(parts + TarFile("/tmp/escape.txt", "x"), 4), "not a device file's name"},
      {"outside files", closed(parts + TarFile("other.txt", "x"), 4), "not a device file's name"},
      {"store name", closed(parts + TarFile("files/registry.db", "x"), 4), "not a device file's name"},
      {"symlink", closed(parts + TarHeader("files/link", '2', 0, "/etc/passwd"), 4), "is a link"},
      {"hard link", closed(parts + TarHeader("files/link", '1', 0, "registry.reg"), 4), "is a link"},
      {"huge entry", parts + TarHeader("files/huge.bin", '0', 1ull << 33) + std::string(512, 'x'), "larger than"},
      {"no registry", closed(TarFile("state.json", "{}") + logs, 2), "has no registry.reg"},
      {"bad registry", closed(badRegistry + TarFile("state.json", "{}") + logs, 3), "registry.reg line"},
      {"bad state", closed(reg + TarFile("state.json", "{\"b\": \"x\"}") + logs, 3), "state.json"},
      {"twice", closed(parts + TarFile("files/a", "1") + TarFile("files/a", "2"), 5), "comes twice"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchRoot target;
    auto bundle = target.Path().parent_path() / "bundle.tar";
    std::ofstream(bundle, std::ios::binary) << c.tar;
    auto result = Devicectl(target, {"load", bundle.string()});
    if (c.reason.empty()) {
      ASSERT_EQ(result.status, 0) << result.err;
      EXPECT_EQ(Devicectl(target, {"backlight"}).out, "3\n");
      EXPECT_EQ(ReadText(target.Path() / "Windows" / "a.txt"), "a");
      continue;
    }
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    // Only the bundle itself is left in the folder.
    auto folder = std::filesystem::directory_iterator(target.Path().parent_path());
    EXPECT_EQ(std::distance(folder, std::filesystem::directory_iterator{}), 1);
  }
}

}  // namespace
