// The instrument record read into and written from the engine: parameter
// counts, the older layout, reserved strings, optional pairs, truncation at
// every element boundary, and the exact round trip.
#include "files/instrument_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "tests/support/record_builder.h"

namespace vt {
namespace {

using test::RecordBuilder;

std::vector<float> parameterValues(int count) {
  std::vector<float> values;
  for (int i = 0; i < count; ++i) values.push_back(0.001f * static_cast<float>(i + 1));
  return values;
}

bool read(SynthEngine& engine, const std::vector<std::uint8_t>& bytes, std::int32_t* consumed = nullptr) {
  ByteStream stream;
  stream.openMemoryForReading(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  const bool ok = readInstrumentInto(engine, stream);
  if (consumed) *consumed = stream.getPosition();
  return ok;
}

std::vector<std::uint8_t> write(const SynthEngine& engine) {
  std::vector<std::uint8_t> buffer(ByteStream::kCapacity);
  ByteStream stream;
  stream.openMemoryForWriting(buffer.data());
  EXPECT_TRUE(writeInstrumentRecord(stream, engine));
  buffer.resize(static_cast<std::size_t>(stream.getPosition()));
  return buffer;
}

std::vector<float> points(const BreakpointCurve& curve) {
  std::vector<float> values;
  for (int i = 0; i < curve.count(); ++i) {
    values.push_back(curve.x(i));
    values.push_back(curve.y(i));
  }
  return values;
}

class InstrumentRecordTest : public ::testing::Test {
protected:
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
};

TEST_F(InstrumentRecordTest, ACompleteRecordSetsEveryPart) {
  const RecordBuilder record = test::instrumentRecord("Full", parameterValues(173), 0.5f);
  std::int32_t consumed = 0;
  ASSERT_TRUE(read(*engine, record.data, &consumed));
  EXPECT_EQ(consumed, static_cast<std::int32_t>(record.data.size()));
  EXPECT_STREQ(engine->getInstrumentName(), "Full");
  for (int i = 0; i < 173; ++i) ASSERT_FLOAT_EQ(engine->getParameter(i), 0.001f * static_cast<float>(i + 1)) << i;
  EXPECT_EQ(points(engine->morphEnvelope(kMorphEnvelopeHarmX)), (std::vector<float>{0.0f, 0.1f, 1.0f, 0.2f}));
  EXPECT_EQ(points(engine->morphEnvelope(kMorphEnvelopeHarmY)), (std::vector<float>{0.0f, 0.3f, 2.0f, 0.4f}));
  EXPECT_EQ(points(engine->morphEnvelope(kMorphEnvelopeNoiseX)), (std::vector<float>{0.0f, 0.6f}));
  EXPECT_EQ(points(engine->morphEnvelope(kMorphEnvelopeAmpY)), (std::vector<float>{0.0f, 0.9f}));
  EXPECT_EQ(points(engine->formantCurve()), (std::vector<float>{0.0f, 1.0f, 0.5f, 0.5f, 1.0f, 1.0f}));
  EXPECT_STREQ(engine->slot(0).name, "AFull");
  EXPECT_STREQ(engine->slot(3).name, "DFull");
  EXPECT_EQ(engine->slot(1).rowCount, 2);
  EXPECT_EQ(engine->slot(2).layerCount, 1);
  // The voice's own loop switch wins over GlobalLoopOn's, which the parameters wrote first.
  EXPECT_TRUE(engine->slot(0).loopOn);
  EXPECT_FLOAT_EQ(engine->slot(0).maxFrequency, 18000.0f);
}

TEST_F(InstrumentRecordTest, ShortParameterListsAreFilledWithZerosAndLongOnesCutAfterIndex172) {
  engine->setParameter(172, 0.75f);
  ASSERT_TRUE(read(*engine, test::instrumentRecord("Short", parameterValues(170), 0.5f).data));
  EXPECT_FLOAT_EQ(engine->getParameter(169), 0.170f);
  for (int i = 170; i < 173; ++i) EXPECT_EQ(engine->getParameter(i), 0.0f) << i;

  std::vector<float> longer = parameterValues(175);
  ASSERT_TRUE(read(*engine, test::instrumentRecord("Long", longer, 0.5f).data));
  EXPECT_FLOAT_EQ(engine->getParameter(172), 0.173f);
  EXPECT_EQ(engine->getParameter(173), 0.0f);  // the surplus never reaches the internal values
  // The element after the two surplus floats is the harmonic pair's X curve.
  EXPECT_EQ(points(engine->morphEnvelope(kMorphEnvelopeHarmX)), (std::vector<float>{0.0f, 0.1f, 1.0f, 0.2f}));

  for (int count : {0, -5}) {
    RecordBuilder none;
    none.int32(65538).string("None").int32(count);
    engine->setParameter(Volume, 0.9f);
    EXPECT_FALSE(read(*engine, none.data));  // it ends before the harmonic pair ...
    for (int i = 0; i < 173; ++i) ASSERT_EQ(engine->getParameter(i), 0.0f) << i;  // ... but the zeros are applied
  }
}

TEST_F(InstrumentRecordTest, AParameterCountBeyondTheDataFailsAtOnce) {
  RecordBuilder huge;
  huge.int32(65538).string("Huge").int32(2147483647);
  for (float p : parameterValues(173)) huge.float32(p);
  huge.float32(1.0f);
  EXPECT_FALSE(read(*engine, huge.data));
  EXPECT_FLOAT_EQ(engine->getParameter(10), 0.011f);  // the 173 values before the surplus were applied
}

TEST_F(InstrumentRecordTest, OlderLayoutCopiesTheHarmonicPairAndFixesStretchAndAmplitudeMorph) {
  std::vector<float> values = parameterValues(173);
  values[MorphHarmX] = 0.2f;
  values[MorphHarmY] = 0.8f;
  values[MorphAmpX] = 0.55f;
  values[Stretch] = 0.9f;
  const RecordBuilder record = test::instrumentRecord("Old", values, 0.5f, true);
  std::int32_t consumed = 0;
  ASSERT_TRUE(read(*engine, record.data, &consumed));
  EXPECT_EQ(consumed, static_cast<std::int32_t>(record.data.size()));
  EXPECT_FLOAT_EQ(engine->getParameter(Stretch), 0.5f);
  EXPECT_FLOAT_EQ(engine->getParameter(MorphAmpX), 0.2f);
  EXPECT_FLOAT_EQ(engine->getParameter(MorphAmpY), 0.8f);
  // Stretch 0.5 is a factor of 1 on every slot.
  EXPECT_FLOAT_EQ(engine->slot(2).timeStretch, 1.0f);
  for (int id : {kMorphEnvelopeNoiseX, kMorphEnvelopeAmpX})
    EXPECT_EQ(points(engine->morphEnvelope(id)), points(engine->morphEnvelope(kMorphEnvelopeHarmX)));
  for (int id : {kMorphEnvelopeNoiseY, kMorphEnvelopeAmpY})
    EXPECT_EQ(points(engine->morphEnvelope(id)), points(engine->morphEnvelope(kMorphEnvelopeHarmY)));
}

TEST_F(InstrumentRecordTest, ReservedStringsAreSkippedWhateverTheirContent) {
  for (const std::string& text : {std::string(255, 'r'), std::string(5000, 'q'), std::string("\x01\xff")}) {
    const RecordBuilder record = test::instrumentRecord("Reserved", parameterValues(173), 0.5f, false, text);
    ASSERT_TRUE(read(*engine, record.data)) << text.size();
    EXPECT_EQ(points(engine->morphEnvelope(kMorphEnvelopeAmpY)), (std::vector<float>{0.0f, 0.9f}));
  }
}

TEST_F(InstrumentRecordTest, NonFiniteParametersTakeTheirDefaultsAndOthersAreLimited) {
  std::vector<float> values = parameterValues(173);
  values[FilterCutoff] = std::numeric_limits<float>::quiet_NaN();
  values[Volume] = -std::numeric_limits<float>::infinity();
  values[ReverbMix] = 1e6f;
  values[ModSource1] = 400.0f;
  ASSERT_TRUE(read(*engine, test::instrumentRecord("NaN", values, 0.5f).data));
  EXPECT_FLOAT_EQ(engine->getParameter(FilterCutoff), 0.8f);
  EXPECT_FLOAT_EQ(engine->getParameter(Volume), 0.5f);
  EXPECT_FLOAT_EQ(engine->getParameter(ReverbMix), 1.0f);
  EXPECT_FLOAT_EQ(engine->getParameter(ModSource1), 127.0f);
}

// Cut a record at every element boundary (and inside each element): the read
// fails, and exactly the elements that lie wholly before the cut are applied.
TEST_F(InstrumentRecordTest, TruncatedRecordsApplyTheElementsBeforeTheCut) {
  const RecordBuilder previous = test::instrumentRecord("Old", std::vector<float>(173, 0.9f), 0.2f);
  const RecordBuilder record = test::instrumentRecord("New", parameterValues(173), 0.6f);
  const std::vector<std::size_t>& ends = record.boundaries;
  // ends: 0 version, 1 name, 2 count, 3..175 parameters, 176 X, 177 Y, 178..181 voices, 182 formant, ...
  const std::size_t kFirstParameter = 3;
  const std::size_t kHarmonicX = 176;
  const std::size_t kVoiceA = 178;
  const std::size_t kFormant = 182;
  const std::size_t kLastReserved = 187;
  const std::size_t kNoiseY = 189;
  for (std::size_t e = 0; e < ends.size(); ++e) {
    for (const std::size_t cut : {ends[e], ends[e] - 1}) {
      if (cut == record.data.size()) continue;
      ASSERT_TRUE(read(*engine, previous.data));
      engine->morphEnvelope(kMorphEnvelopeHarmX).reset();
      engine->formantCurve().reset();
      const std::vector<std::uint8_t> prefix(record.data.begin(),
                                             record.data.begin() + static_cast<std::ptrdiff_t>(cut));
      // A record that ends where an optional pair would begin is complete.
      const bool complete = cut == ends[kLastReserved] || cut == ends[kNoiseY];
      EXPECT_EQ(read(*engine, prefix), complete) << cut;

      EXPECT_STREQ(engine->getInstrumentName(), cut >= ends[1] ? "New" : "Old") << cut;
      int parametersRead = 0;
      for (std::size_t p = 0; p < 173; ++p)
        if (cut >= ends[kFirstParameter + p]) parametersRead = static_cast<int>(p) + 1;
      for (int i = 0; i < 173; ++i) {
        ASSERT_FLOAT_EQ(engine->getParameter(i), i < parametersRead ? 0.001f * static_cast<float>(i + 1) : 0.9f)
            << "cut " << cut << " parameter " << i;
      }
      EXPECT_EQ(engine->morphEnvelope(kMorphEnvelopeHarmX).count(), cut >= ends[kHarmonicX] ? 2 : 0) << cut;
      for (std::size_t s = 0; s < 4; ++s) {
        // The voice's name ends 4 + 5 bytes into it ("ANew" and its zero); a voice cut after it keeps it.
        const bool voiceNameRead = cut >= ends[kVoiceA + s - 1] + 9;
        const std::string expected = std::string(1, static_cast<char>('A' + s)) + (voiceNameRead ? "New" : "Old");
        EXPECT_EQ(engine->slot(static_cast<int>(s)).name, expected) << cut;
      }
      EXPECT_EQ(engine->formantCurve().count(), cut >= ends[kFormant] ? 3 : 0) << cut;
    }
  }
}

TEST_F(InstrumentRecordTest, WritingReproducesTheRecordReadAndTheSizeIsKnownBeforehand) {
  ASSERT_TRUE(read(*engine, test::instrumentRecord("Trip", parameterValues(173), 0.4f).data));
  const std::vector<std::uint8_t> first = write(*engine);
  EXPECT_EQ(instrumentRecordSize(*engine), static_cast<std::int64_t>(first.size()));

  auto other = std::make_unique<SynthEngine>();
  std::int32_t consumed = 0;
  ASSERT_TRUE(read(*other, first, &consumed));
  EXPECT_EQ(consumed, static_cast<std::int32_t>(first.size()));
  EXPECT_EQ(write(*other), first);
  for (int i = 0; i < 173; ++i) ASSERT_EQ(other->getParameter(i), engine->getParameter(i));
  for (int id = 0; id < kMorphEnvelopes; ++id)
    EXPECT_EQ(points(other->morphEnvelope(id)), points(engine->morphEnvelope(id)));
}

TEST_F(InstrumentRecordTest, TheWriterRefusesToRunPastItsBuffer) {
  ASSERT_TRUE(read(*engine, test::instrumentRecord("Big", parameterValues(173), 0.4f).data));
  const std::int64_t size = instrumentRecordSize(*engine);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size) + 16, 0xAB);
  ByteStream stream;
  stream.openMemoryForWriting(buffer.data(), static_cast<std::int32_t>(size - 1));
  EXPECT_FALSE(writeInstrumentRecord(stream, *engine));
  for (std::size_t i = static_cast<std::size_t>(size - 1); i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xAB);
}

}  // namespace
}  // namespace vt
