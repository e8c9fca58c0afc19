// The engine's worker thread: a task that asks for a start of its own worker
// (a load committed from the worker does) must not keep the worker alive past
// stop(), which would hang the engine's destruction.
#include "engine/background_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace vt {
namespace {

struct SelfStarting {
  BackgroundWorker* worker = nullptr;
  std::atomic<int> runs{0};
  static void task(void* context) {
    auto* self = static_cast<SelfStarting*>(context);
    ++self->runs;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    self->worker->start();  // also while a stop waits for this run
  }
};

TEST(BackgroundWorker, ATaskThatStartsItsOwnWorkerStillLetsStopEndItAndItStartsAgain) {
  SelfStarting state;
  BackgroundWorker worker(&SelfStarting::task, &state);
  state.worker = &worker;
  for (int round = 0; round < 20; ++round) {
    const int before = state.runs.load();
    worker.start();
    worker.wake();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (state.runs.load() == before && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    ASSERT_GT(state.runs.load(), before) << round;
    worker.stop();  // returns although the running task asks for a start
    EXPECT_FALSE(worker.isRunning()) << round;
  }
  const int after = state.runs.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(4 * BackgroundWorker::kPollInterval.count()));
  EXPECT_EQ(state.runs.load(), after);  // no thread left running the task
}

}  // namespace
}  // namespace vt
