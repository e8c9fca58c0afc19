// libFuzzer target: a voice record read into a voice slot, then written again
// (size as announced) and read back whole.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/voice_slot.h"
#include "files/byte_stream.h"
#include "files/voice_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vt::VoiceSlot* slot = new vt::VoiceSlot();
  static std::vector<std::uint8_t> written(vt::ByteStream::kCapacity);
  if (size > static_cast<std::size_t>(vt::ByteStream::kCapacity)) return 0;

  vt::ByteStream input;
  input.openMemoryForReading(data, static_cast<std::int32_t>(size));
  vt::VoiceReadProgress progress;
  vt::readVoiceRecord(input, *slot, &progress);
  if (input.getPosition() > static_cast<std::int32_t>(size)) std::abort();

  const std::int64_t expected = vt::voiceRecordSize(*slot);
  if (expected > vt::ByteStream::kCapacity) return 0;
  vt::ByteStream output;
  output.openMemoryForWriting(written.data());
  if (!vt::writeVoiceRecord(output, *slot) || output.getPosition() != expected) std::abort();

  vt::ByteStream again;
  again.openMemoryForReading(written.data(), output.getPosition());
  if (!vt::readVoiceRecord(again, *slot)) std::abort();
  return 0;
}
