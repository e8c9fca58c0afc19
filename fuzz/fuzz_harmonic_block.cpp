// libFuzzer target: a harmonic block file read into a harmonic set, then
// prepared as a loaded block is. Whatever the bytes, what was read is limited:
// finite times in order, amplitudes and the base frequency in range (0 only
// for an empty layer), and no curve longer than the time axis it shares.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "engine/harmonic_set.h"
#include "files/byte_stream.h"
#include "files/file_value_limits.h"
#include "files/harmonic_block.h"

namespace {

void checkLimited(const vt::HarmonicSet& set) {
  // An empty layer keeps the base frequency 0 it was stored with.
  const bool emptyLayer = set.baseFrequency == 0.0f && set.curve(0).count() == 0;
  if (!emptyLayer && !(set.baseFrequency >= vt::kMinBaseFrequency && set.baseFrequency <= vt::kMaxBaseFrequency))
    std::abort();
  for (int c = 0; c < vt::HarmonicSet::kCurves; ++c) {
    const vt::BreakpointCurve& curve = set.curve(c);
    const vt::BreakpointCurve& owner = set.curve(c < vt::HarmonicSet::kHarmonics ? 0 : vt::HarmonicSet::kHarmonics);
    if (curve.count() > owner.count()) std::abort();
    for (int i = 0; i < curve.count(); ++i) {
      const float x = curve.x(i);
      if (!(x >= 0.0f && x <= vt::kMaxFileTime) || (i > 0 && x < curve.x(i - 1))) std::abort();
      if (!std::isfinite(curve.y(i))) std::abort();
      if (c < vt::HarmonicSet::kHarmonics && !(curve.y(i) >= 0.0f && curve.y(i) <= vt::kMaxPartialAmplitude))
        std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vt::HarmonicSet* set = new vt::HarmonicSet();
  if (size > static_cast<std::size_t>(vt::ByteStream::kCapacity)) return 0;
  vt::ByteStream input;
  input.openMemoryForReading(data, static_cast<std::int32_t>(size));
  set->reset();
  if (vt::readHarmonicBlock(input, *set)) checkLimited(*set);
  set->prepare();
  set->hasEnded(set->duration * 0.5f);
  return 0;
}
