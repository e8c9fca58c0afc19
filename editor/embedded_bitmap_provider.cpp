#include "editor/embedded_bitmap_provider.h"

#include "gui/png_codec.h"
#include "resources/embedded_images.h"

namespace vt {

bool EmbeddedBitmapProvider::loadBitmap(int resourceId, gui::Surface& out) {
  const EmbeddedImage* image = findEmbeddedImage(resourceId);
  if (!image) return false;
  return gui::decodePng(image->bytes, image->size, out);
}

bool EmbeddedBitmapProvider::bitmapSize(int resourceId, int& width, int& height) {
  const EmbeddedImage* image = findEmbeddedImage(resourceId);
  return image && gui::pngSize(image->bytes, image->size, width, height);
}

void EmbeddedBitmapProvider::install() {
  static EmbeddedBitmapProvider provider;
  if (!gui::bitmapProvider()) gui::setBitmapProvider(&provider);
}

}  // namespace vt
