#include "tools/voice/voice_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace vt::voice {

namespace {

constexpr int kMargin = 30;
constexpr int kPanelGap = 30;
constexpr double kRangeDb = 80.0;  // both panels show 80 dB below their peak
constexpr int kNoiseBands = 256;

struct Rgb {
  unsigned char r, g, b;
};

class Canvas {
public:
  Canvas(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3, 255) {}
  void set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    unsigned char* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
    p[0] = c.r, p[1] = c.g, p[2] = c.b;
  }
  void line(int x0, int y0, int x1, int y1, Rgb c) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      set(x0, y0, c);
      if (x0 == x1 && y0 == y1) break;
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  void frame(int x0, int y0, int x1, int y1, Rgb c) {
    line(x0, y0, x1, y0, c), line(x1, y0, x1, y1, c), line(x1, y1, x0, y1, c), line(x0, y1, x0, y0, c);
  }
  int width, height;
  std::vector<unsigned char> pixels;
};

Rgb hue(double h) {  // h in 0..1 around the colour wheel, darkened for white paper
  const double r = 0.5 + 0.5 * std::cos(2.0 * M_PI * h);
  const double g = 0.5 + 0.5 * std::cos(2.0 * M_PI * (h - 1.0 / 3.0));
  const double b = 0.5 + 0.5 * std::cos(2.0 * M_PI * (h - 2.0 / 3.0));
  return {static_cast<unsigned char>(200 * r), static_cast<unsigned char>(200 * g),
          static_cast<unsigned char>(200 * b)};
}

Rgb heat(double v) {  // 0 (quiet) .. 1 (loud): white through yellow and red to black
  v = std::clamp(v, 0.0, 1.0);
  const double r = v < 0.5 ? 1.0 : 1.0 - (v - 0.5) * 1.6;
  const double g = v < 0.5 ? 1.0 - v * 0.6 : 0.7 - (v - 0.5) * 1.4;
  const double b = v < 0.25 ? 1.0 - v * 4.0 : 0.0;
  return {static_cast<unsigned char>(255 * std::clamp(r, 0.0, 1.0)),
          static_cast<unsigned char>(255 * std::clamp(g, 0.0, 1.0)),
          static_cast<unsigned char>(255 * std::clamp(b, 0.0, 1.0))};
}

void appendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<unsigned char>*>(context);
  const auto* p = static_cast<const unsigned char*>(data);
  out->insert(out->end(), p, p + size);
}

}  // namespace

std::vector<unsigned char> plotVoiceData(const analysis::VoiceData& data, double sampleRate) {
  Canvas c(kPlotWidth, kPlotHeight);
  const int panelHeight = (kPlotHeight - 2 * kMargin - kPanelGap) / 2;
  const int x0 = kMargin, x1 = kPlotWidth - kMargin;
  const int top0 = kMargin, top1 = kMargin + panelHeight;
  const int bottom0 = top1 + kPanelGap, bottom1 = bottom0 + panelHeight;
  const Rgb grey = {160, 160, 160};

  // Common time axis: the later end of both tables.
  const analysis::RealMatrix& a = data.harmonics.amplitude;
  const analysis::RealMatrix& n = data.noise;
  double end = 0.0;
  if (a.cols() > 0) end = std::max(end, a(1, a.cols()));
  if (n.cols() > 1) end = std::max(end, n(1, n.cols()));
  if (!(end > 0.0)) end = 1.0;
  auto xAt = [&](double t) { return x0 + static_cast<int>(std::lround((x1 - x0) * t / end)); };

  // Harmonic envelopes in dB below the loudest value.
  double peak = 0.0;
  for (int r = 2; r <= a.rows(); ++r)
    for (int k = 1; k <= a.cols(); ++k) peak = std::max(peak, a(r, k));
  if (peak > 0.0) {
    auto yAt = [&](double v) {
      const double db = v > 0.0 ? 20.0 * std::log10(v / peak) : -kRangeDb;
      return top1 - static_cast<int>(std::lround(panelHeight * (std::max(db, -kRangeDb) + kRangeDb) / kRangeDb));
    };
    for (int r = a.rows(); r >= 2; --r) {
      const Rgb colour = hue((r - 2) / 16.0);
      for (int k = 1; k < a.cols(); ++k) c.line(xAt(a(1, k)), yAt(a(r, k)), xAt(a(1, k + 1)), yAt(a(r, k + 1)), colour);
    }
  }
  c.frame(x0, top0, x1, top1, grey);

  // Noise: each breakpoint holds until the next; bands as horizontal strips.
  double noisePeak = 0.0;
  for (int r = 2; r <= n.rows(); ++r)
    for (int k = 2; k <= n.cols(); ++k) noisePeak = std::max(noisePeak, n(r, k));
  if (noisePeak > 0.0 && n.cols() > 1) {
    for (int k = 2; k <= n.cols(); ++k) {
      const int xa = xAt(n(1, k)), xb = k < n.cols() ? xAt(n(1, k + 1)) : xa + 1;
      for (int r = 2; r <= n.rows(); ++r) {
        const double bandLow = r > 2 ? n(r - 1, 1) : 0.0, band = n(r, 1);
        const int ya = bottom1 - static_cast<int>(panelHeight * band / kNoiseBands);
        const int yb = bottom1 - static_cast<int>(panelHeight * bandLow / kNoiseBands);
        const double v = n(r, k);
        const double db = v > 0.0 ? 20.0 * std::log10(v / noisePeak) : -kRangeDb;
        const Rgb colour = heat((std::max(db, -kRangeDb) + kRangeDb) / kRangeDb);
        for (int x = xa; x < xb; ++x)
          for (int y = ya; y < yb; ++y) c.set(x, y, colour);
      }
    }
  }
  // A tick at every kilohertz of the noise bands' frequency axis.
  if (sampleRate > 0.0) {
    for (double f = 1000.0; f < sampleRate / 2.0; f += 1000.0) {
      const int y = bottom1 - static_cast<int>(panelHeight * f / (sampleRate / 2.0));
      c.line(x0 - 4, y, x0, y, grey);
    }
  }
  for (double t = 0.0; t <= end; t += end > 5.0 ? 1.0 : 0.1) {
    c.line(xAt(t), top1, xAt(t), top1 + 4, grey);
    c.line(xAt(t), bottom1, xAt(t), bottom1 + 4, grey);
  }
  c.frame(x0, bottom0, x1, bottom1, grey);

  std::vector<unsigned char> png;
  if (!stbi_write_png_to_func(appendBytes, &png, c.width, c.height, 3, c.pixels.data(), c.width * 3)) png.clear();
  return png;
}

}  // namespace vt::voice
