#include "engine/voice_slot_content.h"

#include <cstring>
#include <utility>

namespace vt {

namespace {

void swapHarmonicSets(HarmonicSet& a, HarmonicSet& b) {
  // Curve by curve, owners and sharers alike, so each set keeps reading its own axis owner.
  for (int i = 0; i < HarmonicSet::kCurves; ++i) a.curve(i).swapWith(b.curve(i));
  a.total.swapWith(b.total);
  std::swap(a.baseFrequency, b.baseFrequency);
  std::swap(a.duration, b.duration);
}

void swapNoiseSets(NoiseSet& a, NoiseSet& b) {
  std::swap(a.frames, b.frames);
  std::swap(a.times, b.times);
  std::swap(a.count, b.count);
}

void copyPoints(BreakpointCurve& to, const BreakpointCurve& from) {
  to.assign(from.count(), from.xData(), from.yData());
}

void copyHarmonicSet(HarmonicSet& to, const HarmonicSet& from) {
  // Axis owners (index 0 of each half) come first in curve order, so sharers find their times in place.
  for (int i = 0; i < HarmonicSet::kCurves; ++i) copyPoints(to.curve(i), from.curve(i));
  copyPoints(to.total, from.total);
  to.baseFrequency = from.baseFrequency;
  to.duration = from.duration;
}

void copyNoiseSet(NoiseSet& to, const NoiseSet& from) {
  to.reset();
  const int n = from.count < to.capacity() ? from.count : to.capacity();
  for (int i = 0; i < n; ++i) {
    NoiseFrame& frame = to.frames[i];
    const NoiseFrame& source = from.frames[i];
    copyPoints(frame.spectrum, source.spectrum);
    std::memcpy(frame.bins, source.bins, sizeof(frame.bins));
    frame.silent = source.silent;
    to.times[i] = from.times[i];
  }
  to.count = n;
}

}  // namespace

void swapVoiceSlotContent(VoiceSlot& a, VoiceSlot& b) {
  if (&a == &b) return;
  std::swap(a.name, b.name);
  for (int r = 0; r < VoiceSlot::kRows; ++r) {
    for (int l = 0; l < VoiceSlot::kLayers; ++l) {
      swapHarmonicSets(a.harmonics[r][l], b.harmonics[r][l]);
      swapNoiseSets(a.noise[r][l], b.noise[r][l]);
    }
    a.keyCache[r].swapWith(b.keyCache[r]);
  }
  std::swap(a.loopOn, b.loopOn);
  std::swap(a.loopStart, b.loopStart);
  std::swap(a.loopEnd, b.loopEnd);
  std::swap(a.rowCount, b.rowCount);
  std::swap(a.preparedRows, b.preparedRows);
  std::swap(a.layerCount, b.layerCount);
  std::swap(a.maxFrequency, b.maxFrequency);
  a.markers.swapWith(b.markers);
}

void copyVoiceSlotContent(VoiceSlot& to, const VoiceSlot& from) {
  if (&to == &from) return;
  std::memcpy(to.name, from.name, sizeof(to.name));
  to.name[VoiceSlot::kNameSize - 1] = 0;
  for (int r = 0; r < VoiceSlot::kRows; ++r) {
    for (int l = 0; l < VoiceSlot::kLayers; ++l) {
      copyHarmonicSet(to.harmonics[r][l], from.harmonics[r][l]);
      copyNoiseSet(to.noise[r][l], from.noise[r][l]);
    }
  }
  to.loopOn = from.loopOn;
  to.loopStart = from.loopStart;
  to.loopEnd = from.loopEnd;
  to.rowCount = from.rowCount;
  to.preparedRows = from.preparedRows;
  to.layerCount = from.layerCount;
  to.maxFrequency = from.maxFrequency;
}

}  // namespace vt
