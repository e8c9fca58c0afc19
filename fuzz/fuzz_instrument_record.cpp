// libFuzzer target: an instrument record read from memory into the engine, as
// the host chunk is. Whatever was read is then written again: the writer's size
// must be the one announced, and what it writes must read back whole.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "files/instrument_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vt::SynthEngine* engine = new vt::SynthEngine();
  static std::vector<std::uint8_t> written(vt::ByteStream::kCapacity);
  if (size > static_cast<std::size_t>(vt::ByteStream::kCapacity)) return 0;

  vt::ByteStream input;
  input.openMemoryForReading(data, static_cast<std::int32_t>(size));
  vt::readInstrumentInto(*engine, input);
  if (input.getPosition() > static_cast<std::int32_t>(size)) std::abort();

  const std::int64_t expected = vt::instrumentRecordSize(*engine);
  if (expected > vt::ByteStream::kCapacity) return 0;
  vt::ByteStream output;
  output.openMemoryForWriting(written.data());
  if (!vt::writeInstrumentRecord(output, *engine) || output.getPosition() != expected) std::abort();

  vt::ByteStream again;
  again.openMemoryForReading(written.data(), output.getPosition());
  if (!vt::readInstrumentInto(*engine, again)) std::abort();
  return 0;
}
