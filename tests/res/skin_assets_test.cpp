// Checks the committed skin files against the resource table: every bitmap's id, size and depth,
// the click's wave header, the zone-name text (against the string table) and the icon group. How
// the bitmaps look on the screens is in the golden images.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/kernel/resources.h"
#include "platform/kernel/wide_string.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

const std::filesystem::path kRes = std::filesystem::path(QUORVANE_SOURCE_DIR) / "res";

// File bytes with bounds-checked little-endian reads; a read past the end throws.
struct Bytes {
  std::vector<std::uint8_t> d;
  std::uint32_t U(std::size_t at, int n) const {
    if (at + n > d.size()) throw std::out_of_range("read past the end of the file");
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | d[at + i];
    return v;
  }
  std::uint32_t U16(std::size_t at) const { return U(at, 2); }
  std::uint32_t U32(std::size_t at) const { return U(at, 4); }
  std::string Tag(std::size_t at) const { return {char(U(at, 1)), char(U(at + 1, 1)), char(U(at + 2, 1)), char(U(at + 3, 1))}; }
};

Bytes Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  return {std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {})};
}

// A parsed BMP: its header fields and a reader of 24-bit colours (0xRRGGBB) by position.
struct Bitmap {
  Bytes b;
  int w = 0, h = 0, depth = 0;
  std::uint32_t Pixel(int x, int y) const {
    std::uint32_t offset = b.U32(10);
    std::size_t stride = (std::size_t(w) * depth / 8 + 3) & ~std::size_t{3};
    std::size_t at = offset + std::size_t(h - 1 - y) * stride;  // rows are stored bottom-up
    if (depth == 24) return b.U(at + x * 3, 3);
    return b.U(14 + 40 + 4 * b.U(at + x, 1), 3);
  }
};

Bitmap LoadBitmap(const std::filesystem::path& path) {
  Bitmap bmp{Read(path)};
  const Bytes& b = bmp.b;
  EXPECT_EQ(b.Tag(0).substr(0, 2), "BM") << path;
  EXPECT_EQ(b.U32(2), b.d.size()) << path;
  EXPECT_EQ(b.U32(14), 40u) << path << ": BITMAPINFOHEADER";
  bmp.w = int(b.U32(18));
  bmp.h = int(b.U32(22));  // positive: bottom-up
  bmp.depth = int(b.U16(28));
  EXPECT_EQ(b.U16(26), 1u) << path;
  EXPECT_EQ(b.U32(30), 0u) << path << ": BI_RGB";
  EXPECT_EQ(b.U32(10), 54u + (bmp.depth == 8 ? 1024u : 0u)) << path;
  bmp.Pixel(bmp.w - 1, 0);  // the last row stored is inside the file
  return bmp;
}

// Bitmap ids of the resource script, with the file each one names.
std::map<int, std::string> BitmapFiles() {
  std::map<std::string, int> ids;
  Bytes h = Read(kRes / "resource.h");
  std::istringstream header(std::string(h.d.begin(), h.d.end()));
  for (std::string line; std::getline(header, line);) {
    std::istringstream words(line);
    std::string define, name;
    int id = 0;
    if (words >> define >> name >> id && define == "#define") ids[name] = id;
  }
  std::map<int, std::string> files;
  Bytes rc = Read(kRes / "utility.rc");
  std::istringstream script(std::string(rc.d.begin(), rc.d.end()));
  for (std::string line; std::getline(script, line);) {
    std::istringstream words(line);
    std::string name, type, file;
    if (words >> name >> type >> file && type == "BITMAP" && ids.count(name)) files[ids[name]] = file.substr(1, file.size() - 2);
  }
  return files;
}

struct Expected {
  int id, w, h, depth;
};

