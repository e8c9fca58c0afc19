#include "files/harmonic_block.h"

#include "engine/harmonic_set.h"
#include "files/byte_stream.h"

namespace vt {

bool readHarmonicBlock(ByteStream& stream, HarmonicSet& set) {
  const float base = stream.readFloat();
  if (stream.failed()) return false;
  set.baseFrequency = base;
  bool ok = true;
  for (int h = 0; ok && h < HarmonicSet::kHarmonics; ++h) {
    ok = stream.readBreakpointList(set.amplitude[h]);
    set.validateAmplitude(h);
  }
  for (int h = 0; ok && h < HarmonicSet::kHarmonics; ++h) {
    ok = stream.readBreakpointList(set.frequency[h]);
    set.validateFrequency(h);
  }
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
