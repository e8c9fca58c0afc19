// Writing the reduced analysis as one harmonic block followed by one noise
// block, the layer layout the voice loader reads.
#pragma once

#include "analysis/real_matrix.h"

namespace vt {
class ByteStream;
}

namespace vt::analysis {

// f0 in Hz; 'frequency' and 'amplitude' as reduceHarmonics gives them (65
// rows, times in row 1), 'noise' as reduceNoise gives it. A harmonic gets the
// full breakpoint list when it sounds at some breakpoint but the last (the
// first harmonic always does), else an empty one; frequencies are written as
// ratios to f0 (0 without a root frequency). Empty harmonic tables give empty
// lists, an empty noise table no noise frames. False when the stream refuses
// a write.
bool writeVoiceData(ByteStream& stream, double f0, const RealMatrix& frequency, const RealMatrix& amplitude,
                    const RealMatrix& noise);

// The number of breakpoints harmonic h (1-based) is written with.
int writtenBreakpointCount(const RealMatrix& amplitude, int h);

}  // namespace vt::analysis
