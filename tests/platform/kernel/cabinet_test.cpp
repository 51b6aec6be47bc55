#include "platform/kernel/cabinet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_device.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TestDevice;

// An uncompressed cabinet holding the given files (name, contents), in one folder and one block.
std::string MakeCabinet(const std::vector<std::pair<std::string, std::string>>& files) {
  auto put16 = [](std::string& out, unsigned value) { out += char(value & 0xFF), out += char(value >> 8); };
  auto put32 = [&](std::string& out, unsigned value) { put16(out, value & 0xFFFF), put16(out, value >> 16); };
  std::string entries, data;
  for (const auto& [name, contents] : files) {
    put32(entries, static_cast<unsigned>(contents.size()));
    put32(entries, static_cast<unsigned>(data.size()));
    put16(entries, 0);  // the folder
    put16(entries, 0x21), put16(entries, 0), put16(entries, 0x20);  // date, time, attributes
    entries += name + '\0';
    data += contents;
  }
  const unsigned kHeader = 36, kFolder = 8;
  unsigned dataStart = kHeader + kFolder + static_cast<unsigned>(entries.size());
  std::string cab = "MSCF";
  put32(cab, 0), put32(cab, dataStart + 8 + static_cast<unsigned>(data.size())), put32(cab, 0);
  put32(cab, kHeader + kFolder), put32(cab, 0);  // the file entries' offset
  cab += char(3), cab += char(1);  // version 1.3
  put16(cab, 1), put16(cab, static_cast<unsigned>(files.size())), put16(cab, 0), put16(cab, 0), put16(cab, 0);
  put32(cab, dataStart), put16(cab, 1), put16(cab, 0);  // one block, stored
  cab += entries;
  put32(cab, 0), put16(cab, static_cast<unsigned>(data.size())), put16(cab, static_cast<unsigned>(data.size()));
  return cab + data;
}

std::string ReadHost(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Every file lands below the folder; a name that would lead elsewhere refuses the cabinet.
TEST(CabinetTest, FilesLandBelowTheFolderAndNoNameLeavesIt) {
  TestDevice device;
  fs::create_directories(device.Host("Windows"));
  struct Row {
    const char* name;
    std::string cabinet;
    DWORD result;
    std::vector<std::pair<const char*, const char*>> written;  // host path below the root, contents
  } rows[] = {
      {"files and a sub-folder", MakeCabinet({{"texts.lng", "Ziel"}, {"voice\\de.ini", "de"}}), ERROR_SUCCESS,
       {{"Program Files/Pelora/texts.lng", "Ziel"}, {"Program Files/Pelora/voice/de.ini", "de"}}},
      {"a parent folder", MakeCabinet({{"..\\..\\Windows\\Utility.exe", "x"}}), ERROR_BAD_FORMAT, {}},
      {"a parent folder, forward slashes", MakeCabinet({{"a/../../x", "x"}}), ERROR_BAD_FORMAT, {}},
      {"a name from the root", MakeCabinet({{"\\Windows\\Utility.exe", "x"}}), ERROR_BAD_FORMAT, {}},
      {"not a cabinet", "MZ this is no cabinet", ERROR_BAD_FORMAT, {}},
      {"a damaged block", MakeCabinet({{"texts.lng", "Ziel"}}).substr(0, 70), ERROR_BAD_FORMAT, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(device.Host("Program Files"));
    std::ofstream(device.Host("package.cab"), std::ios::binary | std::ios::trunc) << row.cabinet;
    EXPECT_EQ(kernel::ExtractCabinet(u"\\package.cab", u"\\Program Files\\Pelora"), row.result);
    for (const auto& [path, contents] : row.written) EXPECT_EQ(ReadHost(device.Host(path)), contents) << path;
    EXPECT_FALSE(fs::exists(device.Host("Windows/Utility.exe")));
    EXPECT_FALSE(fs::exists(device.Host("x")));
  }
  EXPECT_EQ(kernel::ExtractCabinet(u"\\missing.cab", u"\\Program Files\\Pelora"), ERROR_FILE_NOT_FOUND);
}

}  // namespace
