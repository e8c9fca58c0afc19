// Numbers read from files: hostile values load limited and play finite, and a
// harmonic block loads the same whatever the slot held before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "files/file_value_limits.h"
#include "files/harmonic_block.h"
#include "tests/support/record_builder.h"
#include "tests/support/temp_folder.h"

namespace vt {
namespace {

using test::Curve;
using test::RecordBuilder;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

std::string bytesOf(const RecordBuilder& b) { return std::string(b.data.begin(), b.data.end()); }

bool readInstrument(SynthEngine& engine, const RecordBuilder& record) {
  ByteStream stream;
  stream.openMemoryForReading(record.data.data(), static_cast<std::int32_t>(record.data.size()));
  return readInstrumentInto(engine, stream);
}

// A harmonic block whose harmonic 1 carries the given amplitude curve (and a
// ratio curve on the same times), harmonic 2 a louder copy.
void hostileHarmonicBlock(RecordBuilder& b, float base, const Curve& amplitude) {
  b.float32(base);
  for (int h = 0; h < 64; ++h) b.curve(h < 2 ? amplitude : Curve{});
  const std::vector<float> ones(amplitude.x.size(), 1.0f), twos(amplitude.x.size(), 2.0f);
  b.curve(Curve{amplitude.x, ones}).curve(Curve{amplitude.x, twos});
  for (int h = 2; h < 64; ++h) b.curve(Curve{});
}

RecordBuilder hostileVoice() {
  RecordBuilder b;
  b.int32(65538).string("Hostile").int32(1).float32(kNaN).float32(1e30f).int32(2).int32(1).float32(kInf);
  const Curve amplitude{{0.0f, kNaN, 0.5f, 0.2f, 1.0f, kInf}, {0.0f, 1e6f, -5.0f, kInf, kNaN, 0.3f}};
  for (float base : {0.0f, kNaN}) {
    hostileHarmonicBlock(b, base, amplitude);
    b.int32(3);
    for (float time : {kNaN, 0.4f, -2.0f}) b.float32(time).curve(Curve{{-1.0f, kNaN, 7.0f}, {1e9f, kNaN, -kInf}});
  }
  return b;
}

void expectCurveWithin(const BreakpointCurve& c, float minX, float maxX, float minY, float maxY) {
  for (int i = 0; i < c.count(); ++i) {
    ASSERT_TRUE(std::isfinite(c.x(i)) && std::isfinite(c.y(i))) << i;
    ASSERT_GE(c.x(i), minX);
    ASSERT_LE(c.x(i), maxX);
    ASSERT_GE(c.y(i), minY);
    ASSERT_LE(c.y(i), maxY);
    if (i > 0) {
      ASSERT_GE(c.x(i), c.x(i - 1));
    }
  }
}

TEST(FileValues, HostileNumbersLoadLimitedAndPlayFinite) {
  auto engine = std::make_unique<SynthEngine>();
  engine->setSampleRate(44100.0f);
  RecordBuilder record;
  record.int32(65538).string("Hostile").int32(kNumHostParameters);
  for (int i = 0; i < kNumHostParameters; ++i) record.float32(engine->getParameter(i));
  const Curve morph{{kNaN, 1.0f, 0.5f, 1e9f}, {5.0f, kNaN, -1.0f, 0.5f}};
  record.curve(morph).curve(morph);
  const RecordBuilder voice = hostileVoice();
  for (int s = 0; s < kNumSlots; ++s) record.bytes(voice.data);
  record.curve(Curve{{-3.0f, 0.5f, 7.0f}, {1e6f, kNaN, -2.0f}});
  record.int32(0).int32(0).string("").string("").string("");
  for (int i = 0; i < 4; ++i) record.curve(morph);
  ASSERT_TRUE(readInstrument(*engine, record));

  for (int id = 0; id < kMorphEnvelopes; ++id)
    expectCurveWithin(engine->morphEnvelope(id), 0.0f, kMaxFileTime, 0.0f, 1.0f);
  expectCurveWithin(engine->formantCurve(), 0.0f, 1.0f, 0.0f, kMaxFormantGain);
  for (int s = 0; s < kNumSlots; ++s) {
    const VoiceSlot& slot = engine->slot(s);
    float longest = 0.0f;
    for (int r = 0; r < slot.rowCount; ++r) {
      for (int l = 0; l < VoiceSlot::kLayers; ++l) {
        const HarmonicSet& h = slot.harmonics[r][l];
        EXPECT_GE(h.baseFrequency, kMinBaseFrequency);
        EXPECT_LE(h.baseFrequency, kMaxBaseFrequency);
        for (int k = 0; k < HarmonicSet::kHarmonics; ++k)
          expectCurveWithin(h.amplitude[k], 0.0f, kMaxFileTime, 0.0f, kMaxPartialAmplitude);
        const NoiseSet& n = slot.noise[r][l];
        for (int f = 0; f < n.count; ++f) {
          ASSERT_TRUE(std::isfinite(n.times[f]));
          ASSERT_GE(n.times[f], f > 0 ? n.times[f - 1] : 0.0f);
          expectCurveWithin(n.frames[f].spectrum, 0.0f, 1.0f, 0.0f, kMaxNoiseMagnitude);
          for (float bin : n.frames[f].bins) ASSERT_TRUE(std::isfinite(bin));
        }
        longest = std::max({longest, h.duration, n.count > 0 ? n.times[n.count - 1] : 0.0f});
      }
    }
    EXPECT_TRUE(std::isfinite(slot.maxFrequency));
    EXPECT_GE(slot.loopStart, 0.0f);
    EXPECT_LE(slot.loopEnd, longest);
  }

  // Morphed notes across the keyboard (through both multisamples), then single-slot notes.
  std::vector<float> left(512), right(512);
  float peak = 0.0f;
  for (float doMorphing : {1.0f, 0.0f}) {
    engine->setParameter(DoMorphing, doMorphing);
    for (int key : {24, 60, 96}) {
      const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(key), 127};
      engine->queueMessage(on, 3, 0);
    }
    for (int block = 0; block < 200; ++block) {
      engine->render(left.data(), right.data(), 512);
      for (int i = 0; i < 512; ++i) {
        ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << block;
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
      }
    }
    engine->releaseAll();
  }
  EXPECT_LT(peak, 100.0f);
}

TEST(FileValues, AHarmonicBlockLoadsTheSameIntoAFreshAndAUsedSlot) {
  test::TempFolder temp;
  // Harmonic 1 owns a short time axis (3 frames, 0.11 s); harmonic 2 claims 6 points.
  RecordBuilder block;
  block.float32(220.0f);
  block.curve(Curve{{0.0f, 0.05f, 0.11f}, {0.0f, 0.4f, 0.0f}});
  block.curve(Curve{{0.0f, 0.05f, 0.11f, 0.2f, 0.3f, 0.4f}, {0.0f, 0.2f, 0.2f, 0.2f, 0.2f, 0.2f}});
  for (int h = 2; h < 64; ++h) block.curve(Curve{});
  block.curve(Curve{{0.0f, 0.05f, 0.11f}, {1.0f, 1.0f, 1.0f}});
  block.curve(Curve{{0.0f, 0.05f, 0.11f, 0.2f, 0.3f, 0.4f}, {2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f}});
  for (int h = 2; h < 64; ++h) block.curve(Curve{});
  const std::string blockPath = temp.writeFile("short.v7h", bytesOf(block)).string();

  // A voice with a long axis (128 frames up to 3.01 s) in every harmonic.
  RecordBuilder voice;
  voice.int32(65538).string("Long").int32(0).float32(0.0f).float32(0.0f).int32(1).int32(1).float32(22050.0f);
  Curve longCurve;
  for (int i = 0; i < 128; ++i) {
    longCurve.x.push_back(3.01f * static_cast<float>(i) / 127.0f);
    longCurve.y.push_back(0.1f);
  }
  Curve longRatios{longCurve.x, std::vector<float>(128, 1.0f)};
  voice.float32(110.0f);
  for (int h = 0; h < 64; ++h) voice.curve(longCurve);
  for (int h = 0; h < 64; ++h) voice.curve(longRatios);
  voice.int32(0);
  const std::string voicePath = temp.writeFile("long.v7v", bytesOf(voice)).string();

  auto fresh = std::make_unique<SynthEngine>();
  auto used = std::make_unique<SynthEngine>();
  ASSERT_TRUE(loadVoiceFile(*used, 0, voicePath.c_str()));
  ASSERT_TRUE(loadHarmonicBlockFile(*fresh, 0, 0, 0, blockPath.c_str()));
  ASSERT_TRUE(loadHarmonicBlockFile(*used, 0, 0, 0, blockPath.c_str()));

  const HarmonicSet& a = fresh->slot(0).harmonics[0][0];
  const HarmonicSet& b = used->slot(0).harmonics[0][0];
  EXPECT_FLOAT_EQ(a.duration, 0.11f);
  EXPECT_EQ(a.duration, b.duration);
  EXPECT_EQ(a.amplitude[1].count(), 3);
  // What is saved again is the same, byte for byte, and holds only the shared axis.
  std::vector<std::uint8_t> savedA(200000), savedB(200000);
  ByteStream outA, outB;
  outA.openMemoryForWriting(savedA.data(), static_cast<std::int32_t>(savedA.size()));
  outB.openMemoryForWriting(savedB.data(), static_cast<std::int32_t>(savedB.size()));
  ASSERT_TRUE(writeHarmonicBlock(outA, a));
  ASSERT_TRUE(writeHarmonicBlock(outB, b));
  savedA.resize(static_cast<std::size_t>(outA.getPosition()));
  savedB.resize(static_cast<std::size_t>(outB.getPosition()));
  EXPECT_EQ(savedA, savedB);
  for (int c = 0; c < HarmonicSet::kCurves; ++c) {
    ASSERT_EQ(a.curve(c).count(), b.curve(c).count()) << c;
    for (int i = 0; i < a.curve(c).count(); ++i) EXPECT_LE(a.curve(c).x(i), 0.11f) << c;
  }
}

}  // namespace
}  // namespace vt
