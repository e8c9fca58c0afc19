// One direct-form-I second-order filter section. Designs are computed in
// double precision and stored as floats; coefficients and output memories in
// the denormal range (below 1e-15) are flushed to zero, because decaying
// filters otherwise crawl through denormal arithmetic.
#pragma once

namespace vt {

class Biquad {
public:
  static constexpr double kFlushThreshold = 1e-15;

  // width is a Q when useQ is set, otherwise a bandwidth in octaves.
  void designHighPass(double sampleRate, double frequency, double width, bool useQ);
  void designLowPass(double sampleRate, double frequency, double width, bool useQ);
  // Peaking boost or cut of gainDb at the frequency, bandwidth in octaves.
  void designPeak(double sampleRate, double frequency, double bandwidth, double gainDb);
  // Constant 0 dB peak gain band-pass, bandwidth in octaves.
  void designBandPass(double sampleRate, double frequency, double bandwidth);

  float process(float x) {
    const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }

  // Clears the memories; the coefficients stay.
  void resetState() { y1 = y2 = x1 = x2 = 0.0f; }
  // Zeroes both output memories when the last output has decayed below 1e-15.
  void flushOutputState();

  float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f;
  float a1 = 0.0f, a2 = 0.0f;
  float y1 = 0.0f, y2 = 0.0f;
  float x1 = 0.0f, x2 = 0.0f;

private:
  // Divides by a0, stores as float and optionally flushes tiny coefficients.
  void store(double nb0, double nb1, double nb2, double a0, double na1, double na2, bool flush);
};

}  // namespace vt
