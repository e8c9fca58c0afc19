// Loading instruments, voices and blocks into the engine. Every load reads into
// the engine's staging area, beside the live sound, and the engine adopts the
// result between two render blocks; a record that fails half-way is adopted
// as far as it was read. A file that cannot be opened (missing, empty, 16 MB or
// larger) changes nothing. Call from any thread but the audio thread.
#pragma once

namespace vt {

class ByteStream;
class SynthEngine;

// An instrument record from a stream (a file's or the host chunk's).
bool readInstrumentInto(SynthEngine& engine, ByteStream& stream);
bool loadInstrumentFile(SynthEngine& engine, const char* path);

// A voice record into slot 0-3.
bool readVoiceInto(SynthEngine& engine, int slot, ByteStream& stream);
bool loadVoiceFile(SynthEngine& engine, int slot, const char* path);

// Blocks into one multisample (row 0-7) and layer (0-1) of a slot; the rest of
// the slot stays as it is and the slot is prepared again. readLayerBlocks reads
// a harmonic block and then a noise block, as the analysis hands them over.
bool loadHarmonicBlockFile(SynthEngine& engine, int slot, int row, int layer, const char* path);
bool loadNoiseBlockFile(SynthEngine& engine, int slot, int row, int layer, const char* path);
bool readLayerBlocks(SynthEngine& engine, int slot, int row, int layer, ByteStream& stream);

}  // namespace vt
