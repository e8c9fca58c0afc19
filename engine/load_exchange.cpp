#include "engine/load_exchange.h"

#include <chrono>
#include <new>
#include <thread>

#include "engine/pending_load.h"
#include "engine/voice_slot.h"

namespace vt {

namespace {

// How long a loader sleeps between two looks at the staging area.
constexpr std::chrono::microseconds kLoaderPoll(200);

}  // namespace

LoadExchange::LoadExchange() { load = new (std::nothrow) PendingLoad(); }

LoadExchange::~LoadExchange() {
  delete load;
  freeSpareSlots();
}

void LoadExchange::freeSpareSlots() {
  for (VoiceSlot*& slot : spare) {
    delete slot;
    slot = nullptr;
  }
}

PendingLoad* LoadExchange::acquire() {
  bool expected = false;
  while (!busy.compare_exchange_weak(expected, true, std::memory_order_acquire)) {
    expected = false;
    std::this_thread::sleep_for(kLoaderPoll);
  }
  if (!valid()) {
    busy.store(false, std::memory_order_release);
    return nullptr;
  }
  held = true;
  // Either this loader or the audio thread takes a published load, never both.
  reclaimed = pending.exchange(nullptr, std::memory_order_seq_cst) != nullptr;
  if (reclaimed) {
    load->beginAddition();
    return load;
  }
  // The last load was adopted (or never published): wait for an adoption
  // still under way, then the spare slots hold replaced content only.
  while (adopting.load(std::memory_order_seq_cst)) std::this_thread::yield();
  load->clear();
  freeSpareSlots();
  return load;
}

bool LoadExchange::provideSlots(unsigned slotMask, VoiceSlot* live) {
  if (!held) return false;
  VoiceSlot* slots[kNumSlots] = {};
  for (int s = 0; s < kNumSlots; ++s) {
    if (live) {
      slots[s] = &live[s];
      continue;
    }
    if ((slotMask & (1u << s)) && !spare[s]) {
      spare[s] = new (std::nothrow) VoiceSlot();
      if (!spare[s] || !spare[s]->valid()) {
        delete spare[s];
        spare[s] = nullptr;
        return false;
      }
    }
    slots[s] = spare[s];
  }
  load->useSlots(slots, live != nullptr);
  return true;
}

void LoadExchange::release() {
  if (!held) return;
  held = false;
  reclaimed = false;
  busy.store(false, std::memory_order_release);
}

PendingLoad* LoadExchange::takePublished() {
  adopting.store(true, std::memory_order_seq_cst);
  PendingLoad* published = pending.exchange(nullptr, std::memory_order_seq_cst);
  if (!published) adopting.store(false, std::memory_order_seq_cst);
  return published;
}

}  // namespace vt
