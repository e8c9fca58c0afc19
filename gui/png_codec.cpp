#include "gui/png_codec.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include "stb_image.h"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace vt::gui {

bool decodePng(const unsigned char* bytes, std::size_t size, Surface& out) {
  if (!bytes || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return false;
  int w = 0, h = 0, channels = 0;
  unsigned char* rgba = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4);
  if (!rgba) return false;
  const bool ok = out.resize(w, h);
  if (ok) {
    const unsigned char* s = rgba;
    std::uint32_t* d = out.pixels();
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    for (std::size_t i = 0; i < n; ++i, s += 4)
      d[i] = (static_cast<std::uint32_t>(s[3]) << 24) | (static_cast<std::uint32_t>(s[0]) << 16) |
             (static_cast<std::uint32_t>(s[1]) << 8) | s[2];
  }
  stbi_image_free(rgba);
  return ok;
}

bool pngSize(const unsigned char* bytes, std::size_t size, int& width, int& height) {
  if (!bytes || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return false;
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(bytes, static_cast<int>(size), &w, &h, &channels) || w <= 0 || h <= 0) return false;
  width = w;
  height = h;
  return true;
}

bool writePng(const char* path, const Surface& surface) {
  if (!path || !surface.isValid()) return false;
  const int w = surface.width(), h = surface.height();
  std::unique_ptr<unsigned char[]> rgb(new (std::nothrow) unsigned char[static_cast<std::size_t>(w) * h * 3]);
  if (!rgb) return false;
  unsigned char* d = rgb.get();
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* s = surface.row(y);
    for (int x = 0; x < w; ++x) {
      *d++ = static_cast<unsigned char>(s[x] >> 16);
      *d++ = static_cast<unsigned char>(s[x] >> 8);
      *d++ = static_cast<unsigned char>(s[x]);
    }
  }
  // Written beside the target and renamed over it: a failed write leaves the old file.
  char temporary[4096];
  if (std::snprintf(temporary, sizeof(temporary), "%s.tmp", path) >= static_cast<int>(sizeof(temporary))) return false;
  if (stbi_write_png(temporary, w, h, 3, rgb.get(), w * 3) == 0) {
    std::remove(temporary);
    return false;
  }
  if (std::rename(temporary, path) != 0) {
    // Windows does not rename over an existing file.
    std::remove(path);
    if (std::rename(temporary, path) != 0) {
      std::remove(temporary);
      return false;
    }
  }
  return true;
}

}  // namespace vt::gui
