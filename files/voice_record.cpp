#include "files/voice_record.h"

#include <cstring>

#include "engine/pending_load.h"
#include "engine/voice_slot.h"
#include "files/byte_stream.h"
#include "files/file_value_limits.h"
#include "files/harmonic_block.h"
#include "files/noise_block.h"

namespace vt {

namespace {

constexpr std::int64_t kWord = 4;

int storedRows(const VoiceSlot& slot) {
  const int rows = slot.rowCount;
  return rows < 0 ? 0 : (rows > VoiceSlot::kRows ? VoiceSlot::kRows : rows);
}

int storedLayers(const VoiceSlot& slot) { return slot.layersInUse(); }

std::size_t nameLength(const VoiceSlot& slot) {
  std::size_t n = 0;
  while (n < sizeof(slot.name) - 1 && slot.name[n]) ++n;
  return n;
}

std::int64_t curveSize(const BreakpointCurve& curve) { return kWord + 2 * kWord * curve.count(); }

std::int64_t harmonicBlockSize(const HarmonicSet& set) {
  std::int64_t size = kWord;
  for (int i = 0; i < HarmonicSet::kCurves; ++i) size += curveSize(set.curve(i));
  return size;
}

std::int64_t noiseBlockSize(const NoiseSet& set) {
  std::int64_t size = kWord;
  for (int i = 0; i < set.count; ++i) size += kWord + curveSize(set.frames[i].spectrum);
  return size;
}

// The end of the longest recording in use: its last harmonic or noise time.
float soundLength(const VoiceSlot& slot) {
  float longest = 0.0f;
  for (int r = 0; r < slot.rowsInUse(); ++r) {
    for (int l = 0; l < slot.layersInUse(); ++l) {
      const HarmonicSet& h = slot.harmonics[r][l];
      const NoiseSet& n = slot.noise[r][l];
      if (h.duration > longest) longest = h.duration;
      if (n.count > 0 && n.times[n.count - 1] > longest) longest = n.times[n.count - 1];
    }
  }
  return longest;
}

// Loop points lie within the sound.
void limitLoopToSound(VoiceSlot& slot) {
  const float length = soundLength(slot);
  slot.loopStart = limitFileValue(slot.loopStart, 0.0f, length, 0.0f);
  slot.loopEnd = limitFileValue(slot.loopEnd, 0.0f, length, 0.0f);
}

bool readLayers(ByteStream& stream, VoiceSlot& slot, int rows, int layers) {
  for (int r = 0; r < rows; ++r) {
    for (int l = 0; l < layers; ++l) {
      if (!readHarmonicBlock(stream, slot.harmonics[r][l]) || !readNoiseBlock(stream, slot.noise[r][l])) return false;
    }
    if (layers == 1) {
      slot.harmonics[r][1].copyFrom(slot.harmonics[r][0]);
      slot.noise[r][1].copyFrom(slot.noise[r][0]);
    }
  }
  return true;
}

}  // namespace

void noteVoiceRead(PendingLoad& load, int slot, const VoiceReadProgress& progress) {
  if (progress.layersBegun)
    load.noteSlotChange(slot, PendingLoad::ReplaceContent, progress.headerFields);
  else if (progress.headerFields)
    load.noteSlotChange(slot, PendingLoad::ChangeHeader, progress.headerFields);
}

bool readVoiceRecord(ByteStream& stream, VoiceSlot& slot, VoiceReadProgress* progress) {
  VoiceReadProgress local;
  VoiceReadProgress& done = progress ? *progress : local;
  done = VoiceReadProgress();

  const std::int32_t version = stream.readInt();
  if (stream.failed()) return false;

  char name[VoiceSlot::kNameSize] = {};
  if (!stream.readString(name, sizeof(name))) return false;
  std::memcpy(slot.name, name, sizeof(name));
  done.headerFields |= PendingLoad::VoiceName;

  const bool loopOn = stream.readBool();
  if (stream.failed()) return false;
  slot.loopOn = loopOn;
  done.headerFields |= PendingLoad::VoiceLoopOn;

  const float loopStart = stream.readFloat();
  if (stream.failed()) return false;
  slot.loopStart = limitFileValue(loopStart, 0.0f, kMaxFileTime, 0.0f);
  done.headerFields |= PendingLoad::VoiceLoopStart;

  const float loopEnd = stream.readFloat();
  if (stream.failed()) return false;
  slot.loopEnd = limitFileValue(loopEnd, 0.0f, kMaxFileTime, 0.0f);
  done.headerFields |= PendingLoad::VoiceLoopEnd;

  // The slot has room for 8 multisamples of 2 layers: larger records are refused.
  const std::int32_t rows = stream.readInt();
  if (stream.failed() || rows < 0 || rows > VoiceSlot::kRows) return false;
  slot.rowCount = rows;
  done.headerFields |= PendingLoad::VoiceRowCount;

  const std::int32_t layers = stream.readInt();
  if (stream.failed() || layers < 1 || layers > VoiceSlot::kLayers) return false;
  slot.layerCount = layers;
  done.headerFields |= PendingLoad::VoiceLayerCount;

  float maxFrequency = kOlderVoiceMaxFrequency;
  if (version > kOlderVoiceRecordVersion) {
    maxFrequency = stream.readFloat();
    if (stream.failed()) return false;
  }
  slot.maxFrequency = limitFileValue(maxFrequency, 0.0f, kMaxStoredFrequency, kOlderVoiceMaxFrequency);
  done.headerFields |= PendingLoad::VoiceMaxFrequency;

  done.layersBegun = true;
  slot.reset();
  const bool ok = readLayers(stream, slot, rows, layers);
  // What was read is kept (a failed read too) and prepared once, when every
  // layer is in, so that it plays like any other content.
  limitLoopToSound(slot);
  slot.prepare();
  return ok;
}

bool writeVoiceRecord(ByteStream& stream, const VoiceSlot& slot) {
  char name[VoiceSlot::kNameSize] = {};
  std::memcpy(name, slot.name, nameLength(slot));
  const int rows = storedRows(slot);
  const int layers = storedLayers(slot);

  stream.writeInt(kVoiceRecordVersion);
  stream.writeString(name);
  stream.writeInt(slot.loopOn ? 1 : 0);
  stream.writeFloat(slot.loopStart);
  stream.writeFloat(slot.loopEnd);
  stream.writeInt(rows);
  stream.writeInt(layers);
  stream.writeFloat(slot.maxFrequency);
  bool ok = !stream.failed();
  for (int r = 0; ok && r < rows; ++r)
    for (int l = 0; ok && l < layers; ++l)
      ok = writeHarmonicBlock(stream, slot.harmonics[r][l]) && writeNoiseBlock(stream, slot.noise[r][l]);
  return ok && !stream.failed();
}

std::int64_t voiceRecordSize(const VoiceSlot& slot) {
  // version, name, loopOn, loopStart, loopEnd, rowCount, layerCount, maxFrequency
  std::int64_t size = kWord + static_cast<std::int64_t>(nameLength(slot)) + 1 + 6 * kWord;
  const int rows = storedRows(slot);
  const int layers = storedLayers(slot);
  for (int r = 0; r < rows; ++r)
    for (int l = 0; l < layers; ++l) size += harmonicBlockSize(slot.harmonics[r][l]) + noiseBlockSize(slot.noise[r][l]);
  return size;
}

}  // namespace vt
