// The editor's bitmaps as the build embedded them: each PNG of
// resources/images under its resource id.
#pragma once

namespace vt {

struct EmbeddedImage {
  int id;
  const unsigned char* bytes;  // the PNG file
  unsigned size;
};

// Every embedded image, sorted by resource id.
const EmbeddedImage* embeddedImages();
int embeddedImageCount();

// The PNG of a resource id, or null when no image has that id.
const EmbeddedImage* findEmbeddedImage(int id);

}  // namespace vt
