// The font engine: FreeType faces of the DejaVu family at pixel sizes, with a glyph cache keyed by
// face and size (the weight picks the face). Glyphs are grey-scale coverage maps, rendered on first
// use and kept for the life of the process, so a label redrawn many times renders each glyph once.
// Thread-safe: one lock guards FreeType and the caches.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gwes/gdi/gdi_objects.h"

namespace gwes {

// Where the fonts are (Debian's fonts-dejavu-core and fonts-dejavu-extra).
constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu";

struct Glyph {
  int left = 0;     // from the pen position to the first column
  int top = 0;      // from the baseline up to the first row
  int width = 0;
  int height = 0;
  int advance = 0;  // whole pixels
  std::vector<std::uint8_t> coverage;  // width x height, 0 (none) to 255 (full)
};

struct FontMetrics {
  int emPixels = 0;
  int ascent = 0;
  int descent = 0;
  int height = 0;  // ascent + descent: one line
  int internalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int underlineOffset = 0;  // first underline row below the baseline
  int underlineThickness = 1;
  int weight = FW_NORMAL;
};

class FontInstance {
 public:
  struct Face;
  FontInstance(std::unique_ptr<Face> face, const FontMetrics& metrics);
  ~FontInstance();
  const FontMetrics& Metrics() const { return m_metrics; }
  // The glyph of every UTF-16 code unit sequence in `text` (surrogate pairs give one glyph), in
  // order. Control characters give an empty glyph with no advance.
  void Glyphs(std::u16string_view text, std::vector<const Glyph*>& out) const;
  // Sum of the advances.
  int Width(std::u16string_view text) const;

 private:
  std::unique_ptr<Face> m_face;
  FontMetrics m_metrics;
};

// The cached instance for a description: "Impact" gives DejaVu Sans Condensed Bold; every other
// face name (the device's "System" among them) gives DejaVu Sans, bold from weight 600. A negative
// height is the character height in pixels, a positive one the cell height, zero the system font's
// size. Null (with a message on standard error) when the font file is missing.
const FontInstance* ResolveFont(const LOGFONTW& description);

// The system font's description: "System", 13 pixels (10 points), normal weight.
LOGFONTW SystemLogFont();
// The stock DEFAULT_GUI_FONT's description: the system face at 10 pixels, the font a
// common control draws with until it is given one.
LOGFONTW GuiLogFont();

}  // namespace gwes
