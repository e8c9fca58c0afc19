#include "files/harmonic_block.h"

#include "engine/harmonic_set.h"
#include "files/byte_stream.h"
#include "files/file_value_limits.h"

namespace vt {

bool readHarmonicBlock(ByteStream& stream, HarmonicSet& set) {
  const float base = stream.readFloat();
  if (stream.failed()) return false;
  // The key blend works on the logarithm of the base frequency: 0, negative
  // and NaN values become the lowest one allowed.
  set.baseFrequency = limitFileValue(base, kMinBaseFrequency, kMaxBaseFrequency, kMinBaseFrequency);
  bool ok = true;
  for (int h = 0; ok && h < HarmonicSet::kHarmonics; ++h) {
    ok = stream.readBreakpointList(set.amplitude[h], kAmplitudeCurveLimits);
    set.fitToSharedAxis(h);
    set.validateAmplitude(h);
  }
  for (int h = 0; ok && h < HarmonicSet::kHarmonics; ++h) {
    ok = stream.readBreakpointList(set.frequency[h], kRatioCurveLimits);
    set.fitToSharedAxis(HarmonicSet::kHarmonics + h);
    set.validateFrequency(h);
  }
  // An empty layer is stored with base frequency 0 and reads back as it was
  // written, so that a chunk of an instrument with empty layers round-trips
  // byte for byte; no note ever blends an empty layer by its frequency.
  if (base == 0.0f && set.amplitude[0].count() == 0) set.baseFrequency = 0.0f;
  set.updateDuration();
  return ok;
}

bool writeHarmonicBlock(ByteStream& stream, const HarmonicSet& set) {
  stream.writeFloat(set.baseFrequency);
  bool ok = !stream.failed();
  for (int i = 0; ok && i < HarmonicSet::kCurves; ++i) ok = stream.writeBreakpointList(set.curve(i));
  return ok;
}

}  // namespace vt
