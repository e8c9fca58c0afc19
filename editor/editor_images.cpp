#include "editor/editor_images.h"

#include <new>

#include "editor/editor_palette.h"
#include "gui/gui_bitmap.h"

namespace vt {

EditorImages::~EditorImages() { releaseAll(); }

const gui::GuiBitmap* EditorImages::get(int id) {
  if (id < kFirstImageId || id > kLastImageId) return nullptr;
  gui::GuiBitmap*& slot = images[id - kFirstImageId];
  if (!slot) {
    slot = new (std::nothrow) gui::GuiBitmap(id);
    if (!slot) return nullptr;
    // Every image keys out the same colour; artwork that needs no see-through
    // pixels simply has none of it.
    if (slot->isLoaded()) slot->setTransparentColor(kTransparentColor);
  }
  return slot->isLoaded() ? slot : nullptr;
}

bool EditorImages::loadRange(int first, int last) {
  bool all = true;
  for (int id = first; id <= last; ++id)
    if (!get(id)) all = false;
  return all;
}

bool EditorImages::isLoaded(int id) const {
  if (id < kFirstImageId || id > kLastImageId) return false;
  const gui::GuiBitmap* image = images[id - kFirstImageId];
  return image && image->isLoaded();
}

void EditorImages::releaseAll() {
  for (gui::GuiBitmap*& image : images) {
    delete image;
    image = nullptr;
  }
  font = gui::BitmapFont();
}

const gui::BitmapFont* EditorImages::characterFont() {
  if (!font.isValid()) {
    const gui::GuiBitmap* strip = get(kImageCharacters);
    if (!strip) return nullptr;
    font = gui::BitmapFont::fromStrip(strip->pixels(), kCharacterCellWidth, kFirstCharacter, kCharacterAdvance);
  }
  return font.isValid() ? &font : nullptr;
}

}  // namespace vt
