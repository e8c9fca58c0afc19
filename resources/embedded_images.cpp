#include "resources/embedded_images.h"

namespace vt {

const EmbeddedImage* findEmbeddedImage(int id) {
  const EmbeddedImage* images = embeddedImages();
  int low = 0;
  int high = embeddedImageCount() - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    if (images[middle].id == id) return &images[middle];
    if (images[middle].id < id)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return nullptr;
}

}  // namespace vt
