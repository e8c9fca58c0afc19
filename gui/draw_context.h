// Drawing state over a Surface: the offset of the view being drawn (views
// draw in their own parent's coordinates), a clip rectangle, and pen, fill and
// font state. An OffscreenContext owns its surface; its picture is copied to
// another context in one block.
#pragma once

#include "gui/bitmap_font.h"
#include "gui/gui_types.h"
#include "gui/surface.h"

namespace vt::gui {

class GuiBitmap;

class DrawContext {
public:
  explicit DrawContext(Surface& target);
  virtual ~DrawContext() = default;

  Surface& surface() { return *target; }

  // The offset added to every coordinate (the containing views' origins).
  Point getOffset() const { return offset; }
  void setOffset(Point p) { offset = p; }
  // Clip rectangle in this context's (offset) coordinates; always also clipped to the surface.
  void setClipRect(const Rect& r);
  Rect getClipRect() const;  // in offset coordinates
  void resetClipRect();
  // The clip in surface coordinates (for saving and restoring around nested drawing).
  Rect getSurfaceClip() const { return clipRect; }
  void setSurfaceClip(const Rect& r) { clipRect = r.intersect(target->bounds()); }

  void setFrameColor(Color c) { frameColor = c; }
  Color getFrameColor() const { return frameColor; }
  void setFillColor(Color c) { fillColor = c; }
  Color getFillColor() const { return fillColor; }
  void setFontColor(Color c) { fontColor = c; }
  Color getFontColor() const { return fontColor; }
  void setLineWidth(float w) { lineWidth = w; }
  float getLineWidth() const { return lineWidth; }
  void setFont(const BitmapFont* f) { font = f ? f : &builtinFont(); }
  const BitmapFont& getFont() const { return *font; }

  void fillRect(const Rect& r);  // fill colour
  void drawRect(const Rect& r);  // one-pixel outline in the frame colour
  void moveTo(Point p) { penPosition = p; }
  void lineTo(Point p);  // anti-aliased, frame colour, line width
  void drawLine(float x0, float y0, float x1, float y1);
  void drawPolyline(const float* xs, const float* ys, int n);

  // Draws the bitmap's part starting at src into dest (dest's size), honouring
  // the bitmap's transparent colour and alpha.
  void drawBitmap(const GuiBitmap& bitmap, const Rect& dest, Point src = Point());
  // The same, always opaque.
  void drawBitmapOpaque(const GuiBitmap& bitmap, const Rect& dest, Point src = Point());

  // Text in the font colour, vertically centred in r and aligned horizontally;
  // clipped to r.
  void drawString(const char* text, const Rect& r, HoriAlign align = HoriAlign::Center);
  int getStringWidth(const char* text) const { return font->textWidth(text); }
  // Text in the font colour with its cell's top-left at (x, y); returns the x after it.
  int drawText(int x, int y, const char* text);

  // Copies a rectangle of this context's surface (in offset coordinates) to
  // another context at dest (its offset coordinates).
  void copyTo(DrawContext& dest, const Rect& destRect, Point src = Point());

private:
  void applyClip();

  Surface* target;
  Point offset;
  Rect clipRect;  // surface coordinates
  Point penPosition;
  Color frameColor = kBlack;
  Color fillColor = kWhite;
  Color fontColor = kBlack;
  float lineWidth = 1.0f;
  const BitmapFont* font;
};

// A context drawing into its own surface of a given size (for flicker-free
// compositing of a control before it is copied to the frame in one block).
struct OffscreenStorage {
  explicit OffscreenStorage(int width, int height) : own(width, height) {}
  Surface own;
};

class OffscreenContext : private OffscreenStorage, public DrawContext {
public:
  OffscreenContext(int width, int height);
  bool isValid() const { return own.isValid(); }
};

}  // namespace vt::gui
