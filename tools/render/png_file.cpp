#include "tools/render/png_file.h"

#include <cstdio>

// The render host keeps its own private copy of the PNG writer (static
// functions), so it never clashes with the one inside the plug-in library.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace vt::render {

bool writePngFile(const std::string& path, const std::vector<std::uint32_t>& pixels, int width, int height,
                  std::string& error) {
  if (width <= 0 || height <= 0 ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    error = "no picture to write";
    return false;
  }
  std::vector<unsigned char> rgb(pixels.size() * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    rgb[i * 3] = static_cast<unsigned char>(pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<unsigned char>(pixels[i]);
  }
  const std::string temporary = path + ".tmp";
  if (!stbi_write_png(temporary.c_str(), width, height, 3, rgb.data(), width * 3)) {
    std::remove(temporary.c_str());
    error = "cannot write " + path;
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(path.c_str());  // Windows does not rename over a file
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
      std::remove(temporary.c_str());
      error = "cannot write " + path;
      return false;
    }
  }
  return true;
}

}  // namespace vt::render
