#include "platform/gwes/gdi/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/kernel/wide_string.h"

namespace gwes {
namespace {

constexpr int kSystemFontPixels = 13;
// The common controls' own font, as on the desktop a size below the system font's.
constexpr int kGuiFontPixels = 10;
constexpr int kMaxPixels = 512;

struct LibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct SizeDeleter {
  void operator()(FT_Size size) const { FT_Done_Size(size); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;
using SizePtr = std::unique_ptr<std::remove_pointer_t<FT_Size>, SizeDeleter>;

// FreeType reads a font file through this stream with pread: only the tables and outlines in use
// are read, into FreeType's own small buffers, instead of a mapping of the whole file whose pages
// count against the program's memory by the sixteen (the kernel maps around every fault).
unsigned long ReadFont(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
  if (count == 0) return offset <= stream->size ? 0 : 1;  // a seek: zero is success
  unsigned long done = 0;
  while (done < count) {
    const ssize_t got = ::pread(static_cast<int>(stream->descriptor.value), buffer + done, count - done,
                                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<unsigned long>(got);
  }
  return done;
}

void CloseFont(FT_Stream stream) {
  ::close(static_cast<int>(stream->descriptor.value));
  stream->descriptor.value = -1;
}

// A font file opened once and the metrics the sizes are derived from. Every pixel size of the file
// is a size object of this one face.
struct FontFile {
  FT_StreamRec stream{};  // outlives the face, which closes it
  FacePtr face;
  int unitsPerEm = 2048;
  int winAscent = 0;
  int winDescent = 0;
  int avgCharWidth = 0;
  int maxAdvance = 0;
  int underlinePosition = 0;
  int underlineThickness = 0;
};

int Scale(int units, int em, int unitsPerEm) {
  return static_cast<int>(std::lround(static_cast<double>(units) * em / unitsPerEm));
}

char32_t NextCodePoint(std::u16string_view text, std::size_t& i) {
  const char16_t unit = text[i++];
  if (unit >= 0xD800 && unit < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000) {
    const char16_t low = text[i++];
    return 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (low - 0xDC00);
  }
  return unit;
}

}  // namespace

struct FontInstance::Face {
  FT_Face face = nullptr;  // the file's face, which outlives its sizes
  SizePtr size;            // activated on the face before each glyph is rendered
  std::unordered_map<char32_t, Glyph> glyphs;  // node-based: glyph addresses stay put
};

namespace {

// FreeType, the files and the instances, behind one lock. Members are destroyed in reverse order,
// so the sizes go before their faces and the faces before the library.
struct Engine {
  std::mutex lock;
  LibraryPtr library;
  std::map<std::string, std::unique_ptr<FontFile>> files;  // by file name; null when missing
  std::map<std::pair<std::string, int>, std::unique_ptr<FontInstance>> instances;

  Engine() {
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) == 0) library.reset(raw);
  }

  // The face of the font file at `path`, read through `stream`; null when it cannot be opened.
  FT_Face Open(const std::string& path, FT_StreamRec& stream) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status{};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    stream.size = static_cast<unsigned long>(status.st_size);
    stream.descriptor.value = fd;
    stream.read = ReadFont;
    stream.close = CloseFont;
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = &stream;
    FT_Face face = nullptr;
    // A failed open closes the stream itself.
    if (FT_Open_Face(library.get(), &args, 0, &face) != 0) return nullptr;
    return face;
  }

