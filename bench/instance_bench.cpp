// What one instance costs and how long the audio thread can be held up.
//
// Memory: bytes the module allocates for one instance at 44.1 kHz with the
// startup instrument loaded (counted through operator new, so the figure is
// the same for the 32-bit DLL, where pointers are smaller still).
// Creation: time from the entry point to a resumed instance whose startup
// instrument has been adopted, as the median of many creations (wall time and
// the process's processor time, which other work on a shared machine disturbs
// less). Stalls: the longest extra time a block takes
// because of a single parameter write, a host tempo change or the adoption of
// a loaded instrument, at 192 kHz (where the effect lines are longest).
// Targets: <= 40 MB per instance, <= 20 ms creation, <= 0.1 ms stall.
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "vst2/aeffect.h"

// ---- allocation counting -------------------------------------------------
namespace {

std::atomic<long long> liveBytes{0};
std::atomic<long long> allocations{0};
constexpr std::size_t kHeader = 16;  // keeps the returned block 16-byte aligned

void* countedAllocate(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) return nullptr;
  *static_cast<std::size_t*>(block) = size;
  liveBytes += static_cast<long long>(size);
  ++allocations;
  return static_cast<char*>(block) + kHeader;
}

void countedFree(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  liveBytes -= static_cast<long long>(*static_cast<std::size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
  void* p = countedAllocate(size);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return countedAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return countedAllocate(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { countedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { countedFree(p); }

// ---- the module as a host sees it ----------------------------------------
namespace {

using Clock = std::chrono::steady_clock;
using Entry = vst2::AEffect* (*)(vst2::HostCallback);

constexpr float kRate = 44100.0f;
constexpr float kStallRate = 192000.0f;
constexpr int kStallBlock = 64;
constexpr int kRepeats = 9;
constexpr int kCreations = 31;
const std::string kStartupInstrument =
    std::string(VT7000_OUTPUT_DIR) + "/Veltrane7000Data/Instruments-Factory/Basses/Finger Bass.v7i";

vst2::IntPtr VST_CALLBACK host(vst2::AEffect*, vst2::Int32 opcode, vst2::Int32, vst2::IntPtr, void*, float) {
  return opcode == vst2::audioMasterVersion ? 2400 : 0;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the whole process (every thread), in milliseconds.
double processMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

struct Times {
  double bestMs = 0.0, medianMs = 0.0, cpuMedianMs = 0.0;
};

vst2::AEffect* createResumed(Entry entry) {
  vst2::AEffect* effect = entry(host);
  if (!effect) return nullptr;
  effect->dispatcher(effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, vst2::effSetSampleRate, 0, 0, nullptr, kRate);
  effect->dispatcher(effect, vst2::effSetBlockSize, 0, 512, nullptr, 0.0f);
  effect->dispatcher(effect, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);
  return effect;
}

void close(vst2::AEffect* effect) { effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f); }

bool measureInstances(double* megabytes, Times* creation) {
  void* module = dlopen(VT7000_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    std::printf("cannot load %s: %s\n", VT7000_MODULE_PATH, dlerror());
    return false;
  }
  auto entry = reinterpret_cast<Entry>(dlsym(module, "VSTPluginMain"));
  if (!entry) return false;
  // One instance first, so that tables shared by all instances are counted once
  // and not charged to the instances measured.
  vst2::AEffect* first = createResumed(entry);
  if (!first) return false;
  constexpr int kInstances = 4;
  const long long before = liveBytes;
  std::vector<vst2::AEffect*> instances;
  for (int i = 0; i < kInstances; ++i) instances.push_back(createResumed(entry));
  *megabytes = static_cast<double>(liveBytes - before) / kInstances / (1024.0 * 1024.0);  // MiB
  for (vst2::AEffect* e : instances)
    if (e) close(e);

  std::vector<double> times, cpuTimes;
  for (int i = 0; i < kCreations; ++i) {
    const double cpuStart = processMilliseconds();
    const auto start = Clock::now();
    vst2::AEffect* effect = createResumed(entry);
    times.push_back(millisecondsSince(start));
    cpuTimes.push_back(processMilliseconds() - cpuStart);
    if (effect) close(effect);
  }
  std::sort(times.begin(), times.end());
  std::sort(cpuTimes.begin(), cpuTimes.end());
  creation->bestMs = times.front();
  creation->medianMs = times[times.size() / 2];
  creation->cpuMedianMs = cpuTimes[cpuTimes.size() / 2];
  close(first);
  return true;
}

// ---- stalls --------------------------------------------------------------
struct Stall {
  double microseconds = 0.0;
  std::string what;
};

struct StallProbe {
  vt::SynthEngine engine;
  std::vector<float> left = std::vector<float>(kStallBlock), right = std::vector<float>(kStallBlock);

  double block() {
    const auto start = Clock::now();
    engine.render(left.data(), right.data(), kStallBlock);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  }
  // The quickest of several plain blocks.
  double baseline() {
    double best = 1e9;
    for (int i = 0; i < kRepeats; ++i) best = std::min(best, block());
    return best;
  }
};

void consider(Stall& worst, double extra, const std::string& what) {
  if (extra > worst.microseconds) {
    worst.microseconds = extra;
    worst.what = what;
  }
}

Stall measureStalls() {
  StallProbe probe;
  vt::SynthEngine& engine = probe.engine;
  engine.setSampleRate(kStallRate);
  vt::loadInstrumentFile(engine, kStartupInstrument.c_str());
  for (int i : {vt::DelayOn, vt::ReverbOn, vt::ChorusOn, vt::FilterOn, vt::DistortionOn}) engine.setParameter(i, 1.0f);
  engine.resume();
  const std::uint8_t on[3] = {0x90, 48, 100};
  engine.queueMessage(on, 3, 0);
  for (int i = 0; i < 50; ++i) probe.block();  // the delay lines fill, the note sounds

  Stall worst;
  const double plain = probe.baseline();
  // Every host parameter, each to a few values: the quickest block of several
  // that apply the write, against the quickest plain block.
  const float values[] = {0.0f, 1.0f, 0.37f, 0.81f};
  for (int index = 0; index < vt::kNumHostParameters; ++index) {
    for (float value : values) {
      double best = 1e9;
      for (int r = 0; r < kRepeats; ++r) {
        engine.setParameter(index, r % 2 ? value : 1.0f - value);
        best = std::min(best, probe.block());
      }
      consider(worst, best - plain, "parameter " + std::to_string(index));
    }
  }
  // Host tempo changes (the delay follows the tempo).
  {
    double best = 1e9;
    for (int r = 0; r < kRepeats; ++r) {
      const auto start = Clock::now();
      engine.setTransport(r % 2 ? 97.0f : 131.0f, 4.0f * r);
      best = std::min(best, std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    consider(worst, best, "tempo change");
  }
  // Adoption of the startup instrument, loaded while the engine renders.
  {
    double best = 1e9;
    for (int r = 0; r < kRepeats; ++r) {
      vt::loadInstrumentFile(engine, kStartupInstrument.c_str());
      best = std::min(best, probe.block());
    }
    consider(worst, best - plain, "instrument adoption");
  }
  return worst;
}

}  // namespace

int main() {
  double megabytes = 0.0;
  Times creation;
  if (!measureInstances(&megabytes, &creation)) return 1;
  const Stall stall = measureStalls();
  std::printf("Instances at %.1f kHz with the startup instrument:\n", kRate / 1000.0f);
  std::printf("  memory allocated per instance     %6.1f MB (%.1f MiB)   (target <= 40 MB)\n", megabytes * 1.048576,
              megabytes);
  std::printf(
      "  creation, main to resumed         %6.1f ms median, %.1f ms best, %.1f ms processor time median"
      "   (target <= 20)\n",
      creation.medianMs, creation.bestMs, creation.cpuMedianMs);
  std::printf("Audio-thread stalls at %.0f kHz, %d-frame blocks:\n", kStallRate / 1000.0f, kStallBlock);
  std::printf("  longest single write/tempo/adoption %6.3f ms (%s)   (target <= 0.1)\n", stall.microseconds / 1000.0,
              stall.what.c_str());
  return 0;
}
