// libFuzzer target: a noise block file read into a noise set, then prepared
// and looked up as the noise generator does.
#include <cstdint>
#include <initializer_list>

#include "engine/noise_set.h"
#include "files/byte_stream.h"
#include "files/noise_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vt::NoiseSet* set = new vt::NoiseSet();
  if (size > static_cast<std::size_t>(vt::ByteStream::kCapacity)) return 0;
  vt::ByteStream input;
  input.openMemoryForReading(data, static_cast<std::int32_t>(size));
  vt::readNoiseBlock(input, *set);
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
