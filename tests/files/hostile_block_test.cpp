// Blocks built from random and hostile values: reading and preparing them
// never crashes, hangs or reads outside the buffer (run under the sanitizers).
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "engine/voice_slot.h"
#include "files/byte_stream.h"
#include "files/harmonic_block.h"
#include "files/noise_block.h"

namespace vt {
namespace {

class HostileWriter {
public:
  explicit HostileWriter(unsigned seed) : random(seed) { stream.openMemoryForWriting(buffer.data()); }

  float value() {
    switch (pick(8)) {
      case 0:
        return 0.0f;
      case 1:
        return -1.0f;
      case 2:
        return 1e30f;
      case 3:
        return std::numeric_limits<float>::quiet_NaN();
      case 4:
        return std::numeric_limits<float>::infinity();
      default:
        return std::uniform_real_distribution<float>(-2.0f, 70.0f)(random);
    }
  }
  int count(int limit) { return pick(10) == 0 ? static_cast<int>(random()) : pick(limit + 4) - 2; }

  void curve() {
    const int n = count(130);
    stream.writeInt(n);
    for (long i = 0; n > 0 && i < 2L * n && i < 300; ++i) stream.writeFloat(value());
  }
  void harmonicBlock() {
    stream.writeFloat(value());
    for (int i = 0; i < 128; ++i) curve();
  }
  void noiseBlock() {
    const int n = count(66);
    stream.writeInt(n);
    for (int i = 0; n > 0 && i < n && i < 70; ++i) {
      stream.writeFloat(value());
      curve();
    }
  }
  std::int32_t cut() { return pick(3) == 0 ? pick(stream.getPosition() + 1) : stream.getPosition(); }

  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(ByteStream::kCapacity);
  ByteStream stream;

private:
  int pick(int n) { return n > 0 ? static_cast<int>(random() % static_cast<unsigned>(n)) : 0; }
  std::mt19937 random;
};

TEST(HostileBlocks, ReadAndPrepareSurviveGarbage) {
  auto slot = std::make_unique<VoiceSlot>();
  for (unsigned seed = 1; seed <= 60; ++seed) {
    HostileWriter w(seed);
    for (int i = 0; i < 4; ++i) {
      w.harmonicBlock();
      w.noiseBlock();
    }
    ByteStream r;
    r.openMemoryForReading(w.buffer.data(), w.cut());
    slot->rowCount = 1 + static_cast<int>(seed % 8);
    for (int row = 0; row < 2; ++row) {
      for (int layer = 0; layer < 2; ++layer) {
        readHarmonicBlock(r, slot->harmonics[row][layer]);
        readNoiseBlock(r, slot->noise[row][layer]);
        EXPECT_LE(r.getPosition(), r.getSize());
      }
    }
    slot->prepare();
    EXPECT_EQ(slot->markers.count(), 5) << seed;
    for (int c = 0; c < KeyInterpolationCache::kCurves; ++c) EXPECT_LE(slot->keyCache[0].count(c), 128);
    for (float t : {-1.0f, 0.0f, 0.5f, 1e20f}) {
      slot->hasEnded(t);
      int i, j;
      float f;
      slot->noise[0][0].bracket(t, i, j, f);
      EXPECT_LT(i, slot->noise[0][0].count);
      EXPECT_LT(j, slot->noise[0][0].count);
    }
  }
}

}  // namespace
}  // namespace vt
