// vt7000-png-compare: compares two pictures pixel by pixel (RGB, alpha ignored).
//   vt7000-png-compare A.png B.png [DIFFERENCE.png]
// Prints whether they are pixel-identical or how many pixels differ, by how
// much at most and where; exits 0 only when size and every pixel agree. With
// a third name it writes a picture of the differences: B's pixels darkened,
// differing ones in magenta.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/png_codec.h"

namespace {

constexpr int kExitDifferent = 1;
constexpr int kExitUsage = 2;
constexpr std::size_t kMaxFileBytes = 64u << 20;

bool loadPng(const char* path, vt::gui::Surface& picture) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) {
    std::fprintf(stderr, "vt7000-png-compare: cannot open %s\n", path);
    return false;
  }
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), f)) > 0;) {
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (bytes.size() > kMaxFileBytes) break;
  }
  std::fclose(f);
  if (bytes.size() > kMaxFileBytes || !vt::gui::decodePng(bytes.data(), bytes.size(), picture)) {
    std::fprintf(stderr, "vt7000-png-compare: %s is not a readable PNG\n", path);
    return false;
  }
  return true;
}

int channelDifference(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    if (d > most) most = d;
  }
  return most;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: vt7000-png-compare A.png B.png [DIFFERENCE.png]\n");
    return kExitUsage;
  }
  vt::gui::Surface a, b;
  if (!loadPng(argv[1], a) || !loadPng(argv[2], b)) return kExitUsage;
  if (a.width() != b.width() || a.height() != b.height()) {
    std::printf("sizes differ: %d x %d and %d x %d\n", a.width(), a.height(), b.width(), b.height());
    return kExitDifferent;
  }
  long differing = 0;
  int largest = 0;
  int left = a.width(), top = a.height(), right = -1, bottom = -1;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const int d = channelDifference(a.row(y)[x], b.row(y)[x]);
      if (d == 0) continue;
      ++differing;
      if (d > largest) largest = d;
      if (x < left) left = x;
      if (x > right) right = x;
      if (y < top) top = y;
      if (y > bottom) bottom = y;
    }
  if (argc == 4) {
    vt::gui::Surface picture;
    if (picture.resize(a.width(), a.height())) {
      for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
          const std::uint32_t p = b.row(y)[x];
          picture.row(y)[x] = channelDifference(a.row(y)[x], p) ? 0xFFFF00FFu : 0xFF000000u | ((p >> 2) & 0x3F3F3Fu);
        }
      if (!vt::gui::writePng(argv[3], picture)) std::fprintf(stderr, "vt7000-png-compare: cannot write %s\n", argv[3]);
    }
  }
  if (differing == 0) {
    std::printf("pixel-identical (%d x %d)\n", a.width(), a.height());
    return 0;
  }
  std::printf("%ld of %ld pixels differ, by up to %d in a channel, within x %d-%d, y %d-%d\n", differing,
              static_cast<long>(a.width()) * a.height(), largest, left, right, top, bottom);
  return kExitDifferent;
}
