// libFuzzer target: a harmonic block file read into a harmonic set, then
// prepared as a loaded block is.
#include <cstdint>

#include "engine/harmonic_set.h"
#include "files/byte_stream.h"
#include "files/harmonic_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vt::HarmonicSet* set = new vt::HarmonicSet();
  if (size > static_cast<std::size_t>(vt::ByteStream::kCapacity)) return 0;
  vt::ByteStream input;
  input.openMemoryForReading(data, static_cast<std::int32_t>(size));
  set->reset();
  vt::readHarmonicBlock(input, *set);
  set->prepare();
  set->hasEnded(set->duration * 0.5f);
  return 0;
}
