// How a load reaches the engine without tearing what the audio thread plays.
//
// A loader (any thread but the audio thread) takes the staging area: four
// spare voice slots and a PendingLoad. It reads the new content into them,
// beside the live state, and publishes the PendingLoad. The render call
// adopts a published load at the start of its next block; when no block is
// being rendered (the host is idle), the loader adopts it itself. Both hold
// the render gate while they adopt, so adoption never overlaps a block. The
// audio thread never waits: a block that finds the gate held by a loader's
// adoption renders silence and keeps its events for the next block.
//
// Loaders wait for each other (only one holds the staging area at a time) and
// for their adoption; the audio thread neither waits nor allocates.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/parameter_ids.h"

namespace vt {

class PendingLoad;
class VoiceSlot;

class LoadExchange {
public:
  LoadExchange();  // makes the staging area
  ~LoadExchange();

  LoadExchange(const LoadExchange&) = delete;
  LoadExchange& operator=(const LoadExchange&) = delete;

  // False when the staging area could not be allocated.
  bool valid() const { return allocated; }

  // Loader side. Waits until no other loader holds the staging area and returns
  // it cleared; null (and nothing held) when there is no staging area.
  PendingLoad* acquire();
  // Gives the staging area back (after the load was adopted or abandoned).
  void release();
  PendingLoad* stagedLoad() const { return held ? load : nullptr; }

  // Makes the staged load visible to the render call.
  void publish() { pending.store(load, std::memory_order_release); }
  bool isPending() const { return pending.load(std::memory_order_acquire) != nullptr; }
  // Blocks rendered since construction (counted after their adoption step).
  std::uint32_t renders() const { return renderCount.load(std::memory_order_acquire); }
  // The loader's own adoption, between blocks: false while a block renders.
  bool enterAdoption() { return enterGate(kAdopting); }
  void leaveAdoption() { gate.store(kFree, std::memory_order_release); }

  // Render side (audio thread). False while a loader adopts: render silence then.
  bool enterRender() { return enterGate(kRendering); }
  void leaveRender() { gate.store(kFree, std::memory_order_release); }
  void countRender() { renderCount.fetch_add(1, std::memory_order_acq_rel); }

  // Either side, holding the gate: the published load, or null; then mark it adopted.
  PendingLoad* pendingLoad() const { return pending.load(std::memory_order_acquire); }
  void markAdopted() { pending.store(nullptr, std::memory_order_release); }

private:
  enum Gate : int { kFree = 0, kRendering = 1, kAdopting = 2 };

  bool enterGate(int owner) {
    int expected = kFree;
    return gate.compare_exchange_strong(expected, owner, std::memory_order_acq_rel);
  }

  VoiceSlot* staging[kNumSlots] = {};
  PendingLoad* load = nullptr;
  bool held = false;  // written only by the loader that holds 'busy'
  bool allocated = false;

  std::atomic<bool> busy{false};
  std::atomic<int> gate{kFree};
  std::atomic<PendingLoad*> pending{nullptr};
  std::atomic<std::uint32_t> renderCount{0};
};

}  // namespace vt
