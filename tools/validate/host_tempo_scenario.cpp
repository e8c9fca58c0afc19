// Two instances in one process with the host tempo given through the time
// info of the host callback, once with the transport stopped and once
// running, the tempo changing half-way. Each instance must follow it.
//
// The observable works for any module: the tempo-related parameters (by
// name: delay, echo, sync, LFO, tempo, rate) are set to random values until
// a render at the host's tempo differs clearly from one at 120 BPM (the same
// instance state rendered twice at 120 BPM gives the noise floor). Then two
// instances play side by side, block by block, and each must sound like the
// single instance that followed the host's tempo, not like the 120 BPM one.
// Where no such state is found, each instance must at least ask for the time
// info while it plays. A single instance must also play the same when given
// the same tempo changes twice.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "tools/validate/scenario_support.h"

namespace vt::validate {

namespace {

constexpr double kRenderSeconds = 2.5;
constexpr double kHeldSeconds = 0.4;
constexpr double kDefaultTempo = 120.0;
constexpr int kProbeAttempts = 6;
// The tempo effect must stand this far above the noise floor to be observable.
constexpr double kObservableFactor = 10.0;
// An instance follows when its distance to the host-tempo render is at most
// this part of the tempo effect (one that ignores the tempo sits at 100 %;
// the margin leaves room for a module that applies a change a few blocks
// later in one instance than in another).
constexpr double kFollowTolerance = 0.25;

using ParameterWrites = std::vector<std::pair<int, float>>;

struct TempoPlan {
  double first = 0.0;   // tempo in the first half
  double second = 0.0;  // tempo in the second half
  bool playing = true;
  int blockSize = 256;
};

struct Run {
  InstanceUnderTest instance;
  std::vector<float> output;  // all channels of each block, one after another
};

bool lowerContains(const std::string& text, const char* word) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(word) != std::string::npos;
}

bool tempoRelated(const std::string& name) {
  static const char* const kWords[] = {"delay", "echo", "sync", "lfo", "tempo", "rate", "beat"};
  for (const char* word : kWords)
    if (lowerContains(name, word)) return true;
  return false;
}

// Random values for the tempo-related parameters; switches named "...On" are turned on.
ParameterWrites randomTempoState(const std::vector<std::pair<int, std::string>>& related, ValidatorRandom& random) {
  ParameterWrites writes;
  for (const auto& [index, name] : related) {
    const bool isSwitch = name.size() > 2 && name.compare(name.size() - 2, 2, "On") == 0;
    writes.emplace_back(index, isSwitch ? 1.0f : static_cast<float>(random.uniform(0.2, 1.0)));
  }
  return writes;
}

bool start(RoundContext& context, Run& run, const ParameterWrites& state, const TempoPlan& plan) {
  if (!openInstance(context, run.instance, kDefaultRate, plan.blockSize)) return false;
  for (const auto& [index, value] : state) run.instance.setParameter(index, value);
  run.instance.setPlaying(plan.playing);
  run.instance.setTempo(plan.first);
  run.instance.resume();
  run.output.clear();
  return true;
}

// Block 'blockIndex' of the shared score: a chord at the start, released after kHeldSeconds.
void step(Run& run, const TempoPlan& plan, int blockIndex, int blockCount) {
  static const int kChord[] = {48, 55, 60, 64, 67};
  const int releaseBlock = static_cast<int>(kHeldSeconds * kDefaultRate) / plan.blockSize;
  MidiEventList list;
  for (int key : kChord) {
    if (blockIndex == 0) list.noteOn(0, 0, key, 100);
    if (blockIndex == releaseBlock) list.noteOff(0, 0, key);
  }
  run.instance.setTempo(blockIndex < blockCount / 2 ? plan.first : plan.second);
  run.instance.render(plan.blockSize, list.events());
  for (int c = 0; c < run.instance.outputCount(); ++c)
    run.output.insert(run.output.end(), run.instance.output(c), run.instance.output(c) + plan.blockSize);
}

int blockCount(const TempoPlan& plan) {
  return static_cast<int>(framesIn(kRenderSeconds, kDefaultRate) / plan.blockSize);
}

// One instance alone, start to end; its output.
bool renderAlone(RoundContext& context, const ParameterWrites& state, const TempoPlan& plan,
                 std::vector<float>& output) {
  Run run;
  if (!start(context, run, state, plan)) return false;
  const int blocks = blockCount(plan);
  for (int b = 0; b < blocks; ++b) step(run, plan, b, blocks);
  output = std::move(run.output);
  return true;
}

double distance(const std::vector<float>& a, const std::vector<float>& b) {
  const std::size_t n = std::min(a.size(), b.size());
  if (n == 0) return 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    sum += std::isfinite(d) ? d * d : 1e30;
  }
  return std::sqrt(sum / static_cast<double>(n));
}

