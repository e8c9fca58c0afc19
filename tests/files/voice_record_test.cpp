// The voice record: both versions, one-layer voices, read-time validation,
// refused records, truncation at every byte, and the exact round trip.
#include "files/voice_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "engine/pending_load.h"
#include "engine/voice_slot.h"
#include "files/byte_stream.h"
#include "tests/support/record_builder.h"

namespace vt {
namespace {

using test::Curve;
using test::RecordBuilder;

bool readVoice(const std::vector<std::uint8_t>& bytes, VoiceSlot& slot, VoiceReadProgress* progress = nullptr,
               std::int32_t* consumed = nullptr) {
  ByteStream stream;
  stream.openMemoryForReading(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  const bool ok = readVoiceRecord(stream, slot, progress);
  if (consumed) *consumed = stream.getPosition();
  return ok;
}

std::vector<std::uint8_t> writeVoice(const VoiceSlot& slot) {
  std::vector<std::uint8_t> buffer(ByteStream::kCapacity);
  ByteStream stream;
  stream.openMemoryForWriting(buffer.data());
  EXPECT_TRUE(writeVoiceRecord(stream, slot));
  buffer.resize(static_cast<std::size_t>(stream.getPosition()));
  return buffer;
}

TEST(VoiceRecord, OlderVersionHasNoMaxFrequencyAndItsLayersFollowTheLayerCount) {
  RecordBuilder b;
  b.voice("Old", 2, 2, 0.5f, 65537);
  auto slot = std::make_unique<VoiceSlot>();
  std::int32_t consumed = 0;
  ASSERT_TRUE(readVoice(b.data, *slot, nullptr, &consumed));
  EXPECT_EQ(consumed, static_cast<std::int32_t>(b.data.size()));
  EXPECT_STREQ(slot->name, "Old");
  EXPECT_FLOAT_EQ(slot->maxFrequency, 22050.0f);
  EXPECT_EQ(slot->rowCount, 2);
  EXPECT_EQ(slot->layerCount, 2);
  EXPECT_FLOAT_EQ(slot->harmonics[1][0].baseFrequency, 220.0f);
  EXPECT_EQ(slot->noise[1][1].count, 3);  // two frames plus the silent one put in front

  RecordBuilder current;
  current.voice("New", 1, 2, 0.5f, 65538);
  ASSERT_TRUE(readVoice(current.data, *slot));
  EXPECT_FLOAT_EQ(slot->maxFrequency, 18000.0f);
  EXPECT_TRUE(slot->loopOn);
}

TEST(VoiceRecord, AnyVersionIsAcceptedAndOnlyDecidesOnMaxFrequency) {
  auto slot = std::make_unique<VoiceSlot>();
  RecordBuilder low;
  low.voice("Low", 1, 1, 0.5f, 7);
  ASSERT_TRUE(readVoice(low.data, *slot));
  EXPECT_FLOAT_EQ(slot->maxFrequency, 22050.0f);
  RecordBuilder high;
  high.voice("High", 1, 1, 0.5f, 99999);
  ASSERT_TRUE(readVoice(high.data, *slot));
  EXPECT_FLOAT_EQ(slot->maxFrequency, 18000.0f);
}

TEST(VoiceRecord, OneLayerVoicesPlayTheSameSoundSoftAndLoud) {
  RecordBuilder b;
  b.voice("Solo", 3, 1, 0.4f);
  auto slot = std::make_unique<VoiceSlot>();
  ASSERT_TRUE(readVoice(b.data, *slot));
  EXPECT_EQ(slot->layerCount, 1);
  for (int r = 0; r < 3; ++r) {
    const HarmonicSet& soft = slot->harmonics[r][0];
    const HarmonicSet& loud = slot->harmonics[r][1];
    EXPECT_EQ(soft.baseFrequency, loud.baseFrequency);
    for (int c = 0; c < HarmonicSet::kCurves; ++c) {
      ASSERT_EQ(soft.curve(c).count(), loud.curve(c).count());
      for (int i = 0; i < soft.curve(c).count(); ++i) {
        EXPECT_EQ(soft.curve(c).x(i), loud.curve(c).x(i));
        EXPECT_EQ(soft.curve(c).y(i), loud.curve(c).y(i));
      }
    }
    ASSERT_EQ(slot->noise[r][0].count, slot->noise[r][1].count);
    for (int f = 0; f < slot->noise[r][0].count; ++f)
      EXPECT_EQ(slot->noise[r][0].frames[f].bins[10], slot->noise[r][1].frames[f].bins[10]);
  }
  EXPECT_GT(slot->harmonics[2][1].curve(0).count(), 0);
}

TEST(VoiceRecord, RatiosOutsideTheirHarmonicsRangeAreReplacedAndSilencedAndTheLastAmplitudeIsZero) {
  RecordBuilder b;
  b.int32(65538).string("Ratios").int32(0).float32(0.0f).float32(0.0f).int32(1).int32(1).float32(22050.0f);
  b.float32(100.0f);
  const Curve times{{0.0f, 0.5f, 1.0f}, {0.7f, 0.7f, 0.7f}};
  // Harmonic 1 carries the frame times that every harmonic shares.
  for (int h = 0; h < 64; ++h) b.curve(h <= 1 ? times : Curve{});
  b.curve(Curve{{0.0f, 0.5f, 1.0f}, {1.0f, 1.0f, 1.0f}});
  for (int h = 1; h < 64; ++h) b.curve(h == 1 ? Curve{{0.0f, 0.5f, 1.0f}, {2.9f, 3.5f, 1.0f}} : Curve{});
  b.noiseBlock(0, 0.0f);

  auto slot = std::make_unique<VoiceSlot>();
  ASSERT_TRUE(readVoice(b.data, *slot));
  // Harmonic 2 is valid from 1 to 3. The loud start gets a fade-in point at 0 in front (prepare).
  const HarmonicSet& set = slot->harmonics[0][0];
  const BreakpointCurve& amplitude = set.amplitude[1];
  const BreakpointCurve& ratio = set.frequency[1];
  ASSERT_EQ(amplitude.count(), 4);
  EXPECT_FLOAT_EQ(ratio.y(1), 2.9f);  // kept
  EXPECT_FLOAT_EQ(amplitude.y(1), 0.7f);
  EXPECT_FLOAT_EQ(ratio.y(2), 2.0f);      // 3.5 replaced by the harmonic number ...
  EXPECT_FLOAT_EQ(amplitude.y(2), 0.0f);  // ... and silenced
  EXPECT_FLOAT_EQ(ratio.y(3), 1.0f);      // 1 is the lower edge: kept
  EXPECT_FLOAT_EQ(amplitude.y(3), 0.0f);  // the last amplitude is always 0
}

TEST(VoiceRecord, RecordsOutsideTheFormatAreRefusedKeepingWhatWasRead) {
  auto slot = std::make_unique<VoiceSlot>();
  RecordBuilder good;
  good.voice("Before", 1, 2, 0.5f);
  ASSERT_TRUE(readVoice(good.data, *slot));

  struct Case {
    int rows;
    int layers;
  };
  for (const Case c : {Case{9, 1}, Case{-1, 1}, Case{2, 0}, Case{2, 3}}) {
    RecordBuilder bad;
    bad.int32(65538).string("Refused").int32(0).float32(1.0f).float32(2.0f).int32(c.rows).int32(c.layers);
    bad.float32(22050.0f);
    VoiceReadProgress progress;
    EXPECT_FALSE(readVoice(bad.data, *slot, &progress)) << c.rows << " x " << c.layers;
    EXPECT_FALSE(progress.layersBegun);
    EXPECT_STREQ(slot->name, "Refused");  // read before the refused count: it stays
    EXPECT_FALSE(progress.headerFields & PendingLoad::VoiceLayerCount);
  }
  // The sets were never emptied: the earlier voice's sound is still there.
  EXPECT_FLOAT_EQ(slot->harmonics[0][0].baseFrequency, 110.0f);
  EXPECT_EQ(slot->rowCount, 2);  // the last refused record stored its (valid) row count before its layer count

  // A noise block with 65 frames and a curve with 129 points are refused inside the layers.
  RecordBuilder frames;
  frames.int32(65538).string("Frames").int32(0).float32(0.0f).float32(0.0f).int32(1).int32(1).float32(1.0f);
  frames.harmonicBlock(100.0f, 0.5f).int32(65);
  VoiceReadProgress progress;
  EXPECT_FALSE(readVoice(frames.data, *slot, &progress));
  EXPECT_TRUE(progress.layersBegun);
  EXPECT_FLOAT_EQ(slot->harmonics[0][0].baseFrequency, 100.0f);  // the harmonic block before it stays
  EXPECT_EQ(slot->noise[0][0].count, 0);

  RecordBuilder points;
  points.int32(65538).string("Points").int32(0).float32(0.0f).float32(0.0f).int32(1).int32(1).float32(1.0f);
  points.float32(100.0f).int32(129);
  EXPECT_FALSE(readVoice(points.data, *slot));
}

TEST(VoiceRecord, TruncationAtAnyByteFailsWithoutReadingPastTheEnd) {
  RecordBuilder b;
  b.voice("Cut", 2, 2, 0.5f);
  auto slot = std::make_unique<VoiceSlot>();
  // Every prefix, read from its own exactly-sized buffer so that a read past
  // the end would be seen by the address sanitizer.
  for (std::size_t n = 0; n < b.data.size(); n += (n < 200 ? 1 : 97)) {
    std::vector<std::uint8_t> prefix(b.data.begin(), b.data.begin() + static_cast<std::ptrdiff_t>(n));
    VoiceReadProgress progress;
    std::int32_t consumed = 0;
    EXPECT_FALSE(readVoice(prefix, *slot, &progress, &consumed)) << n;
    EXPECT_LE(consumed, static_cast<std::int32_t>(n));
    EXPECT_EQ(progress.headerFields != 0, n >= 8) << n;  // the name ends after byte 8
  }
}

TEST(VoiceRecord, WritingWhatWasReadReproducesItByteForByteAndTheSizeIsKnownBeforehand) {
  RecordBuilder b;
  b.voice("Round", 3, 2, 0.3f);
  auto first = std::make_unique<VoiceSlot>();
  ASSERT_TRUE(readVoice(b.data, *first));
  const std::vector<std::uint8_t> written = writeVoice(*first);
  EXPECT_EQ(voiceRecordSize(*first), static_cast<std::int64_t>(written.size()));

  auto second = std::make_unique<VoiceSlot>();
  ASSERT_TRUE(readVoice(written, *second));
  EXPECT_EQ(writeVoice(*second), written);
  EXPECT_FLOAT_EQ(second->loopStart, first->loopStart);
  EXPECT_EQ(second->loopOn, first->loopOn);
}

TEST(VoiceRecord, NonFiniteLoopPointsReadAsZero) {
  RecordBuilder b;
  b.int32(65538).string("NaN").int32(1).float32(std::numeric_limits<float>::quiet_NaN());
  b.float32(std::numeric_limits<float>::infinity()).int32(0).int32(1).float32(22050.0f);
  auto slot = std::make_unique<VoiceSlot>();
  ASSERT_TRUE(readVoice(b.data, *slot));
  EXPECT_TRUE(std::isfinite(slot->loopStart));
  EXPECT_TRUE(std::isfinite(slot->loopEnd));
}

}  // namespace
}  // namespace vt
