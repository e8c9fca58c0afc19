// Holds the engine's staging area for the length of one load (or of a read of
// the live state that no load may change meanwhile, such as writing the host
// chunk) and hands what was staged to the engine when it goes away.
#pragma once

#include "engine/pending_load.h"
#include "engine/synth_engine.h"

namespace vt {

class StagedLoad {
public:
  // 'slotMask': the slots the load may read into (bit n for slot n).
  explicit StagedLoad(SynthEngine& target, unsigned slotMask = SynthEngine::kAllSlots)
      : engine(target), load(target.stageLoad(slotMask)) {}
  ~StagedLoad() {
    if (load) engine.commitLoad();
  }
  StagedLoad(const StagedLoad&) = delete;
  StagedLoad& operator=(const StagedLoad&) = delete;

  // False when the staging area could not be had (nothing may be staged then).
  explicit operator bool() const { return load != nullptr; }
  PendingLoad* operator->() const { return load; }
  PendingLoad& operator*() const { return *load; }

private:
  SynthEngine& engine;
  PendingLoad* load;
};

}  // namespace vt
