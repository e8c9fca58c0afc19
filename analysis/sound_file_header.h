// The header of a RIFF/RIFX WAVE or AIFF file, found by walking its chunks
// with every size checked against the file: the sample format, where the
// sample data lies and the base notes of its instrument chunks.
#pragma once

#include <cstdint>

#include "analysis/byte_source.h"
#include "analysis/sound_file_reader.h"

namespace vt::analysis {

enum class SampleEncoding { None, UnsignedInt, SignedInt, Float };

struct SoundFileHeader {
  SoundFileType type = SoundFileType::Unknown;
  bool bigEndian = false;  // byte order of the samples
  SampleEncoding encoding = SampleEncoding::None;
  int bytesPerSample = 0;  // 1..4 for integers, 4 or 8 for floats
  int channels = 0;
  int sampleRate = 0;
  std::uint64_t dataOffset = 0;  // first byte of the sample data
  std::int64_t frames = 0;       // whole frames present in the file
  int samplerNote = 0;           // WAVE smpl MIDI unity note 1..127, 0 when none
  int instrumentNote = 0;        // WAVE inst / AIFF INST base note 1..127, 0 when none

  int frameBytes() const { return bytesPerSample * channels; }
  int baseNote() const { return samplerNote != 0 ? samplerNote : instrumentNote; }
};

// Reads the header from 'source'. True when the file is a WAVE or AIFF file
// with an accepted sample format and a data chunk; false otherwise. The type
// and the notes met before a failure are kept, so a caller can tell AIFF-C
// from garbage and read instrument chunks of files another decoder handles.
bool parseSoundFileHeader(ByteSource& source, SoundFileHeader& header);

}  // namespace vt::analysis
