// The audio thread's cost of putting a block's events in offset order: a
// full queue (1023 events) that arrives in reverse order, the worst case, and
// one that arrives in order, the usual case (one pass, no sort).
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/event_queue.h"

namespace {

void fill(vt::EventQueue& queue, bool reversed) {
  queue.clear();
  const std::uint8_t message[3] = {0x90, 60, 100};
  for (int i = 0; i < vt::EventQueue::kCapacity; ++i)
    queue.push(message, 3, reversed ? vt::EventQueue::kCapacity - i : i);
}

void orderFullQueue(benchmark::State& state, bool reversed) {
  auto queue = std::make_unique<vt::EventQueue>();
  for (auto _ : state) {
    state.PauseTiming();
    fill(*queue, reversed);
    state.ResumeTiming();
    queue->orderForBlock(vt::EventQueue::kCapacity);
    benchmark::DoNotOptimize(queue->deltaFrames[0]);
  }
}

void BM_OrderFullQueueArrivedReversed(benchmark::State& state) { orderFullQueue(state, true); }
void BM_OrderFullQueueArrivedInOrder(benchmark::State& state) { orderFullQueue(state, false); }

BENCHMARK(BM_OrderFullQueueArrivedReversed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OrderFullQueueArrivedInOrder)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
