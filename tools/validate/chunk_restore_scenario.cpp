// Chunk save and restore while the audio thread plays, as a host does when
// the project is saved or a preset is recalled during playback: restoring an
// instance's own chunk changes nothing (the bytes and every parameter stay
// equal), and restoring another instance's chunk gives exactly that
// instance's bytes and parameters, before and after the audio thread has
// rendered on.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "tools/validate/scenario_support.h"

namespace vt::validate {

namespace {

constexpr double kPlaySliceSeconds = 0.05;
constexpr int kMaxPlaySlices = 200;  // at most 10 s, whatever the main thread does

std::string firstByteDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return "first difference at byte " + std::to_string(i) + " of " + std::to_string(a.size());
  return "";
}

// Compares a restored instance's chunk and parameters with what they should be.
bool sameState(InstanceUnderTest& instance, const std::vector<std::uint8_t>& bytes, const std::vector<float>& values,
               const char* what, std::string& failure) {
  const std::vector<std::uint8_t> now = instance.chunk();
  if (now != bytes) {
    failure = std::string(what) + ": the chunk differs (" + firstByteDifference(bytes, now) + ")";
    return false;
  }
  int index = -1;
  const std::vector<float> parameters = instance.parameters();
  if (!sameParameters(values, parameters, index)) {
    char text[200];
    std::snprintf(
        text, sizeof(text), "%s: parameter %d (%s) is %.9g, expected %.9g", what, index,
        instance.parameterName(index).c_str(),
        index < static_cast<int>(parameters.size()) ? static_cast<double>(parameters[static_cast<std::size_t>(index)])
                                                    : 0.0,
        index < static_cast<int>(values.size()) ? static_cast<double>(values[static_cast<std::size_t>(index)]) : 0.0);
    failure = text;
    return false;
  }
  return true;
}

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

}  // namespace

bool chunkRestoreRound(RoundContext& context) {
  ValidatorRandom& random = context.random;
  const int block = random.between(32, 1024);

  // Another state, made on an idle instance: random legal values, then one
  // round trip through the chunk so that what the format keeps is what counts.
  InstanceUnderTest source;
  if (!openInstance(context, source, kDefaultRate, block)) return false;
  if (!(source.effect()->flags & vst2::effFlagsProgramChunks)) {
    context.note = "the module keeps no chunk (effFlagsProgramChunks not set): nothing to check";
    return true;
  }
  for (int i = 0; i < source.parameterCount(); ++i)
    if (random.chance(0.5)) source.setParameter(i, static_cast<float>(random.uniform()));
  const std::vector<std::uint8_t> other = source.chunk();
  if (other.empty()) {
    context.failure = "effGetChunk hands out nothing though the descriptor declares chunks";
    return false;
  }
  source.restoreChunk(other);
  const std::vector<float> otherValues = source.parameters();
  if (!sameState(source, other, otherValues, "an idle instance restored from its own chunk", context.failure))
    return false;

  InstanceUnderTest player;
  if (!openInstance(context, player, kDefaultRate, block)) return false;
  player.resume();
  std::atomic<bool> stop{false};
  std::atomic<int> slices{0};
  SignalStats stats;
  ValidatorRandom playRandom(static_cast<std::uint32_t>(random.uniform() * 4294967295.0));
  std::thread audio([&] {
    while (!stop.load() && slices.load() < kMaxPlaySlices) {
      playRandomly(player, playRandom, kPlaySliceSeconds, block, stats);
      slices.fetch_add(1);
    }
  });

  bool ok = true;
  pause(0.05);
  {
    const std::vector<std::uint8_t> own = player.chunk();
    const std::vector<float> ownValues = player.parameters();
    if (own.empty()) {
      context.failure = "effGetChunk hands out nothing while playing";
      ok = false;
    } else {
      player.restoreChunk(own);
      ok = sameState(player, own, ownValues, "its own chunk restored while playing", context.failure);
    }
  }
  if (ok) {
    player.restoreChunk(other);
    ok = sameState(player, other, otherValues, "another instance's chunk restored while playing, at once",
                   context.failure);
  }
  if (ok) {
    // A few more slices: whatever the audio thread adopts must not change the state.
    const int seen = slices.load();
    while (slices.load() < seen + 3 && slices.load() < kMaxPlaySlices) pause(0.005);
    ok = sameState(player, other, otherValues, "another instance's chunk restored while playing, after rendering on",
                   context.failure);
  }
  stop.store(true);
  audio.join();
  if (!ok) return false;
  const std::string bad = badOutput(stats, kDefaultRate);
  if (!bad.empty()) {
    context.failure = "playing through the restores: " + bad;
    return false;
  }
  context.note = "chunk of " + std::to_string(other.size()) + " bytes restored while playing";
  return true;
}

}  // namespace vt::validate
