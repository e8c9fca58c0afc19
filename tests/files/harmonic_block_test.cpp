// Reading a harmonic block validates it; writing and reading it back keeps it.
#include "files/harmonic_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "engine/harmonic_set.h"
#include "files/byte_stream.h"

namespace vt {
namespace {

// Writes a block by hand: every harmonic gets the given frame times; ratio and
// amplitude values come from the callbacks.
template <typename Amp, typename Ratio>
std::vector<std::uint8_t> makeBlock(float base, const std::vector<float>& times, Amp amp, Ratio ratio) {
  std::vector<std::uint8_t> buffer(ByteStream::kCapacity);
  ByteStream s;
  s.openMemoryForWriting(buffer.data());
  s.writeFloat(base);
  const int n = static_cast<int>(times.size());
  for (int pass = 0; pass < 2; ++pass) {
    for (int k = 1; k <= 64; ++k) {
      s.writeInt(n);
      for (float t : times) s.writeFloat(t);
      for (int j = 0; j < n; ++j) s.writeFloat(pass == 0 ? amp(k, j) : ratio(k, j));
    }
  }
  buffer.resize(static_cast<size_t>(s.getPosition()));
  return buffer;
}

TEST(HarmonicBlock, ReadingValidatesRatiosAndEndsEveryHarmonicInSilence) {
  auto block = makeBlock(
      220.0f, {0.0f, 0.1f, 0.2f}, [](int, int) { return 0.5f; },
      [](int k, int j) {
        if (k == 1 && j == 1) return 3.5f;  // outside [0, 2]
        if (k == 2 && j == 0) return 2.9f;  // inside [1, 3]
        if (k == 2 && j == 1) return 3.5f;  // outside [1, 3]
        if (k == 3 && j == 0) return std::numeric_limits<float>::quiet_NaN();
        return static_cast<float>(k);
      });
  HarmonicSet set;
  ByteStream r;
  r.openMemoryForReading(block.data(), static_cast<std::int32_t>(block.size()));
  ASSERT_TRUE(readHarmonicBlock(r, set));
  EXPECT_EQ(r.remaining(), 0);
  EXPECT_EQ(set.baseFrequency, 220.0f);

  EXPECT_EQ(set.frequency[0].y(1), 1.0f);
  EXPECT_EQ(set.amplitude[0].y(1), 0.0f);
  EXPECT_EQ(set.amplitude[0].y(0), 0.5f);
  EXPECT_EQ(set.frequency[1].y(0), 2.9f);
  EXPECT_EQ(set.amplitude[1].y(0), 0.5f);
  EXPECT_EQ(set.frequency[1].y(1), 2.0f);
  EXPECT_EQ(set.amplitude[1].y(1), 0.0f);
  // A NaN ratio reads as 0, which harmonic 3 does not allow.
  EXPECT_EQ(set.frequency[2].y(0), 3.0f);
  EXPECT_EQ(set.amplitude[2].y(0), 0.0f);
  for (int h = 0; h < 64; ++h) EXPECT_EQ(set.amplitude[h].y(2), 0.0f) << h;
  EXPECT_FLOAT_EQ(set.duration, 0.2f);
  EXPECT_FLOAT_EQ(set.amplitude[40].evaluate(0.05f), 0.5f);  // sharers read the shared time axis
}

TEST(HarmonicBlock, RoundTripKeepsEveryValue) {
  auto block = makeBlock(
      110.0f, {0.0f, 0.05f, 0.3f, 1.25f}, [](int k, int j) { return j == 3 ? 0.0f : 1.0f / (k + j); },
      [](int k, int j) { return k + 0.01f * j; });
  HarmonicSet a;
  ByteStream r;
  r.openMemoryForReading(block.data(), static_cast<std::int32_t>(block.size()));
  ASSERT_TRUE(readHarmonicBlock(r, a));

  std::vector<std::uint8_t> out(ByteStream::kCapacity);
  ByteStream w;
  w.openMemoryForWriting(out.data());
  ASSERT_TRUE(writeHarmonicBlock(w, a));
  ASSERT_EQ(w.getPosition(), static_cast<std::int32_t>(block.size()));
  EXPECT_TRUE(std::equal(block.begin(), block.end(), out.begin()));
}

TEST(HarmonicBlock, EmptyHarmonicsAndRefusedCounts) {
  std::vector<std::uint8_t> buffer(4096);
  ByteStream s;
  s.openMemoryForWriting(buffer.data(), 4096);
  s.writeFloat(100.0f);
  s.writeInt(1);
  s.writeFloat(0.0f);
  s.writeFloat(0.7f);
  s.writeInt(0);    // harmonic 2 silent
  s.writeInt(129);  // harmonic 3 claims more than fits
  HarmonicSet set;
  set.amplitude[5].add(0.0f, 1.0f);
  ByteStream r;
  r.openMemoryForReading(buffer.data(), s.getPosition());
  EXPECT_FALSE(readHarmonicBlock(r, set));
  EXPECT_EQ(set.amplitude[0].count(), 1);
  EXPECT_EQ(set.amplitude[0].y(0), 0.0f);  // the only point is the last one
  EXPECT_TRUE(set.amplitude[1].empty());
  EXPECT_TRUE(set.amplitude[2].empty());
  EXPECT_EQ(r.getPosition(), s.getPosition());  // nothing read beyond the refused count
}

TEST(HarmonicBlock, TruncatedBlockFailsWithoutReadingPastTheEnd) {
  auto block = makeBlock(
      220.0f, {0.0f, 0.1f}, [](int, int) { return 0.5f; }, [](int k, int) { return static_cast<float>(k); });
  for (size_t cut : {size_t(0), size_t(3), size_t(4), block.size() / 2, block.size() - 1}) {
    HarmonicSet set;
    ByteStream r;
    r.openMemoryForReading(block.data(), static_cast<std::int32_t>(cut));
    EXPECT_FALSE(readHarmonicBlock(r, set)) << cut;
    EXPECT_LE(r.getPosition(), static_cast<std::int32_t>(cut));
  }
}

TEST(HarmonicBlock, WriteRefusedWhenTheBlockDoesNotFit) {
  HarmonicSet set;
  for (int i = 0; i < 10; ++i) set.amplitude[0].add(i * 0.1f, 1.0f);
  std::vector<std::uint8_t> out(200);
  ByteStream w;
  w.openMemoryForWriting(out.data(), 200);
  EXPECT_FALSE(writeHarmonicBlock(w, set));
  EXPECT_LE(w.getPosition(), 200);
}

}  // namespace
}  // namespace vt
