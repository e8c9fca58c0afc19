#include "engine/voice_slot.h"

#include "engine/sine_table.h"

namespace vt {

namespace {

constexpr float kMarkerSearchStep = 0.001f;  // seconds between loop-point candidates
// Loop-point candidates examined at most; a longer sound is searched at a
// coarser step so that a hand-made file with huge times cannot stall a load.
constexpr int kMaxMarkerSearchSteps = 100000;
constexpr float kLoopEndOffset = 0.0001f;  // the loop-end marker sits just after the loop end
constexpr float kLoopMargin = 0.2f;        // seconds kept between the loop and the shortest sound's end

}  // namespace

VoiceSlot::VoiceSlot() {
  sine = SineTable::acquire();
  envelope.add(0.0f, 1.0f);
  envelope.add(kEnvelopeHoldTime, 1.0f);
}

VoiceSlot::~VoiceSlot() {
  if (sine) SineTable::release();
}

bool VoiceSlot::valid() const {
  if (!sine || envelope.capacity() == 0 || markers.capacity() == 0) return false;
  // The key caches are made by prepare() for the rows in use.
  for (int r = 0; r < kRows; ++r) {
    for (int l = 0; l < kLayers; ++l)
      if (!harmonics[r][l].valid() || !noise[r][l].valid()) return false;
  }
  return true;
}

int VoiceSlot::rowsInUse() const {
  const int rows = rowCount;
  return rows < 1 ? 1 : (rows > kRows ? kRows : rows);
}

int VoiceSlot::layersInUse() const { return layerCount < 1 ? 1 : (layerCount > kLayers ? kLayers : layerCount); }

void VoiceSlot::reset() {
  for (int r = 0; r < kRows; ++r) {
    for (int l = 0; l < kLayers; ++l) {
      harmonics[r][l].reset();
      noise[r][l].reset();
    }
    keyCache[r].clear();
  }
}

void VoiceSlot::prepare() {
  const int rows = rowsInUse();
  for (int r = 0; r < rows; ++r) {
    for (int l = 0; l < kLayers; ++l) {
      harmonics[r][l].prepare();
      noise[r][l].prepare();
    }
  }
  for (int r = 0; r < kRows; ++r) {
    if (r >= rows) {
      keyCache[r].clear();
      continue;
    }
    const int next = r + 1 < rows ? r + 1 : rows - 1;
    keyCache[r].build(harmonics[r][0], harmonics[next][0], harmonics[r][1], harmonics[next][1]);
  }
  rebuildMarkers();
  preparedRows = rows;
}

bool VoiceSlot::hasEnded(float t) const {
  const float position = timeStretch > 0.0f ? t / timeStretch : t;
  const int rows = rowsInUse();
  const int layers = layersInUse();
  for (int r = 0; r < rows; ++r)
    for (int l = 0; l < layers; ++l)
      if (!harmonics[r][l].hasEnded(position)) return false;
  return true;
}

float VoiceSlot::soundDuration() const {
  const int rows = rowsInUse();
  const int layers = layersInUse();
  float longest = 0.0f;
  for (int r = 0; r < rows; ++r) {
    for (int l = 0; l < layers; ++l) {
      const float h = harmonics[r][l].duration;
      if (h > longest) longest = h;
      const NoiseSet& n = noise[r][l];
      if (n.count > 0 && n.times[n.count - 1] > longest) longest = n.times[n.count - 1];
    }
  }
  return longest;
}

float VoiceSlot::endTime() const { return soundDuration() * (timeStretch > 0.0f ? timeStretch : 1.0f); }

void VoiceSlot::limitLoopToSound() {
  float shortest = -1.0f;
  const int rows = rowsInUse();
  const int layers = layersInUse();
  for (int r = 0; r < rows; ++r) {
    for (int l = 0; l < layers; ++l) {
      const float d = harmonics[r][l].duration;
      if (d > 0.0f && (shortest < 0.0f || d < shortest)) shortest = d;
    }
  }
  if (!(loopEnd >= 0.0f)) loopEnd = 0.0f;
  if (shortest > 0.0f && loopEnd > shortest) loopEnd = shortest;
  if (!(loopStart >= 0.0f)) loopStart = 0.0f;
  if (loopStart > loopEnd) loopStart = loopEnd;
}

void VoiceSlot::setEnvelope(float attack, float stretch, float release) {
  if (!(attack > 0.0f)) attack = kMinimumAttack;
  // Parameter writes may come while a note-on copies the template: when the
  // template already has its three-point shape only the attack point moves,
  // so a reader never meets a half-built curve.
  const bool shaped = envelope.count() == 3 && envelope.x(0) == 0.0f && envelope.y(0) == 0.0f &&
                      envelope.y(1) == 1.0f && envelope.x(2) == kEnvelopeHoldTime && envelope.y(2) == 1.0f;
  if (shaped && attack < kEnvelopeHoldTime) {
    envelope.movePoint(1, attack, 0);
  } else {
    envelope.reset();
    envelope.add(0.0f, 0.0f);
    envelope.add(attack, 1.0f);
    envelope.add(kEnvelopeHoldTime, 1.0f);
  }
  timeStretch = stretch;
  releaseTime = release;
}

void VoiceSlot::setSampleRate(float rate) {
  for (int r = 0; r < kRows; ++r) {
    for (int l = 0; l < kLayers; ++l) {
      harmonics[r][l].sampleRate = rate;
      noise[r][l].setSampleRate(rate);
    }
  }
}

void VoiceSlot::rebuildMarkers() {
  const int rows = rowsInUse();
  const int layers = layersInUse();
  BreakpointCurve& total = harmonics[rows / 2][1].total;

  float longest = total.lastTime();
  float shortest = -1.0f;
  for (int r = 0; r < rows; ++r) {
    for (int l = 0; l < layers; ++l) {
      const float d = harmonics[r][l].duration;
      if (d > longest) longest = d;
      if (d > 0.0f && (shortest < 0.0f || d < shortest)) shortest = d;
    }
  }
  if (shortest < 0.0f) shortest = longest;  // no set has any length

  // The attack point: the loudest moment, or a third of the shortest sound when that comes earlier.
  float attack = 0.0f;
  float peak = 0.0f;
  for (int i = 0; i < total.count(); ++i) {
    if (i == 0 || total.y(i) > peak) {
      peak = total.y(i);
      attack = total.x(i);
    }
  }
  if (shortest / 3.0f < attack) {
    attack = shortest / 3.0f;
    peak = total.evaluate(attack);
  }

  markers.reset();
  markers.add(0.0f, 0.0f);
  markers.add(attack, peak);
  markers.add(longest, 0.0f);

  bool useMidpoint = false;
  if (loopStart <= attack || loopEnd >= longest) {
    // The loop goes where the sound last stands above half its attack level.
    double step = kMarkerSearchStep;
    const double span = static_cast<double>(longest) - attack;
    if (span / step > kMaxMarkerSearchSteps) step = span / kMaxMarkerSearchSteps;
    bool found = false;
    for (int i = 0; i <= kMaxMarkerSearchSteps; ++i) {
      const double t = longest - i * step;
      if (!(t > attack)) break;
      if (total.evaluate(static_cast<float>(t)) > peak * 0.5f) {
        loopStart = static_cast<float>(t);
        loopEnd = loopStart;
        found = true;
        break;
      }
    }
    useMidpoint = !found;
  }
  if (shortest < loopEnd) {
    const float fitted = attack > shortest - kLoopMargin ? (shortest + attack) * 0.5f : shortest - kLoopMargin;
    loopStart = fitted;
    loopEnd = fitted;
  }
  limitLoopToSound();
  const float midpoint = (attack + longest) * 0.5f;
  const float markStart = useMidpoint ? midpoint : loopStart;
  const float markEnd = useMidpoint ? midpoint : loopEnd;
  markers.add(markStart, total.evaluate(markStart));
  markers.add(markEnd + kLoopEndOffset, total.evaluate(markEnd));
}

}  // namespace vt
