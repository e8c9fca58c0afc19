// The noise block: one NoiseSet on a byte stream. A frame count (0..64), then
// per frame its time and its spectrum curve. It is a file of its own ("v7n")
// and part of every layer of a voice record.
#pragma once

namespace vt {

class ByteStream;
class NoiseSet;

// Replaces the set's frames; every frame read is resampled into its bins at
// once. Frame times are kept finite, non-decreasing and within kMaxFileTime,
// spectra within kNoiseSpectrumLimits (files/file_value_limits.h). A frame
// count outside 0..64 is refused before anything changes; a failing frame
// ends the read with the frames before it kept.
bool readNoiseBlock(ByteStream& stream, NoiseSet& set);

// False when the stream refuses a write (the block does not fit).
bool writeNoiseBlock(ByteStream& stream, const NoiseSet& set);

}  // namespace vt
