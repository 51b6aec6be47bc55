// Checks the committed skin files against the resource table: every bitmap id names a whole BMP,
// the click's wave header and the icon group. How the bitmaps look on the screens is in the golden
// images.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

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

// Checks a BMP's headers and that its rows, stored bottom-up, lie inside the file.
void LoadBitmap(const std::filesystem::path& path) {
  Bytes b = Read(path);
  EXPECT_EQ(b.Tag(0).substr(0, 2), "BM") << path;
  EXPECT_EQ(b.U32(2), b.d.size()) << path;
  EXPECT_EQ(b.U32(14), 40u) << path << ": BITMAPINFOHEADER";
  std::size_t w = b.U32(18), h = b.U32(22), depth = b.U16(28);
  EXPECT_EQ(b.U16(26), 1u) << path;
  EXPECT_EQ(b.U32(30), 0u) << path << ": BI_RGB";
  EXPECT_EQ(b.U32(10), 54u + (depth == 8 ? 1024u : 0u)) << path;
  EXPECT_LE(b.U32(10) + ((w * depth / 8 + 3) & ~std::size_t{3}) * h, b.d.size()) << path;
}

// Sizes and colours show in the golden images; here each bitmap the resource script names is a whole
// BMP (that each name is a numbered id is the resource tests' check).
TEST(SkinAssets, EveryBitmapIdNamesAWholeFile) {
  Bytes rc = Read(kRes / "utility.rc");
  std::istringstream script(std::string(rc.d.begin(), rc.d.end()));
  int bitmaps = 0;
  for (std::string line; std::getline(script, line);) {
    std::istringstream words(line);
    std::string name, type, file;
    if (words >> name >> type >> file && type == "BITMAP") {
      ++bitmaps;
      LoadBitmap(kRes / file.substr(1, file.size() - 2));
    }
  }
  EXPECT_EQ(bitmaps, 57);
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
