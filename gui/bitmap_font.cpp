#include "gui/bitmap_font.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "gui/builtin_font_data.h"
#include "gui/surface.h"

namespace vt::gui {

bool BitmapFont::build(int cellWidth, int height, int ascent, const std::uint8_t* cells, const int* advances) {
  coverageData.reset();
  if (cellWidth <= 0 || height <= 0 || cellWidth > 256 || height > 256 || !cells || !advances) return false;
  const std::size_t cell = static_cast<std::size_t>(cellWidth) * static_cast<std::size_t>(height);
  coverageData.reset(new (std::nothrow) std::uint8_t[cell * kCount]);
  if (!coverageData) return false;
  std::memcpy(coverageData.get(), cells, cell * kCount);
  for (int i = 0; i < kCount; ++i) {
    glyphs[i].offset = static_cast<int>(cell) * i;
    glyphs[i].advance = advances[i];
  }
  cellW = cellWidth;
  cellHeight = height;
  ascentPixels = ascent;
  return true;
}

const BitmapFont::Glyph& BitmapFont::glyph(unsigned char c) const {
  if (c < kFirst) c = '?';
  return glyphs[c - kFirst];
}

int BitmapFont::textWidth(const char* text) const {
  return text ? textWidth(text, static_cast<int>(std::strlen(text))) : 0;
}

int BitmapFont::textWidth(const char* text, int length) const {
  int w = 0;
  for (int i = 0; text && i < length && text[i]; ++i) w += glyph(static_cast<unsigned char>(text[i])).advance;
  return w;
}

BitmapFont BitmapFont::fromStrip(const Surface& strip, int cellWidth, int firstChar, int advance) {
  BitmapFont font;
  if (!strip.isValid() || cellWidth <= 0 || cellWidth > 256 || strip.height() > 256 || firstChar < 0) return font;
  const int h = strip.height();
  const std::size_t cell = static_cast<std::size_t>(cellWidth) * static_cast<std::size_t>(h);
  std::unique_ptr<std::uint8_t[]> cells(new (std::nothrow) std::uint8_t[cell * kCount]);
  if (!cells) return font;
  std::memset(cells.get(), 0, cell * kCount);
  int advances[kCount];
  bool anyAlpha = false;
  for (int y = 0; y < h && !anyAlpha; ++y)
    for (int x = 0; x < strip.width(); ++x)
      if (alphaOf(strip.pixel(x, y)) != 255) {
        anyAlpha = true;
        break;
      }
  const Color ground = strip.pixel(0, 0);
  for (int i = 0; i < kCount; ++i) {
    advances[i] = advance;
    const int c = i + kFirst;
    const int stripCell = c - firstChar;
    if (stripCell < 0 || (stripCell + 1) * cellWidth > strip.width()) continue;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < cellWidth; ++x) {
        const Color p = strip.pixel(stripCell * cellWidth + x, y);
        int v;
        if (anyAlpha) {
          v = alphaOf(p);
        } else {
          const int d = std::abs(redOf(p) - redOf(ground)) + std::abs(greenOf(p) - greenOf(ground)) +
                        std::abs(blueOf(p) - blueOf(ground));
          v = d >= 255 ? 255 : d;
        }
        cells[i * cell + static_cast<std::size_t>(y) * cellWidth + x] = static_cast<std::uint8_t>(v);
      }
  }
  font.build(cellWidth, h, h, cells.get(), advances);
  return font;
}

const BitmapFont& builtinFont() {
  static const BitmapFont font = [] {
    BitmapFont f;
    f.build(builtin_font::kCellWidth, builtin_font::kHeight, builtin_font::kAscent, builtin_font::kCells,
            builtin_font::kAdvances);
    return f;
  }();
  return font;
}

}  // namespace vt::gui
