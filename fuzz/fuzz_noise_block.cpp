// libFuzzer target: a noise block file read into a noise set, then prepared
// and looked up as the noise generator does. Whatever the bytes, frame times
// come out finite and in order and every bin finite and in range.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "engine/noise_set.h"
#include "files/byte_stream.h"
#include "files/file_value_limits.h"
#include "files/noise_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vt::NoiseSet* set = new vt::NoiseSet();
  if (size > static_cast<std::size_t>(vt::ByteStream::kCapacity)) return 0;
  vt::ByteStream input;
  input.openMemoryForReading(data, static_cast<std::int32_t>(size));
  const bool read = vt::readNoiseBlock(input, *set);
  for (int f = 0; read && f < set->count; ++f) {
    const float t = set->times[f];
    if (!(t >= 0.0f && t <= vt::kMaxFileTime) || (f > 0 && t < set->times[f - 1])) std::abort();
    for (float bin : set->frames[f].bins)
      if (!(bin >= 0.0f && bin <= vt::kMaxNoiseMagnitude)) std::abort();
  }
  set->prepare();
  int i = 0;
  int j = 0;
  float fraction = 0.0f;
  for (float t : {0.0f, 0.005f, 0.5f, 1000.0f}) {
    set->frameBefore(t);
    set->bracket(t, i, j, fraction);
  }
  return 0;
}
