// An image by numeric resource id. The pixels come from the bitmap provider
// that the module installs (the editor's embedded artwork); the framework does
// not know where they come from. An optional transparent colour makes pixels of
// that colour leave the background visible; images with an alpha channel are
// blended.
#pragma once

#include "gui/gui_types.h"
#include "gui/surface.h"

namespace vt::gui {

// Supplies decoded images by resource id. The module registers one provider
// (embedded PNG artwork); tests may register their own.
class BitmapProvider {
public:
  virtual ~BitmapProvider() = default;
  // Fills out with the image's pixels; false when the id is unknown or fails to decode.
  virtual bool loadBitmap(int resourceId, Surface& out) = 0;
  // The image's size without keeping its pixels; false when loadBitmap would
  // fail. A provider that can read the size alone overrides this.
  virtual bool bitmapSize(int resourceId, int& width, int& height);
};

// The process-wide provider (nullptr: none, every image fails to load).
void setBitmapProvider(BitmapProvider* provider);
BitmapProvider* bitmapProvider();

class GuiBitmap {
public:
  // Loads the image with this id from the provider; check isLoaded().
  explicit GuiBitmap(int resourceId);
  // An image from pixels already at hand (moved in).
  GuiBitmap(int resourceId, Surface&& pixels);
  GuiBitmap(const GuiBitmap&) = delete;
  GuiBitmap& operator=(const GuiBitmap&) = delete;

  int resourceId() const { return id; }
  bool isLoaded() const { return image.isValid(); }
  int getWidth() const { return image.width(); }
  int getHeight() const { return image.height(); }
  const Surface& pixels() const { return image; }

  void setTransparentColor(Color c) {
    transparent = c;
    transparentSet = true;
  }
  void clearTransparentColor() { transparentSet = false; }
  bool hasTransparentColor() const { return transparentSet; }
  Color transparentColor() const { return transparent; }
  bool hasAlpha() const { return alpha; }

  // The blit mode that draws this image as it asks (alpha and/or transparent colour).
  Surface::BlitMode blitMode() const;

private:
  void scanAlpha();

  int id;
  Surface image;
  Color transparent = 0;
  bool transparentSet = false;
  bool alpha = false;
};

}  // namespace vt::gui
