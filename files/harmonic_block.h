// The harmonic block: one HarmonicSet on a byte stream. baseFrequency, then
// the 64 amplitude curves, then the 64 frequency curves (harmonics 1..64).
// It is a file of its own ("v7h") and part of every layer of a voice record.
#pragma once

namespace vt {

class ByteStream;
class HarmonicSet;

// Reads and validates while reading: values are limited (files/file_value_limits.h),
// a curve that shares harmonic 1's time axis is cut to that axis's length,
// every amplitude curve ends at 0, every ratio of harmonic k outside
// [k - 1, k + 1] becomes k with its amplitude 0, and the duration is recomputed. False at the first element that fails
// (a curve count outside 0..128 or a read past the end); what was read stays.
bool readHarmonicBlock(ByteStream& stream, HarmonicSet& set);

// False when the stream refuses a write (the block does not fit).
bool writeHarmonicBlock(ByteStream& stream, const HarmonicSet& set);

}  // namespace vt
