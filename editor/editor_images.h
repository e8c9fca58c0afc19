// The editor's images by resource id (128-178), decoded from the embedded
// artwork on first use and kept for the editor's lifetime, so reopening the
// window decodes nothing. Also the number-field font made from the character
// strip (image 140).
#pragma once

#include "editor/image_ids.h"
#include "gui/bitmap_font.h"

namespace vt::gui {
class GuiBitmap;
}

namespace vt {

class EditorImages {
public:
  static constexpr int kCount = kLastImageId - kFirstImageId + 1;

  EditorImages() = default;
  ~EditorImages();
  EditorImages(const EditorImages&) = delete;
  EditorImages& operator=(const EditorImages&) = delete;

  // Loads the image if it is not loaded yet; nullptr for an id outside 128-178
  // or an image that could not be had.
  const gui::GuiBitmap* get(int id);
  // Loads every image from first to last; false if any failed.
  bool loadRange(int first, int last);
  bool isLoaded(int id) const;
  void releaseAll();

  // The font drawn from the character strip (8-pixel cells from the blank on);
  // nullptr until the strip loads.
  const gui::BitmapFont* characterFont();

private:
  gui::GuiBitmap* images[kCount] = {};
  gui::BitmapFont font;
};

}  // namespace vt