const Expected kBitmaps[] = {
    {IDB_MENU_BACKGROUND, 320, 240, 8}, {IDB_VOLUME_BACKGROUND, 320, 240, 8}, {IDB_PLAIN_BACKGROUND, 320, 240, 8},
    {IDB_DATE_TIME_BACKGROUND, 320, 240, 8}, {IDB_POWER_BACKGROUND, 320, 240, 8},
    {IDB_CALIBRATION_BACKGROUND, 320, 240, 8}, {IDB_BACKLIGHT_BACKGROUND, 320, 240, 8},
    {IDB_LANGUAGE_BACKGROUND, 320, 240, 8}, {IDB_MENU_BACKLIGHT_NORMAL, 54, 59, 8},
    {IDB_MENU_POWER_NORMAL, 54, 59, 8}, {IDB_MENU_CALIBRATION_NORMAL, 54, 59, 8},
    {IDB_MENU_DATE_TIME_NORMAL, 54, 59, 8}, {IDB_MENU_BACK_NORMAL, 54, 59, 8}, {IDB_MENU_VOLUME_NORMAL, 54, 59, 8},
    {IDB_MENU_LANGUAGE_NORMAL, 54, 59, 8}, {IDB_MENU_BACKLIGHT_SELECTED, 54, 59, 8},
    {IDB_MENU_POWER_SELECTED, 54, 59, 8}, {IDB_MENU_CALIBRATION_SELECTED, 54, 59, 8},
    {IDB_MENU_DATE_TIME_SELECTED, 54, 59, 8}, {IDB_MENU_BACK_SELECTED, 54, 59, 8},
    {IDB_MENU_VOLUME_SELECTED, 54, 59, 8}, {IDB_MENU_LANGUAGE_SELECTED, 54, 59, 8}, {IDB_BLUE_BAR, 185, 27, 8},
    {IDB_BLUE_BAR_LIGHT, 185, 27, 8}, {IDB_SLIDER_THUMB, 27, 31, 24}, {IDB_SLIDER_TRACK, 203, 34, 24},
    {IDB_CALIBRATION_CARD, 255, 115, 8}, {IDB_BATTERY_BAR_FILL, 235, 6, 8}, {IDB_BATTERY_BAR_TRACK, 237, 8, 8},
    {IDB_BUTTON_OK_NORMAL, 58, 28, 24}, {IDB_BUTTON_OK_FOCUS, 58, 28, 24}, {IDB_BUTTON_CANCEL_NORMAL, 58, 28, 24},
    {IDB_BUTTON_CANCEL_FOCUS, 58, 28, 24}, {IDB_MESSAGE_OK_PRESSED, 58, 28, 24}, {IDB_MESSAGE_OK_NORMAL, 58, 28, 24},
    {IDB_ARROW_RIGHT_NORMAL, 27, 27, 24}, {IDB_ARROW_LEFT_NORMAL, 27, 27, 24}, {IDB_ARROW_RIGHT_FOCUS, 27, 27, 24},
    {IDB_ARROW_LEFT_FOCUS, 27, 27, 24}, {IDB_ARROW_DOWN_NORMAL, 27, 27, 24}, {IDB_ARROW_DOWN_FOCUS, 27, 27, 24},
    {IDB_ARROW_UP_FOCUS, 27, 27, 24}, {IDB_ARROW_UP_NORMAL, 27, 27, 24}, {IDB_MESSAGE_PANEL, 280, 130, 8},
    {IDB_PILL_NORMAL, 75, 30, 8}, {IDB_PILL_PRESSED, 75, 30, 8}, {IDB_PILL_ALT_NORMAL, 75, 30, 8},
    {IDB_PILL_ALT_PRESSED, 75, 30, 8}, {IDB_WAIT_FRAME_3, 120, 41, 8}, {IDB_WAIT_FRAME_1, 120, 41, 8},
    {IDB_WAIT_FRAME_2, 120, 41, 8}, {IDB_WAIT_FRAME_0, 120, 41, 8}, {IDB_WAIT_FRAME_4, 120, 41, 8},
    {IDB_WAIT_FRAME_5, 120, 41, 8}, {IDB_WAIT_FRAME_6, 120, 41, 8}, {IDB_WAIT_FRAME_7, 120, 41, 8},
    {IDB_WAIT_FRAME_8, 120, 41, 8},
};

TEST(SkinAssets, EveryBitmapIdNamesAFileOfItsSizeAndDepth) {
  std::map<int, std::string> files = BitmapFiles();
  EXPECT_EQ(files.size(), std::size(kBitmaps));
  for (const Expected& e : kBitmaps) {
    ASSERT_TRUE(files.count(e.id)) << "bitmap " << e.id << " is not in the resource script";
    Bitmap bmp = LoadBitmap(kRes / files[e.id]);
    EXPECT_EQ(bmp.w, e.w) << e.id;
    EXPECT_EQ(bmp.h, e.h) << e.id;
    EXPECT_EQ(bmp.depth, e.depth) << e.id;
  }
}

TEST(SkinAssets, ClickIsMonoEightBitPcmAt22050Hz) {
  Bytes wav = Read(kRes / "click.wav");
  ASSERT_EQ(wav.d.size(), 1154u);
  EXPECT_EQ(wav.Tag(0) + wav.Tag(8) + wav.Tag(12) + wav.Tag(36), "RIFFWAVEfmt data");
  // Offset, width, value: the sizes, PCM, mono, 22050 Hz, a byte a sample of 8 bits, and an odd data
  // size, so one pad byte ends the file.
  const std::uint32_t kFields[][3] = {{4, 4, 1146},    {16, 4, 16}, {20, 2, 1}, {22, 2, 1}, {24, 4, 22050},
                                      {28, 4, 22050}, {32, 2, 1},  {34, 2, 8}, {40, 4, 1109}};
  for (const auto& [at, width, value] : kFields) EXPECT_EQ(wav.U(at, int(width)), value) << "offset " << at;
}

// The text file holds the string table's seventy-five zone names (ids 49 to 123), CRLF between.
TEST(SkinAssets, ZoneNamesTextHoldsTheStringTablesZoneNamesSeparatedByCrLf) {
  kernel::SetProgramResources(ProgramResourceBytes());
  std::string expected;
  for (UINT id = 49; id <= 123; ++id) {
    WCHAR name[64];
    int count = LoadStringW(nullptr, id, name, 64);
    expected += (id == 49 ? "" : "\r\n") + kernel::WideToUtf8(std::u16string_view(name, std::size_t(count)));
  }
  Bytes text = Read(kRes / "zone_names.txt");
  EXPECT_EQ(text.d.size(), 1380u);
  EXPECT_EQ(std::string(text.d.begin(), text.d.end()), expected);
}

TEST(SkinAssets, IconHoldsA32And16PixelImage) {
  Bytes ico = Read(kRes / "utility.ico");
  EXPECT_EQ(ico.U16(0), 0u);
  EXPECT_EQ(ico.U16(2), 1u);  // icon, not cursor
  ASSERT_EQ(ico.U16(4), 2u);
  for (int i = 0; i < 2; ++i) {
    std::size_t entry = 6 + 16 * i;
    std::uint32_t size = ico.U32(entry + 8), offset = ico.U32(entry + 12);
    EXPECT_EQ(ico.U(entry, 1), i == 0 ? 32u : 16u);
    ASSERT_LE(std::uint64_t{offset} + size, ico.d.size());
    EXPECT_EQ(ico.U32(offset), 40u);                // a DIB with its AND mask: double height
    EXPECT_EQ(ico.U32(offset + 8), 2 * ico.U32(offset + 4));
  }
}

}  // namespace
