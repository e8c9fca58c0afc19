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

LoadExchange::~LoadExchange() {
  delete load;
  for (VoiceSlot*& slot : staging) {
    delete slot;
    slot = nullptr;
  }
}

LoadExchange::LoadExchange() {
  for (VoiceSlot*& slot : staging) slot = new (std::nothrow) VoiceSlot();
  load = new (std::nothrow) PendingLoad(staging);
  allocated = load != nullptr;
  for (const VoiceSlot* slot : staging)
    if (!slot || !slot->valid()) allocated = false;
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
  load->clear();
  return load;
}

void LoadExchange::release() {
  if (!held) return;
  held = false;
  busy.store(false, std::memory_order_release);
}

}  // namespace vt
