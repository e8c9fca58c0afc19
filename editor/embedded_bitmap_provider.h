// Supplies the framework's images from the artwork embedded in the module:
// the PNG of a resource id, decoded.
#pragma once

#include "gui/gui_bitmap.h"

namespace vt {

class EmbeddedBitmapProvider : public gui::BitmapProvider {
public:
  bool loadBitmap(int resourceId, gui::Surface& out) override;
  bool bitmapSize(int resourceId, int& width, int& height) override;

  // The module's one provider, installed with the framework on first use.
  static void install();
};

}  // namespace vt
