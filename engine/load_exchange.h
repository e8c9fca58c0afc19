// How a load reaches the engine without tearing what the audio thread plays.
//
// A loader (any thread but the audio thread) takes the staging area: a
// PendingLoad and, for the slots it will fill, spare voice slots allocated for
// this load only. It reads the new content into them, beside the live state,
// and publishes the PendingLoad; the call then returns. The render call adopts
// a published load at the start of its next block. A loader that comes while
// an earlier load is still unadopted takes that load back and adds to it, so
// a newer load replaces an older one without losing what the older one alone
// changed. While the engine is suspended the loader reads straight into the
// live slots instead and the engine adopts the rest at once (see SynthEngine).
//
// The render gate keeps a loader's own adoption (and any other work that needs
// the engine to itself) apart from a rendering block. The audio thread never
// waits and never allocates or frees: the spare slots, which hold the replaced
// content after an adoption, are freed by the next loader.
#pragma once

#include <atomic>

#include "engine/parameter_ids.h"

namespace vt {

class PendingLoad;
class VoiceSlot;

class LoadExchange {
public:
  LoadExchange();
  ~LoadExchange();

  LoadExchange(const LoadExchange&) = delete;
  LoadExchange& operator=(const LoadExchange&) = delete;

  // False when the load record could not be allocated.
  bool valid() const { return load != nullptr; }

  // Loader side. Waits until no other loader holds the staging area and returns
  // its load: the published load not yet adopted (taken back, with its
  // content), or an empty one. Null (and nothing held) without a load record.
  PendingLoad* acquire();
  // Gives the held load the slots it reads into: 'live' (four slots read in
  // place) or, when null, a spare slot for every slot in 'slotMask' (bit n for
  // slot n). False when a spare slot cannot be allocated.
  bool provideSlots(unsigned slotMask, VoiceSlot* live);
  // Gives the staging area back (after publishing, adopting or abandoning the load).
  void release();
  PendingLoad* stagedLoad() const { return held ? load : nullptr; }
  // True while the held load was taken back from an earlier publication.
  bool heldLoadWasPublished() const { return reclaimed; }

  // Makes the held load visible to the render call.
  void publish() { pending.store(load, std::memory_order_seq_cst); }
  bool isPending() const { return pending.load(std::memory_order_acquire) != nullptr; }

  // The gate: a loader's own adoption (or other exclusive work) and a
  // rendering block never overlap; either side gets false while the other holds it.
  bool enterAdoption() { return enterGate(kAdopting); }
  void leaveAdoption() { gate.store(kFree, std::memory_order_release); }
  bool enterRender() { return enterGate(kRendering); }
  void leaveRender() { gate.store(kFree, std::memory_order_release); }

  // Audio thread, holding the gate: takes the published load (null when there
  // is none); finishAdoption once it has been adopted.
  PendingLoad* takePublished();
  void finishAdoption() { adopting.store(false, std::memory_order_seq_cst); }

private:
  enum Gate : int { kFree = 0, kRendering = 1, kAdopting = 2 };

  bool enterGate(int owner) {
    int expected = kFree;
    return gate.compare_exchange_strong(expected, owner, std::memory_order_acq_rel);
  }
  void freeSpareSlots();

  VoiceSlot* spare[kNumSlots] = {};
  PendingLoad* load = nullptr;
  bool held = false;       // written only by the loader that holds 'busy'
  bool reclaimed = false;  // likewise

  std::atomic<bool> busy{false};
  std::atomic<int> gate{kFree};
  std::atomic<PendingLoad*> pending{nullptr};
  std::atomic<bool> adopting{false};
};

}  // namespace vt
