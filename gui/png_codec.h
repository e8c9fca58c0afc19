// PNG in and out, through stb_image / stb_image_write (this file's .cpp holds
// the one copy of their implementations in the module: use these functions
// rather than compiling stb again).
#pragma once

#include <cstddef>

#include "gui/surface.h"

namespace vt::gui {

// Decodes a PNG held in memory into 0xAARRGGBB pixels. False on any error
// (nothing is read outside the given bytes).
bool decodePng(const unsigned char* bytes, std::size_t size, Surface& out);

// Reads only the size from a PNG's header, decoding no pixels. False when the
// bytes are no PNG.
bool pngSize(const unsigned char* bytes, std::size_t size, int& width, int& height);

// Writes the surface as an RGB PNG (alpha dropped). False when the file cannot be written.
bool writePng(const char* path, const Surface& surface);

}  // namespace vt::gui
