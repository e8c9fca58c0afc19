#include "files/engine_loader.h"

#include "engine/pending_load.h"
#include "engine/staged_load.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot_content.h"
#include "files/byte_stream.h"
#include "files/harmonic_block.h"
#include "files/instrument_record.h"
#include "files/noise_block.h"
#include "files/voice_record.h"

namespace vt {

namespace {

enum BlockKind { HarmonicBlockOnly, NoiseBlockOnly, HarmonicThenNoise };

bool isSlot(int slot) { return slot >= 0 && slot < kNumSlots; }
bool isLayer(int row, int layer) {
  return row >= 0 && row < VoiceSlot::kRows && layer >= 0 && layer < VoiceSlot::kLayers;
}

bool readBlocks(SynthEngine& engine, int slot, int row, int layer, ByteStream& stream, BlockKind kind) {
  if (!isSlot(slot) || !isLayer(row, layer)) return false;
  StagedLoad load(engine, 1u << slot);
  if (!load) return false;
  VoiceSlot& staged = load->stagedSlot(slot);
  // The staged slot starts as a copy of the live one (unless it already holds
  // newer content not yet adopted, or is the live slot); only the chosen layer is read anew.
  if (load->slotChange[slot] != PendingLoad::ReplaceContent) engine.copyLiveSlot(staged, slot);
  bool ok = true;
  if (kind != NoiseBlockOnly) ok = readHarmonicBlock(stream, staged.harmonics[row][layer]);
  if (ok && kind != HarmonicBlockOnly) ok = readNoiseBlock(stream, staged.noise[row][layer]);
  staged.prepare();
  load->noteSlotChange(slot, PendingLoad::ReplaceContent, 0);
  return ok;
}

bool loadBlockFile(SynthEngine& engine, int slot, int row, int layer, const char* path, BlockKind kind) {
  if (!isSlot(slot) || !isLayer(row, layer)) return false;
  ByteStream stream;
  if (!stream.openFileForReading(path)) return false;
  const bool ok = readBlocks(engine, slot, row, layer, stream, kind);
  stream.close();
  return ok;
}

}  // namespace

bool readInstrumentInto(SynthEngine& engine, ByteStream& stream) {
  StagedLoad load(engine);
  if (!load) return false;
  return readInstrumentRecord(stream, *load);
}

bool loadInstrumentFile(SynthEngine& engine, const char* path) {
  ByteStream stream;
  if (!stream.openFileForReading(path)) return false;
  const bool ok = readInstrumentInto(engine, stream);
  stream.close();
  return ok;
}

bool readVoiceInto(SynthEngine& engine, int slot, ByteStream& stream) {
  if (!isSlot(slot)) return false;
  StagedLoad load(engine, 1u << slot);
  if (!load) return false;
  VoiceReadProgress progress;
  const bool ok = readVoiceRecord(stream, load->stagedSlot(slot), &progress);
  noteVoiceRead(*load, slot, progress);
  return ok;
}

bool loadVoiceFile(SynthEngine& engine, int slot, const char* path) {
  if (!isSlot(slot)) return false;
  ByteStream stream;
  if (!stream.openFileForReading(path)) return false;
  const bool ok = readVoiceInto(engine, slot, stream);
  stream.close();
  return ok;
}

bool loadHarmonicBlockFile(SynthEngine& engine, int slot, int row, int layer, const char* path) {
  return loadBlockFile(engine, slot, row, layer, path, HarmonicBlockOnly);
}

bool loadNoiseBlockFile(SynthEngine& engine, int slot, int row, int layer, const char* path) {
  return loadBlockFile(engine, slot, row, layer, path, NoiseBlockOnly);
}

bool readLayerBlocks(SynthEngine& engine, int slot, int row, int layer, ByteStream& stream) {
  return readBlocks(engine, slot, row, layer, stream, HarmonicThenNoise);
}

}  // namespace vt
