// Importing a sound file for analysis: the file is read once, front to back,
// mixed to mono, cut at its leading run of equal values and its quiet tail,
// normalised to a peak of 1 and limited to 12 seconds. Only the samples that
// survive the length limit are held, so a long recording never has to fit in
// memory; the block is the one that reading the whole file and then running
// trimSilence, normalizePeak and limitLength on it would give.
#pragma once

#include "analysis/imported_audio.h"
#include "analysis/sound_file_reader.h"

namespace vt::analysis {

constexpr int kMinImportRate = 1000;    // Hz; other rates count as unreadable
constexpr int kMaxImportRate = 768000;  // Hz

// Reads 'path' with the platform's reader into 'audio', ready for analysis.
// False when the file cannot be opened, is not an accepted WAVE or AIFF file,
// has a sample rate outside 1-768 kHz, or a read fails; 'audio' is then empty.
// A file without samples gives an empty block and true.
bool importAudioFile(const char* path, ImportedAudio& audio);

// The same with a given reader (closed again before returning).
bool importAudioFile(SoundFileReader& reader, const char* path, ImportedAudio& audio);

// The same from a reader that already has a file open (left open).
bool importOpenedAudio(SoundFileReader& reader, ImportedAudio& audio);

}  // namespace vt::analysis
