#include "gui/draw_context.h"

#include "gui/gui_bitmap.h"

namespace vt::gui {

DrawContext::DrawContext(Surface& surfaceTarget)
    : target(&surfaceTarget), clipRect(surfaceTarget.bounds()), font(&builtinFont()) {}

void DrawContext::setClipRect(const Rect& r) { clipRect = r.offset(offset).intersect(target->bounds()); }

Rect DrawContext::getClipRect() const { return clipRect.offset(-offset.x, -offset.y); }

void DrawContext::resetClipRect() { clipRect = target->bounds(); }

void DrawContext::applyClip() { target->setClip(clipRect); }

void DrawContext::fillRect(const Rect& r) {
  applyClip();
  target->fillRect(r.offset(offset), fillColor);
}

void DrawContext::drawRect(const Rect& r) {
  applyClip();
  target->frameRect(r.offset(offset), frameColor);
}

void DrawContext::lineTo(Point p) {
  drawLine(static_cast<float>(penPosition.x), static_cast<float>(penPosition.y), static_cast<float>(p.x),
           static_cast<float>(p.y));
  penPosition = p;
}

void DrawContext::drawLine(float x0, float y0, float x1, float y1) {
  applyClip();
  const float ox = static_cast<float>(offset.x), oy = static_cast<float>(offset.y);
  target->drawLine(x0 + ox, y0 + oy, x1 + ox, y1 + oy, frameColor, lineWidth);
}

void DrawContext::drawPolyline(const float* xs, const float* ys, int n) {
  if (!xs || !ys) return;
  for (int i = 1; i < n; ++i) drawLine(xs[i - 1], ys[i - 1], xs[i], ys[i]);
  if (n == 1) drawLine(xs[0], ys[0], xs[0], ys[0]);
}

void DrawContext::drawBitmap(const GuiBitmap& bitmap, const Rect& dest, Point src) {
  applyClip();
  target->blit(bitmap.pixels(), src.x, src.y, dest.offset(offset), bitmap.blitMode(), bitmap.transparentColor());
}

void DrawContext::drawBitmapOpaque(const GuiBitmap& bitmap, const Rect& dest, Point src) {
  applyClip();
  target->blit(bitmap.pixels(), src.x, src.y, dest.offset(offset), Surface::BlitMode::Copy);
}

void DrawContext::drawString(const char* text, const Rect& r, HoriAlign align) {
  if (!text) return;
  const Rect saved = clipRect;
  clipRect = clipRect.intersect(r.offset(offset));
  applyClip();
  const int w = font->textWidth(text);
  int x = r.left;
  if (align == HoriAlign::Center)
    x = r.left + (r.width() - w) / 2;
  else if (align == HoriAlign::Right)
    x = r.right - w;
  const int y = r.top + (r.height() - font->height()) / 2;
  target->drawText(x + offset.x, y + offset.y, text, *font, fontColor);
  clipRect = saved;
}

int DrawContext::drawText(int x, int y, const char* text) {
  applyClip();
  return target->drawText(x + offset.x, y + offset.y, text, *font, fontColor) - offset.x;
}

void DrawContext::copyTo(DrawContext& dest, const Rect& destRect, Point src) {
  dest.applyClip();
  dest.target->blit(*target, src.x + offset.x, src.y + offset.y, destRect.offset(dest.offset), Surface::BlitMode::Copy);
}

OffscreenContext::OffscreenContext(int width, int height) : OffscreenStorage(width, height), DrawContext(own) {}

}  // namespace vt::gui
