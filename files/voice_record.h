// The voice record: one VoiceSlot on a byte stream. The header (version, name,
// loop switch and points, multisample and layer counts, and from version 65538
// on the maximum frequency), then per multisample and layer a harmonic block
// and a noise block. It is a file of its own ("v7v") and four of them sit in
// every instrument record.
#pragma once

#include <cstdint>

namespace vt {

class ByteStream;
class PendingLoad;
class VoiceSlot;

constexpr std::int32_t kVoiceRecordVersion = 65538;       // written; carries maxFrequency
constexpr std::int32_t kOlderVoiceRecordVersion = 65537;  // without maxFrequency
constexpr float kOlderVoiceMaxFrequency = 22050.0f;

// How far a read got: the header fields it stored (PendingLoad::VoiceHeaderField
// bits) and whether it began on the layers, which first empties every set.
struct VoiceReadProgress {
  unsigned headerFields = 0;
  bool layersBegun = false;
};

// Records in a load what a voice read did to slot 'slot': its content
// replaced once the layers were begun, else the header fields it stored.
void noteVoiceRead(PendingLoad& load, int slot, const VoiceReadProgress& progress);

// Reads a voice record into 'slot', preparing it after every layer and at the
// end; a one-layer voice gets each row's layer 0 copied into layer 1. A record
// with more than 8 multisamples, a layer count other than 1 or 2, a block
// outside its format or data that ends early is refused with false; what was
// read before stays (a slot whose layers were begun is prepared all the same).
bool readVoiceRecord(ByteStream& stream, VoiceSlot& slot, VoiceReadProgress* progress = nullptr);

// Writes the record in the current layout; false when the stream refuses a write.
bool writeVoiceRecord(ByteStream& stream, const VoiceSlot& slot);

// The number of bytes writeVoiceRecord produces for 'slot'.
std::int64_t voiceRecordSize(const VoiceSlot& slot);

}  // namespace vt