const char* transportName(const TempoPlan& plan) { return plan.playing ? "transport running" : "transport stopped"; }

// The two-instance check for one transport state. 'observed' is false when no
// state with an audible tempo effect was found (then time requests are checked).
bool checkPair(RoundContext& context, const std::vector<std::pair<int, std::string>>& related, TempoPlan plan,
               std::string& note) {
  ValidatorRandom& random = context.random;
  ParameterWrites state;
  std::vector<float> reference, followed;
  double floor = 0.0, effect = 0.0;
  bool observable = false;
  for (int attempt = 0; attempt < kProbeAttempts && !related.empty() && !observable; ++attempt) {
    state = randomTempoState(related, random);
    TempoPlan fixed = plan;
    fixed.first = fixed.second = kDefaultTempo;
    std::vector<float> again;
    if (!renderAlone(context, state, fixed, reference) || !renderAlone(context, state, fixed, again) ||
        !renderAlone(context, state, plan, followed))
      return false;
    floor = distance(reference, again);
    effect = distance(reference, followed);
    observable = effect > kObservableFactor * floor && effect > 1e-6;
  }

  char text[320];
  if (observable) {
    // A single instance given the same tempo changes twice must play the
    // same: otherwise the pair below is compared against a moving target
    // (a module whose tempo handling depends on thread timing fails here).
    std::vector<float> followedAgain;
    if (!renderAlone(context, state, plan, followedAgain)) return false;
    const double spread = distance(followed, followedAgain);
    if (spread > kFollowTolerance * effect + 2.0 * floor) {
      std::snprintf(text, sizeof(text),
                    "%s, host tempo %.0f then %.0f BPM: two single instances given the same input differ by "
                    "%.0f%% of the tempo effect",
                    transportName(plan), plan.first, plan.second, 100.0 * spread / effect);
      context.failure = text;
      return false;
    }
  }

  Run pair[2];
  for (Run& run : pair)
    if (!start(context, run, observable ? state : ParameterWrites{}, plan)) return false;
  const int blocks = blockCount(plan);
  int requestsBefore[2] = {pair[0].instance.pluginHost().timeRequests, pair[1].instance.pluginHost().timeRequests};
  for (int b = 0; b < blocks; ++b)
    for (Run& run : pair) step(run, plan, b, blocks);

  for (int i = 0; i < 2; ++i) {
    const int requests = pair[i].instance.pluginHost().timeRequests - requestsBefore[i];
    if (!observable) {
      if (requests == 0) {
        std::snprintf(text, sizeof(text), "%s: instance %d of 2 never asked the host for the time info",
                      transportName(plan), i + 1);
        context.failure = text;
        return false;
      }
      continue;
    }
    const double toFollowed = distance(pair[i].output, followed);
    const double toDefault = distance(pair[i].output, reference);
    if (toFollowed > kFollowTolerance * effect + 2.0 * floor) {
      std::snprintf(text, sizeof(text),
                    "%s, host tempo %.0f then %.0f BPM: instance %d of 2 does not follow it (distance to a "
                    "single instance following the tempo %.0f%% of the tempo effect, to one at 120 BPM %.0f%%; "
                    "%d time requests)",
                    transportName(plan), plan.first, plan.second, i + 1, 100.0 * toFollowed / effect,
                    100.0 * toDefault / effect, requests);
      context.failure = text;
      return false;
    }
  }
  note += std::string(note.empty() ? "" : ", ") + transportName(plan) +
          (observable ? ": both follow the tempo audibly" : ": no audible tempo effect found, both ask for time info");
  return true;
}

}  // namespace

bool hostTempoRound(RoundContext& context) {
  ValidatorRandom& random = context.random;
  std::vector<std::pair<int, std::string>> related;
  {
    InstanceUnderTest probe;
    if (!openInstance(context, probe, kDefaultRate, 512)) return false;
    for (int i = 0; i < probe.parameterCount(); ++i) {
      std::string name = probe.parameterName(i);
      if (tempoRelated(name)) related.emplace_back(i, std::move(name));
    }
  }
  static const int kBlocks[] = {64, 128, 256, 512};
  TempoPlan plan;
  plan.blockSize = kBlocks[random.below(4)];
  // Tempos well away from 120 BPM and from each other.
  plan.first = random.chance(0.5) ? random.uniform(60.0, 95.0) : random.uniform(145.0, 190.0);
  plan.second = plan.first < kDefaultTempo ? random.uniform(145.0, 190.0) : random.uniform(60.0, 95.0);
  std::string note;
  for (bool playing : {false, true}) {
    plan.playing = playing;
    if (!checkPair(context, related, plan, note)) return false;
  }
  context.note = note;
  return true;
}

}  // namespace vt::validate
