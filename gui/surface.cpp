#include "gui/surface.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "gui/bitmap_font.h"

namespace vt::gui {

namespace {

inline std::uint32_t blend(std::uint32_t dst, Color src, int alpha) {
  // alpha 0..255; result keeps full alpha (the surface is opaque).
  const int inv = 255 - alpha;
  const int r = (redOf(src) * alpha + redOf(dst) * inv + 127) / 255;
  const int g = (greenOf(src) * alpha + greenOf(dst) * inv + 127) / 255;
  const int b = (blueOf(src) * alpha + blueOf(dst) * inv + 127) / 255;
  return 0xFF000000u | (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
         static_cast<std::uint32_t>(b);
}

}  // namespace

Surface::Surface(int width, int height) { resize(width, height); }

Surface::Surface(Surface&& other) noexcept
    : pixelData(std::move(other.pixelData)), w(other.w), h(other.h), clipRect(other.clipRect) {
  other.w = other.h = 0;
  other.clipRect = Rect();
}

Surface& Surface::operator=(Surface&& other) noexcept {
  if (this != &other) {
    pixelData = std::move(other.pixelData);
    w = other.w;
    h = other.h;
    clipRect = other.clipRect;
    other.w = other.h = 0;
    other.clipRect = Rect();
  }
  return *this;
}

bool Surface::resize(int width, int height) {
  pixelData.reset();
  w = h = 0;
  clipRect = Rect();
  // Limits keep the size arithmetic far from overflow (16384 x 16384 at most).
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  pixelData.reset(new (std::nothrow) std::uint32_t[n]);
  if (!pixelData) return false;
  std::fill(pixelData.get(), pixelData.get() + n, 0xFF000000u);
  w = width;
  h = height;
  clipRect = bounds();
  return true;
}

Color Surface::pixel(int x, int y) const {
  if (!pixelData || x < 0 || y < 0 || x >= w || y >= h) return 0;
  return row(y)[x];
}

void Surface::setClip(const Rect& r) { clipRect = r.intersect(bounds()); }

void Surface::fillRect(const Rect& r, Color c) {
  const Rect a = r.intersect(clipRect);
  if (a.isEmpty()) return;
  const std::uint32_t v = c | 0xFF000000u;
  for (int y = a.top; y < a.bottom; ++y) std::fill(row(y) + a.left, row(y) + a.right, v);
}

void Surface::blendRect(const Rect& r, Color c) {
  const int alpha = alphaOf(c);
  if (alpha == 255) return fillRect(r, c);
  if (alpha == 0) return;
  const Rect a = r.intersect(clipRect);
  for (int y = a.top; y < a.bottom; ++y) {
    std::uint32_t* p = row(y);
    for (int x = a.left; x < a.right; ++x) p[x] = blend(p[x], c, alpha);
  }
}

void Surface::frameRect(const Rect& r, Color c) {
  if (r.isEmpty()) return;
  fillRect(Rect(r.left, r.top, r.right, r.top + 1), c);
  fillRect(Rect(r.left, r.bottom - 1, r.right, r.bottom), c);
  fillRect(Rect(r.left, r.top + 1, r.left + 1, r.bottom - 1), c);
  fillRect(Rect(r.right - 1, r.top + 1, r.right, r.bottom - 1), c);
}

void Surface::blendPixel(int x, int y, Color c, int coverage) {
  if (!clipRect.contains(Point(x, y)) || coverage <= 0) return;
  const int alpha = (coverage >= 255 ? 255 : coverage) * alphaOf(c) / 255;
  std::uint32_t& p = row(y)[x];
  p = alpha >= 255 ? (c | 0xFF000000u) : blend(p, c, alpha);
}

void Surface::drawLine(float x0, float y0, float x1, float y1, Color c, float lineWidth) {
  if (!pixelData || !std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  // Pixel centres at +0.5: a coverage-by-distance capsule around the segment.
  const float ax = x0 + 0.5f, ay = y0 + 0.5f, bx = x1 + 0.5f, by = y1 + 0.5f;
  const float half = std::max(lineWidth, 0.5f) * 0.5f;
  const float reach = half + 0.5f;
  const float dx = bx - ax, dy = by - ay;
  const float len2 = dx * dx + dy * dy;
  const float fTop = std::floor(std::min(ay, by) - reach), fBottom = std::ceil(std::max(ay, by) + reach);
  const float fLeft = std::floor(std::min(ax, bx) - reach), fRight = std::ceil(std::max(ax, bx) + reach);
  const int top = static_cast<int>(std::max(fTop, static_cast<float>(clipRect.top)));
  const int bottom = static_cast<int>(std::min(fBottom, static_cast<float>(clipRect.bottom)));
  const int left0 = static_cast<int>(std::max(fLeft, static_cast<float>(clipRect.left)));
  const int right0 = static_cast<int>(std::min(fRight, static_cast<float>(clipRect.right)));
  if (top >= bottom || left0 >= right0) return;
  const float absDy = std::fabs(dy);
  const float len = std::sqrt(len2);
  for (int y = top; y < bottom; ++y) {
    const float py = static_cast<float>(y) + 0.5f;
    int left = left0, right = right0;
    if (absDy > 0.5f) {
      // Only the pixels near the line's crossing of this row can be covered.
      const float t = (py - ay) / dy;
      const float cx = ax + t * dx;
      const float extent = reach * len / absDy + 1.0f;
      left = std::max(left0, static_cast<int>(std::floor(cx - extent)));
      right = std::min(right0, static_cast<int>(std::ceil(cx + extent)) + 1);
    }
    for (int x = left; x < right; ++x) {
      const float px = static_cast<float>(x) + 0.5f;
      float t = len2 > 0.0f ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0f;
      t = std::min(1.0f, std::max(0.0f, t));
      const float ex = ax + t * dx - px, ey = ay + t * dy - py;
      const float dist = std::sqrt(ex * ex + ey * ey);
      const float cover = std::min(1.0f, reach - dist);
      if (cover > 0.0f) blendPixel(x, y, c, static_cast<int>(cover * 255.0f + 0.5f));
    }
  }
}

void Surface::drawPolyline(const float* xs, const float* ys, int n, Color c, float lineWidth) {
  if (!xs || !ys || n <= 0) return;
  if (n == 1) return drawLine(xs[0], ys[0], xs[0], ys[0], c, lineWidth);
  for (int i = 1; i < n; ++i) drawLine(xs[i - 1], ys[i - 1], xs[i], ys[i], c, lineWidth);
}

void Surface::blit(const Surface& src, int srcX, int srcY, const Rect& dest, BlitMode mode, Color transparent) {
  if (!src.isValid() || !pixelData) return;
  // Source window in destination coordinates, limited to the source image.
  Rect a = dest.intersect(clipRect);
  const int shiftX = srcX - dest.left, shiftY = srcY - dest.top;
  a = a.intersect(src.bounds().offset(-shiftX, -shiftY));
  if (a.isEmpty()) return;
  const std::uint32_t key = transparent & 0xFFFFFFu;
  for (int y = a.top; y < a.bottom; ++y) {
    std::uint32_t* d = row(y);
    const std::uint32_t* s = src.row(y + shiftY) + shiftX;
    switch (mode) {
      case BlitMode::Copy:
        for (int x = a.left; x < a.right; ++x) d[x] = s[x] | 0xFF000000u;
        break;
      case BlitMode::Transparent:
        for (int x = a.left; x < a.right; ++x)
          if ((s[x] & 0xFFFFFFu) != key) d[x] = s[x] | 0xFF000000u;
        break;
      case BlitMode::Alpha:
      case BlitMode::AlphaAndTransparent:
        for (int x = a.left; x < a.right; ++x) {
          const std::uint32_t v = s[x];
          if (mode == BlitMode::AlphaAndTransparent && (v & 0xFFFFFFu) == key) continue;
          const int alpha = static_cast<int>(v >> 24);
          if (alpha == 255)
            d[x] = v;
          else if (alpha != 0)
            d[x] = blend(d[x], v, alpha);
        }
        break;
    }
  }
}

int Surface::drawText(int x, int y, const char* text, const BitmapFont& font, Color c) {
  if (!text || !font.isValid()) return x;
  const int cw = font.cellWidth(), ch = font.height();
  for (const char* p = text; *p; ++p) {
    const BitmapFont::Glyph& g = font.glyph(static_cast<unsigned char>(*p));
    const Rect cell = Rect::fromSize(x, y, cw, ch).intersect(clipRect);
    if (!cell.isEmpty()) {
      const std::uint8_t* cov = font.coverage(g);
      for (int yy = cell.top; yy < cell.bottom; ++yy)
        for (int xx = cell.left; xx < cell.right; ++xx) {
          const int v = cov[(yy - y) * cw + (xx - x)];
          if (v) blendPixel(xx, yy, c, v);
        }
    }
    x += g.advance;
  }
  return x;
}

}  // namespace vt::gui
