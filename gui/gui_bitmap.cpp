#include "gui/gui_bitmap.h"

#include <atomic>

namespace vt::gui {

namespace {
std::atomic<BitmapProvider*> provider{nullptr};
}

void setBitmapProvider(BitmapProvider* p) { provider.store(p, std::memory_order_release); }

BitmapProvider* bitmapProvider() { return provider.load(std::memory_order_acquire); }

bool BitmapProvider::bitmapSize(int resourceId, int& width, int& height) {
  Surface pixels;
  if (!loadBitmap(resourceId, pixels) || !pixels.isValid()) return false;
  width = pixels.width();
  height = pixels.height();
  return true;
}

GuiBitmap::GuiBitmap(int resourceId) : id(resourceId) {
  if (BitmapProvider* p = bitmapProvider()) {
    if (!p->loadBitmap(resourceId, image)) image = Surface();
  }
  scanAlpha();
}

GuiBitmap::GuiBitmap(int resourceId, Surface&& pixels) : id(resourceId), image(std::move(pixels)) { scanAlpha(); }

void GuiBitmap::scanAlpha() {
  alpha = false;
  if (!image.isValid()) return;
  const std::size_t n = static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height());
  const std::uint32_t* p = image.pixels();
  for (std::size_t i = 0; i < n; ++i)
    if ((p[i] >> 24) != 0xFF) {
      alpha = true;
      return;
    }
}

Surface::BlitMode GuiBitmap::blitMode() const {
  if (alpha) return transparentSet ? Surface::BlitMode::AlphaAndTransparent : Surface::BlitMode::Alpha;
  return transparentSet ? Surface::BlitMode::Transparent : Surface::BlitMode::Copy;
}

}  // namespace vt::gui
