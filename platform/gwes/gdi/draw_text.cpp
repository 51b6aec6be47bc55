#include "platform/gwes/gdi/draw_text.h"

#include <algorithm>

#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/font_engine.h"
#include "platform/gwes/gdi/text.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"

namespace gwes {
namespace {

// A paragraph's characters with their underline marks (from the prefix rule).
struct MarkedText {
  std::u16string text;
  std::vector<bool> underlined;
};

// Resolves "&" prefixes and splits at line ends into paragraphs.
std::vector<MarkedText> Paragraphs(std::u16string_view text, UINT format) {
  const bool prefixes = !(format & DT_NOPREFIX);
  const bool breaks = !(format & DT_SINGLELINE);
  std::vector<MarkedText> paragraphs(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool mark = false;
    if (breaks && (c == u'\r' || c == u'\n')) {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      paragraphs.emplace_back();
      continue;
    }
    if (prefixes && c == u'&') {
      if (++i == text.size()) break;  // a lone final "&" shows nothing
      c = text[i];
      mark = c != u'&';
      if (breaks && (c == u'\r' || c == u'\n')) {
        --i;
        continue;
      }
    }
    paragraphs.back().text.push_back(c);
    paragraphs.back().underlined.push_back(mark);
  }
  return paragraphs;
}

void Emit(std::vector<TextLine>& lines, const MarkedText& paragraph, std::size_t begin, std::size_t end, int width) {
  TextLine line;
  line.text = paragraph.text.substr(begin, end - begin);
  line.width = width;
  for (std::size_t i = begin; i < end; ++i)
    if (paragraph.underlined[i]) line.underline = static_cast<int>(i - begin);
  lines.push_back(std::move(line));
}

}  // namespace

std::vector<TextLine> LayoutText(std::u16string_view text, UINT format, int width,
                                 const std::function<int(std::u16string_view)>& measure) {
  std::vector<TextLine> lines;
  const bool wrap = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
  for (const MarkedText& paragraph : Paragraphs(text, format)) {
    const std::u16string_view all(paragraph.text);
    if (!wrap) {
      Emit(lines, paragraph, 0, all.size(), measure(all));
      continue;
    }
    // Greedy filling, word by word; widths add up because the measure is additive.
    std::size_t lineStart = 0, lineEnd = 0;  // [lineStart, lineEnd): the words placed so far
    int lineWidth = 0;
    std::size_t pos = 0;
    while (pos < all.size()) {
      std::size_t wordStart = pos;
      while (wordStart < all.size() && all[wordStart] == u' ') ++wordStart;
      std::size_t wordEnd = wordStart;
      while (wordEnd < all.size() && all[wordEnd] != u' ') ++wordEnd;
      const int gapAndWord = measure(all.substr(pos, wordEnd - pos));
      if (lineEnd > lineStart && lineWidth + gapAndWord > width) {
        Emit(lines, paragraph, lineStart, lineEnd, lineWidth);
        lineStart = wordStart;
        lineEnd = wordEnd;
        lineWidth = measure(all.substr(wordStart, wordEnd - wordStart));
      } else {
        if (lineEnd == lineStart) lineStart = wordStart;  // a line never starts with the break's spaces
        lineWidth = lineEnd == lineStart ? measure(all.substr(wordStart, wordEnd - wordStart)) : lineWidth + gapAndWord;
        lineEnd = wordEnd;
      }
      pos = wordEnd;
    }
    Emit(lines, paragraph, lineStart, lineEnd, lineWidth);
  }
  return lines;
}

}  // namespace gwes

int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format) {
  auto context = gwes::LookupDC(dc);
  if (!context) return 0;
  if (!rect || (!text && count != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const gwes::FontInstance* font = gwes::SelectedFont(*context);
  if (!font) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  const std::u16string_view view = count < 0 ? kernel::WideView(text) : std::u16string_view(text, static_cast<std::size_t>(count));
  const int lineHeight = font->Metrics().height;
  const auto lines = gwes::LayoutText(view, format, gwes::RectWidth(*rect),
                                      [font](std::u16string_view part) { return font->Width(part); });
  const int total = lineHeight * static_cast<int>(lines.size());

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const auto& line : lines) widest = std::max(widest, line.width);
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }

  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = (rect->top + rect->bottom - total) / 2;
    else if (format & DT_BOTTOM) y = rect->bottom - total;
  }
  const RECT* bounds = (format & DT_NOCLIP) ? nullptr : rect;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto& line = lines[i];
    int x = rect->left;
    if (format & DT_CENTER) x = (rect->left + rect->right - line.width) / 2;
    else if (format & DT_RIGHT) x = rect->right - line.width;
    gwes::DrawTextRun(*context, x, y + lineHeight * static_cast<int>(i), line.text, bounds, line.underline);
  }
  if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return y + total - rect->top;
  return total;
}
