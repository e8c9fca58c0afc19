// A small bitmap font: per character (Latin-1 32..255, unknown ones shown as
// '?') a coverage mask 0..255 and an advance. Text is blended with the
// coverage, so it renders the same on every backend. builtinFont() is the
// framework's embedded font for read-outs, menus and text entry.
#pragma once

#include <cstdint>
#include <memory>

namespace vt::gui {

class Surface;

class BitmapFont {
public:
  static constexpr int kFirst = 32;
  static constexpr int kCount = 224;  // 32..255

  struct Glyph {
    int offset = 0;   // into the coverage array: cellWidth * height bytes
    int advance = 0;  // pixels to the next character
  };

  BitmapFont() = default;
  BitmapFont(BitmapFont&&) = default;
  BitmapFont& operator=(BitmapFont&&) = default;

  // A font from a character strip: cells of cellWidth x strip height, character
  // firstChar first, left to right; a pixel's coverage is its alpha (or, for an
  // opaque strip, how far it is from the strip's first pixel colour: ink on a flat
  // ground). Every character advances by advance pixels.
  static BitmapFont fromStrip(const Surface& strip, int cellWidth, int firstChar, int advance);

  bool isValid() const { return coverageData != nullptr; }
  int height() const { return cellHeight; }    // line height
  int ascent() const { return ascentPixels; }  // baseline below the cell top
  int cellWidth() const { return cellW; }
  const Glyph& glyph(unsigned char c) const;
  const std::uint8_t* coverage(const Glyph& g) const { return coverageData.get() + g.offset; }
  int textWidth(const char* text) const;
  int textWidth(const char* text, int length) const;

  // Builds a font from raw coverage cells (cellW x height per character, kCount
  // characters) and advances; used by the embedded font and by strips.
  bool build(int cellWidth, int height, int ascent, const std::uint8_t* cells, const int* advances);

private:
  std::unique_ptr<std::uint8_t[]> coverageData;
  Glyph glyphs[kCount];
  int cellW = 0;
  int cellHeight = 0;
  int ascentPixels = 0;
};

// The embedded proportional font (about 7 pixels cap height, 11 pixel lines).
const BitmapFont& builtinFont();

}  // namespace vt::gui
