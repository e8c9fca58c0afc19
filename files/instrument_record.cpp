#include "files/instrument_record.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "engine/instrument_view.h"
#include "engine/pending_load.h"
#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/file_value_limits.h"
#include "files/voice_record.h"

namespace vt {

namespace {

constexpr std::int64_t kWord = 4;

std::int64_t curveSize(const BreakpointCurve& curve) { return kWord + 2 * kWord * curve.count(); }

// Reads 'count' parameter values into load.parameters from 'first' on, staging each one.
bool readParameters(ByteStream& stream, PendingLoad& load, int count) {
  for (int i = 0; i < count; ++i) {
    const float value = stream.readFloat();
    if (stream.failed()) return false;
    load.parameters[i] = value;  // limited when the load is committed (a non-finite value takes the default)
    load.parameterCount = i + 1;
  }
  return true;
}

bool readCurve(ByteStream& stream, PendingLoad& load, int id) {
  if (!stream.readBreakpointList(load.morphEnvelopes[id], kMorphEnvelopeLimits)) return false;
  load.hasMorphEnvelope[id] = true;
  return true;
}

// An optional pair: read when data remains, else a copy of the harmonic pair.
bool readOptionalPair(ByteStream& stream, PendingLoad& load, int xId, int yId) {
  if (stream.remaining() < 1) {
    load.morphEnvelopes[xId].copyFrom(load.morphEnvelopes[kMorphEnvelopeHarmX]);
    load.morphEnvelopes[yId].copyFrom(load.morphEnvelopes[kMorphEnvelopeHarmY]);
    load.hasMorphEnvelope[xId] = true;
    load.hasMorphEnvelope[yId] = true;
    return true;
  }
  return readCurve(stream, load, xId) && readCurve(stream, load, yId);
}

}  // namespace

bool readInstrumentRecord(ByteStream& stream, PendingLoad& load) {
  const std::int32_t version = stream.readInt();
  if (stream.failed()) return false;

  char name[PendingLoad::kNameSize] = {};
  if (!stream.readString(name, sizeof(name))) return false;
  std::memcpy(load.name, name, sizeof(name));
  load.hasName = true;

  const std::int32_t count = stream.readInt();
  if (stream.failed()) return false;
  if (count >= kNumHostParameters) {
    if (!readParameters(stream, load, kNumHostParameters)) return false;
    // Surplus values of a longer record are read and dropped; one that claims
    // more than the data holds fails here rather than after a long loop.
    const std::int64_t surplus = static_cast<std::int64_t>(count) - kNumHostParameters;
    if (surplus * kWord > stream.remaining()) return false;
    for (std::int64_t i = 0; i < surplus; ++i) stream.readFloat();
    if (stream.failed()) return false;
  } else {
    const int given = count > 0 ? count : 0;
    if (!readParameters(stream, load, given)) return false;
    for (int i = given; i < kNumHostParameters; ++i) load.parameters[i] = 0.0f;
    load.parameterCount = kNumHostParameters;
  }
  if (version == kOlderInstrumentRecordVersion) load.olderLayoutFixups = true;

  if (!readCurve(stream, load, kMorphEnvelopeHarmX) || !readCurve(stream, load, kMorphEnvelopeHarmY)) return false;

  for (int s = 0; s < kNumSlots; ++s) {
    VoiceReadProgress progress;
    const bool ok = readVoiceRecord(stream, load.stagedSlot(s), &progress);
    noteVoiceRead(load, s, progress);
    if (!ok) return false;
  }

  if (!stream.readBreakpointList(load.formantCurve, kFormantCurveLimits)) return false;
  load.hasFormant = true;

  for (int i = 0; i < kReservedIntegers; ++i) stream.readInt();
  if (stream.failed()) return false;
  for (int i = 0; i < kReservedStrings; ++i)
    if (!stream.readString(nullptr, 0)) return false;

  return readOptionalPair(stream, load, kMorphEnvelopeNoiseX, kMorphEnvelopeNoiseY) &&
         readOptionalPair(stream, load, kMorphEnvelopeAmpX, kMorphEnvelopeAmpY);
}

bool writeInstrumentRecord(ByteStream& stream, const InstrumentView& view) {
  stream.writeInt(kInstrumentRecordVersion);
  stream.writeString(view.name);
  stream.writeInt(kNumHostParameters);
  for (int i = 0; i < kNumHostParameters; ++i) stream.writeFloat(view.parameters[i]);
  bool ok = !stream.failed() && stream.writeBreakpointList(*view.morphEnvelopes[kMorphEnvelopeHarmX]) &&
            stream.writeBreakpointList(*view.morphEnvelopes[kMorphEnvelopeHarmY]);
  for (int s = 0; ok && s < kNumSlots; ++s) ok = writeVoiceRecord(stream, *view.slots[s]);
  ok = ok && stream.writeBreakpointList(*view.formant);
  if (!ok) return false;
  for (int i = 0; i < kReservedIntegers; ++i) stream.writeInt(0);
  for (int i = 0; i < kReservedStrings; ++i) stream.writeString("");
  for (int id : {kMorphEnvelopeNoiseX, kMorphEnvelopeNoiseY, kMorphEnvelopeAmpX, kMorphEnvelopeAmpY})
    ok = ok && stream.writeBreakpointList(*view.morphEnvelopes[id]);
  return ok && !stream.failed();
}

bool writeInstrumentRecord(ByteStream& stream, const SynthEngine& engine) {
  return writeInstrumentRecord(stream, engine.visibleInstrument(nullptr));
}

std::int64_t instrumentRecordSize(const InstrumentView& view) {
  std::int64_t size = kWord + static_cast<std::int64_t>(std::strlen(view.name)) + 1;
  size += kWord + kWord * kNumHostParameters;
  for (int id = 0; id < kMorphEnvelopes; ++id) size += curveSize(*view.morphEnvelopes[id]);
  for (int s = 0; s < kNumSlots; ++s) size += voiceRecordSize(*view.slots[s]);
  size += curveSize(*view.formant);
  size += kWord * kReservedIntegers + kReservedStrings;  // the reserved strings are empty: one zero byte each
  return size;
}

std::int64_t instrumentRecordSize(const SynthEngine& engine) {
  return instrumentRecordSize(engine.visibleInstrument(nullptr));
}

}  // namespace vt
