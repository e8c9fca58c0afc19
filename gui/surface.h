// A software drawing surface of 32-bit pixels (0xAARRGGBB, rows top to
// bottom, no padding). Every control draws into one; the backends only copy
// its pixels to the screen, so every platform shows the same picture.
// All primitives clip to the surface and to the current clip rectangle.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/gui_types.h"

namespace vt::gui {

class BitmapFont;

class Surface {
public:
  Surface() = default;
  Surface(int width, int height);  // check isValid(): allocation may fail
  Surface(Surface&& other) noexcept;
  Surface& operator=(Surface&& other) noexcept;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Re-sizes to width x height (contents undefined). False if allocation fails.
  bool resize(int width, int height);
  bool isValid() const { return pixelData != nullptr; }
  int width() const { return w; }
  int height() const { return h; }
  Rect bounds() const { return Rect(0, 0, w, h); }
  std::uint32_t* pixels() { return pixelData.get(); }
  const std::uint32_t* pixels() const { return pixelData.get(); }
  std::uint32_t* row(int y) { return pixelData.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w); }
  const std::uint32_t* row(int y) const {
    return pixelData.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
  }
  Color pixel(int x, int y) const;  // 0 outside

  // Clipping: primitives touch only pixels inside clip() (always within bounds()).
  void setClip(const Rect& r);
  void resetClip() { clipRect = bounds(); }
  const Rect& clip() const { return clipRect; }

  // Solid fill (alpha of the colour ignored).
  void fillRect(const Rect& r, Color c);
  // Blends the colour over the rectangle with the colour's alpha.
  void blendRect(const Rect& r, Color c);
  // One-pixel outline just inside r.
  void frameRect(const Rect& r, Color c);
  // Anti-aliased line of the given width between pixel centres (x + 0.5, y + 0.5).
  void drawLine(float x0, float y0, float x1, float y1, Color c, float lineWidth = 1.0f);
  // Anti-aliased polyline through n points (joints drawn once).
  void drawPolyline(const float* xs, const float* ys, int n, Color c, float lineWidth = 1.0f);
  // Blends c over one pixel with coverage 0..255.
  void blendPixel(int x, int y, Color c, int coverage);

  // How an image blit treats the source pixels.
  enum class BlitMode {
    Copy,         // opaque copy
    Transparent,  // pixels equal (in RGB) to the transparent colour leave the destination unchanged
    Alpha,        // source-over blending with the source's alpha
    AlphaAndTransparent,
  };
  // Copies the part of src that starts at (srcX, srcY) into dest (size of dest).
  void blit(const Surface& src, int srcX, int srcY, const Rect& dest, BlitMode mode = BlitMode::Copy,
            Color transparent = 0);

  // Bitmap-font text with its top-left cell corner at (x, y); returns the x after the text.
  int drawText(int x, int y, const char* text, const BitmapFont& font, Color c);

private:
  std::unique_ptr<std::uint32_t[]> pixelData;
  int w = 0;
  int h = 0;
  Rect clipRect;
};

}  // namespace vt::gui
