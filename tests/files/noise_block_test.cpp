// Reading a noise block resamples its frames; bad frame counts are refused.
#include "files/noise_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/noise_set.h"
#include "files/byte_stream.h"

namespace vt {
namespace {

TEST(NoiseBlock, FramesAreResampledAndMarkedSilent) {
  std::vector<std::uint8_t> buffer(4096);
  ByteStream s;
  s.openMemoryForWriting(buffer.data(), 4096);
  s.writeInt(2);
  s.writeFloat(0.0f);  // frame 0: all zero
  s.writeInt(2);
  s.writeFloat(0.0f);
  s.writeFloat(1.0f);
  s.writeFloat(0.0f);
  s.writeFloat(0.0f);
  s.writeFloat(0.25f);  // frame 1: a ramp starting at x = 0.5
  s.writeInt(2);
  s.writeFloat(0.5f);
  s.writeFloat(1.0f);
  s.writeFloat(2.0f);
  s.writeFloat(4.0f);

  NoiseSet set;
  ByteStream r;
  r.openMemoryForReading(buffer.data(), s.getPosition());
  ASSERT_TRUE(readNoiseBlock(r, set));
  ASSERT_EQ(set.count, 2);
  EXPECT_TRUE(set.frames[0].silent);
  EXPECT_FALSE(set.frames[1].silent);
  EXPECT_EQ(set.times[1], 0.25f);
  const NoiseFrame& f = set.frames[1];
  EXPECT_EQ(f.bins[0], 0.0f);          // x = 1/256, before the first point
  EXPECT_EQ(f.bins[126], 0.0f);        // x = 127/256
  EXPECT_EQ(f.bins[127], 2.0f);        // x = 0.5 exactly
  EXPECT_FLOAT_EQ(f.bins[191], 3.0f);  // x = 0.75
  EXPECT_EQ(f.bins[255], 4.0f);

  std::vector<std::uint8_t> out(4096);
  ByteStream w;
  w.openMemoryForWriting(out.data(), 4096);
  ASSERT_TRUE(writeNoiseBlock(w, set));
  ASSERT_EQ(w.getPosition(), s.getPosition());
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + w.getPosition(), buffer.begin()));
}

TEST(NoiseBlock, FrameCountsOutsideTheRangeAreRefused) {
  for (int claimed : {65, -1, 1 << 30}) {
    std::uint8_t buffer[64] = {};
    ByteStream s;
    s.openMemoryForWriting(buffer, sizeof(buffer));
    s.writeInt(claimed);
    NoiseSet set;
    set.appendFrame(1.0f);
    ByteStream r;
    r.openMemoryForReading(buffer, sizeof(buffer));
    EXPECT_FALSE(readNoiseBlock(r, set)) << claimed;
    EXPECT_EQ(set.count, 1);  // unchanged
  }
}

TEST(NoiseBlock, AFailingFrameEndsTheReadKeepingEarlierFrames) {
  std::uint8_t buffer[64] = {};
  ByteStream s;
  s.openMemoryForWriting(buffer, sizeof(buffer));
  s.writeInt(3);
  s.writeFloat(0.0f);
  s.writeInt(0);
  s.writeFloat(0.1f);
  s.writeInt(200);  // frame 1 claims too many points
  NoiseSet set;
  ByteStream r;
  r.openMemoryForReading(buffer, s.getPosition());
  EXPECT_FALSE(readNoiseBlock(r, set));
  EXPECT_EQ(set.count, 1);
  r.openMemoryForReading(buffer, 6);  // cut inside the first frame's time
  EXPECT_FALSE(readNoiseBlock(r, set));
  EXPECT_EQ(set.count, 0);
}

}  // namespace
}  // namespace vt
