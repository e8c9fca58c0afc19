// renderNoise and renderMorphedNoise: reading a voice's NoiseSet (or four of them)
// at the right times and handing the spectrum to the overlap-add.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/breakpoint_curve.h"
#include "engine/noise_blend.h"
#include "engine/noise_generator.h"
#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

constexpr int kBins = NoiseFrame::kBins;
constexpr int kBlock = 256;

void addFrame(NoiseSet& set, float time, int entry, float magnitude) {
  NoiseFrame* frame = set.appendFrame(time);
  ASSERT_NE(frame, nullptr);
  if (entry >= 0) frame->bins[entry] = magnitude;
  frame->silent = entry < 0 || magnitude == 0.0f;
}

// A set that is silent until 'onset' and holds one entry from just after it on.
void stepSet(NoiseSet& set, float onset, int entry) {
  addFrame(set, 0.0f, -1, 0.0f);
  addFrame(set, onset, -1, 0.0f);
  addFrame(set, onset + 0.0001f, entry, 1.0f);
  addFrame(set, 10.0f, entry, 1.0f);
}

TEST(RenderNoise, EmptySetAddsNothingAndDrawsNothing) {
  NoiseGenerator generator;
  NoiseSet empty;
  NoiseGrainState state;
  std::vector<float> out(kBlock, 0.25f);
  for (int b = 0; b < 10; ++b)
    generator.renderNoise(empty, out.data(), kBlock, b * 0.0058f, 1.0f, 1.0f, state, nullptr);
  for (float v : out) ASSERT_EQ(v, 0.25f);
  EXPECT_EQ(generator.random().drawCount(), 0u);
  EXPECT_EQ(state.i1, 0);
  EXPECT_EQ(state.i2, 0);

  const NoiseSet* none[4] = {&empty, nullptr, &empty, nullptr};
  const float starts[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  for (float nx : {0.0f, 0.3f, 1.0f}) {
    generator.renderMorphedNoise(none, out.data(), kBlock, starts, 1.0f, 1.0f, state, nx, 0.5f, nullptr);
  }
  for (float v : out) ASSERT_EQ(v, 0.25f);
  EXPECT_EQ(generator.random().drawCount(), 0u);
}

TEST(RenderNoise, GrainsUseTheSpectrumHalfAGrainAfterTheBlockStart) {
  // Silent up to 0.05 s. With 256-sample blocks at 44100 Hz a grain starts with every
  // block and reads the set at p0 + 256/44100 s: block 8 (p0 = 0.0464 s) is the first
  // whose grain time passes 0.05 s, so everything before sample 2048 is silent.
  NoiseGenerator generator;
  NoiseSet set;
  stepSet(set, 0.05f, 60);
  NoiseGrainState state;
  std::vector<float> out(12 * kBlock, 0.0f);
  for (int b = 0; b < 12; ++b) {
    const float p0 = b * kBlock / 44100.0f;
    generator.renderNoise(set, out.data() + b * kBlock, kBlock, p0, 1.0f, 1.0f, state, nullptr);
  }
  for (int t = 0; t <= 8 * kBlock; ++t) ASSERT_EQ(out[t], 0.0f) << t;
  double energy = 0.0;
  for (int t = 8 * kBlock; t < 9 * kBlock; ++t) energy += out[t] * out[t];
  EXPECT_GT(energy, 0.0);
}

TEST(RenderNoise, FormantTableWeighsTheEntries) {
  NoiseSet set;
  addFrame(set, 0.0f, 10, 1.0f);
  addFrame(set, 1.0f, 10, 1.0f);
  std::vector<float> formant(kBins, 1.0f);
  formant[10] = 0.5f;
  NoiseGenerator a, b;
  NoiseGrainState sa, sb;
  std::vector<float> weighted(2000, 0.0f), half(2000, 0.0f);
  a.renderNoise(set, weighted.data(), 2000, 0.0f, 1.0f, 1.0f, sa, formant.data());
  b.renderNoise(set, half.data(), 2000, 0.0f, 0.5f, 0.5f, sb, nullptr);
  for (int t = 0; t < 2000; ++t) ASSERT_NEAR(weighted[t], half[t], 1e-7f);
}

class MorphedNoise : public ::testing::Test {
protected:
  void SetUp() override {
    for (int s = 0; s < 4; ++s) {
      addFrame(sets[s], 0.0f, 20 + 30 * s, 1.0f + s);
      addFrame(sets[s], 2.0f, 20 + 30 * s, 1.0f + s);
      pointers[s] = &sets[s];
    }
  }
  // Renders 'blocks' blocks of the morph with a fresh state and a fixed seed.
  std::vector<float> morph(float nx, float ny, const float starts[4], int blocks) {
    NoiseGenerator generator;
    generator.random().seed(9);
    NoiseGrainState state;
    std::vector<float> out(blocks * kBlock, 0.0f);
    float times[4] = {starts[0], starts[1], starts[2], starts[3]};
    for (int b = 0; b < blocks; ++b) {
      generator.renderMorphedNoise(pointers, out.data() + b * kBlock, kBlock, times, 1.0f, 1.0f, state, nx, ny,
                                   nullptr);
      for (float& t : times) t += kBlock / 44100.0f;
    }
    return out;
  }
  std::vector<float> single(const NoiseSet& set, float start, int blocks) {
    NoiseGenerator generator;
    generator.random().seed(9);
    NoiseGrainState state;
    std::vector<float> out(blocks * kBlock, 0.0f);
    for (int b = 0; b < blocks; ++b) {
      generator.renderNoise(set, out.data() + b * kBlock, kBlock, start + b * kBlock / 44100.0f, 1.0f, 1.0f, state,
                            nullptr);
    }
    return out;
  }
  NoiseSet sets[4];
  const NoiseSet* pointers[4];
};

TEST_F(MorphedNoise, CornersPlayOneSlotAtItsOwnTime) {
  const float starts[4] = {0.0f, 0.5f, 1.0f, 1.5f};
  EXPECT_EQ(morph(0.0f, 0.0f, starts, 6), single(sets[0], 0.0f, 6));
  EXPECT_EQ(morph(1.0f, 0.0f, starts, 6), single(sets[1], 0.5f, 6));
  EXPECT_EQ(morph(0.0f, 1.0f, starts, 6), single(sets[2], 1.0f, 6));
  EXPECT_EQ(morph(1.0f, 1.0f, starts, 6), single(sets[3], 1.5f, 6));
}

TEST_F(MorphedNoise, InsideTheSquareTheFourSpectraAreBlended) {
  // Each slot's spectrum is constant in time here, so every grain uses the same blend.
  const float starts[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  const float nx = 0.3f, ny = 0.8f;
  std::vector<float> expectedSpectrum(kBins, 0.0f);
  const float weights[4] = {(1 - nx) * (1 - ny), nx * (1 - ny), (1 - nx) * ny, nx * ny};
  for (int s = 0; s < 4; ++s) expectedSpectrum[20 + 30 * s] = weights[s] * (1.0f + s);

  const std::vector<float> x = morph(nx, ny, starts, 5);
  NoiseGenerator generator;
  generator.random().seed(9);
  NoiseGrainState state;
  std::vector<float> y(5 * kBlock, 0.0f);
  for (int b = 0; b < 5; ++b) {
    generator.renderSpectrum(expectedSpectrum.data(), y.data() + b * kBlock, kBlock, 1.0f, 1.0f, state, nullptr);
  }
  for (int t = 0; t < 5 * kBlock; ++t) ASSERT_NEAR(x[t], y[t], 1e-6f) << t;
}

TEST_F(MorphedNoise, RenderingDoesNotAllocate) {
  NoiseGenerator generator;
  NoiseGrainState state;
  std::vector<float> out(kBlock, 0.0f);
  const float starts[4] = {0.0f, 0.1f, 0.2f, 0.3f};
  std::vector<float> formant(kBins, 0.7f);
  BreakpointCurve amplitude;
  amplitude.add(0.0f, 1.0f);
  amplitude.add(1.0f, 1.0f);
  test::AllocationCounter counter;
  for (int b = 0; b < 8; ++b) {
    generator.renderMorphedNoise(pointers, out.data(), kBlock, starts, 0.0f, amplitude, state, 0.4f, 0.6f,
                                 formant.data());
    generator.renderNoise(sets[1], out.data(), kBlock, 0.1f, amplitude, state, nullptr);
  }
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vt