  FontFile* File(const std::string& name) {
    auto [it, inserted] = files.try_emplace(name);
    if (!inserted) return it->second.get();
    const std::string path = std::string(kFontFolder) + "/" + name;
    auto file = std::make_unique<FontFile>();
    FacePtr face(library ? Open(path, file->stream) : nullptr);
    if (!face) {
      std::fprintf(stderr, "quorvane: font %s is missing or unreadable (install fonts-dejavu-core and fonts-dejavu-extra)\n",
                   path.c_str());
      return nullptr;
    }
    file->unitsPerEm = face->units_per_EM ? face->units_per_EM : 2048;
    file->winAscent = face->ascender;
    file->winDescent = -face->descender;
    file->maxAdvance = face->max_advance_width;
    file->underlinePosition = face->underline_position;
    file->underlineThickness = face->underline_thickness;
    // Line metrics as the device computes them: from the OS/2 table's Windows ascent and descent.
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2))) {
      file->winAscent = os2->usWinAscent;
      file->winDescent = os2->usWinDescent;
      file->avgCharWidth = os2->xAvgCharWidth;
    }
    file->face = std::move(face);
    it->second = std::move(file);
    return it->second.get();
  }

  const FontInstance* Instance(const std::string& name, LONG height) {
    std::lock_guard guard(lock);
    FontFile* file = File(name);
    if (!file) return nullptr;
    // Heights are clamped before any arithmetic, so even the most negative LONG is harmless.
    const int clamped = static_cast<int>(std::clamp<LONG>(height, -kMaxPixels * 2, kMaxPixels * 2));
    int em = clamped < 0 ? -clamped
                         : clamped > 0 ? Scale(clamped, file->unitsPerEm, file->winAscent + file->winDescent)
                                       : kSystemFontPixels;
    em = std::clamp(em, 1, kMaxPixels);
    auto& slot = instances[{name, em}];
    if (slot) return slot.get();
    auto face = std::make_unique<FontInstance::Face>();
    face->face = file->face.get();
    FT_Size size = nullptr;
    if (FT_New_Size(face->face, &size) != 0) return nullptr;
    face->size.reset(size);
    FT_Activate_Size(size);
    FT_Set_Pixel_Sizes(face->face, 0, static_cast<FT_UInt>(em));
    FontMetrics metrics;
    metrics.emPixels = em;
    metrics.ascent = Scale(file->winAscent, em, file->unitsPerEm);
    metrics.descent = Scale(file->winDescent, em, file->unitsPerEm);
    metrics.height = metrics.ascent + metrics.descent;
    metrics.internalLeading = std::max(0, metrics.height - em);
    metrics.aveCharWidth = Scale(file->avgCharWidth, em, file->unitsPerEm);
    metrics.maxCharWidth = Scale(file->maxAdvance, em, file->unitsPerEm);
    metrics.underlineOffset = std::max(1, Scale(-file->underlinePosition, em, file->unitsPerEm));
    metrics.underlineThickness = std::max(1, Scale(file->underlineThickness, em, file->unitsPerEm));
    metrics.weight = name.find("Bold") != std::string::npos ? FW_BOLD : FW_NORMAL;
    slot = std::make_unique<FontInstance>(std::move(face), metrics);
    return slot.get();
  }
};

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

const Glyph& Render(FontInstance::Face& face, char32_t code) {
  auto [it, inserted] = face.glyphs.try_emplace(code);
  Glyph& glyph = it->second;
  if (!inserted || code < 0x20) return glyph;
  // Unhinted outlines: anti-aliased they read as well at these sizes, and a first frame costs a
  // third fewer instructions than with the light auto-hinter.
  if (face.face->size != face.size.get()) FT_Activate_Size(face.size.get());
  if (FT_Load_Char(face.face, code, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) return glyph;
  const FT_GlyphSlot slot = face.face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return glyph;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.height = static_cast<int>(bitmap.rows);
  glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.height);
  for (int y = 0; y < glyph.height; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    std::copy_n(row, glyph.width, glyph.coverage.data() + static_cast<std::size_t>(y) * glyph.width);
  }
  return glyph;
}

}  // namespace

FontInstance::FontInstance(std::unique_ptr<Face> face, const FontMetrics& metrics)
    : m_face(std::move(face)), m_metrics(metrics) {}

FontInstance::~FontInstance() = default;

void FontInstance::Glyphs(std::u16string_view text, std::vector<const Glyph*>& out) const {
  out.clear();
  std::lock_guard guard(TheEngine().lock);
  for (std::size_t i = 0; i < text.size();) out.push_back(&Render(*m_face, NextCodePoint(text, i)));
}

int FontInstance::Width(std::u16string_view text) const {
  int width = 0;
  std::lock_guard guard(TheEngine().lock);
  for (std::size_t i = 0; i < text.size();) width += Render(*m_face, NextCodePoint(text, i)).advance;
  return width;
}

const FontInstance* ResolveFont(const LOGFONTW& description) {
  const std::u16string_view face(description.lfFaceName,
                                 std::find(description.lfFaceName, description.lfFaceName + LF_FACESIZE, u'\0'));
  std::string file;
  // Every other face, the system face first of all, is the condensed sans: the device's own system
  // face is about that narrow, so texts sized for its screens fit their places.
  if (kernel::EqualsNoCase(face, u"Impact")) file = "DejaVuSansCondensed-Bold.ttf";
  else file = description.lfWeight >= 600 ? "DejaVuSansCondensed-Bold.ttf" : "DejaVuSansCondensed.ttf";
  return TheEngine().Instance(file, description.lfHeight);
}

LOGFONTW GuiLogFont() {
  LOGFONTW font = SystemLogFont();
  font.lfHeight = -kGuiFontPixels;
  return font;
}

LOGFONTW SystemLogFont() {
  LOGFONTW font{};
  font.lfHeight = -kSystemFontPixels;
  font.lfWeight = FW_NORMAL;
  std::copy_n(u"System", 7, font.lfFaceName);
  return font;
}

}  // namespace gwes
