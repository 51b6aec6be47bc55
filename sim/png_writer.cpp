#include "sim/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "sim/shown_text.h"

namespace sim {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Writes the PNG through libpng's write callback; false when libpng gave up.
bool Encode(int width, int height, const std::uint32_t* pixels, void* sink, png_rw_ptr write) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
  // libpng reports failures by jumping back here; nothing below holds a resource of its own.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, sink, write, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Screenshots are taken often in scripts and tests: fast compression is worth a few bytes.
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* source = pixels + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<png_byte>(source[x] >> 16);
      row[3 * x + 1] = static_cast<png_byte>(source[x] >> 8);
      row[3 * x + 2] = static_cast<png_byte>(source[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

void WriteToFile(png_structp png, png_bytep data, png_size_t size) {
  auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
  if (std::fwrite(data, 1, size, file) != size) png_error(png, "write failed");
}

void WriteToString(png_structp png, png_bytep data, png_size_t size) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels, std::string* error) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    *error = "cannot write " + Shown(path) + ": " + std::strerror(errno);
    return false;
  }
  if (!Encode(width, height, pixels, file.get(), WriteToFile) || std::fflush(file.get()) != 0) {
    *error = "cannot write " + Shown(path) + (errno ? std::string(": ") + std::strerror(errno) : "");
    return false;
  }
  return true;
}

std::string EncodePng(int width, int height, const std::uint32_t* pixels) {
  std::string bytes;
  if (!Encode(width, height, pixels, &bytes, WriteToString)) return {};
  return bytes;
}

}  // namespace sim
