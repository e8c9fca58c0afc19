#include "files/noise_block.h"

#include "engine/noise_set.h"
#include "files/byte_stream.h"
#include "files/file_value_limits.h"

namespace vt {

bool readNoiseBlock(ByteStream& stream, NoiseSet& set) {
  const int frameCount = stream.readInt();
  if (stream.failed() || frameCount < 0 || frameCount > NoiseSet::kMaxFrames || frameCount > set.capacity())
    return false;
  set.reset();
  for (int i = 0; i < frameCount; ++i) {
    const float storedTime = stream.readFloat();
    if (stream.failed()) return false;
    // Frame times stay finite, inside the longest sound and in order.
    const float previous = set.count > 0 ? set.times[set.count - 1] : 0.0f;
    const float time = limitFileValue(storedTime, previous, kMaxFileTime, previous);
    NoiseFrame& frame = set.frames[set.count];
    frame.reset();
    if (!stream.readBreakpointList(frame.spectrum, kNoiseSpectrumLimits)) return false;
    frame.resample();
    set.times[set.count] = time;
    ++set.count;
  }
  return true;
}

bool writeNoiseBlock(ByteStream& stream, const NoiseSet& set) {
  stream.writeInt(set.count);
  bool ok = !stream.failed();
  for (int i = 0; ok && i < set.count; ++i) {
    stream.writeFloat(set.times[i]);
    ok = !stream.failed() && stream.writeBreakpointList(set.frames[i].spectrum);
  }
  return ok;
}

}  // namespace vt
