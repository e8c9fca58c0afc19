#include "engine/background_worker.h"

namespace vt {

void BackgroundWorker::start() {
  std::lock_guard<std::mutex> guard(lock);
  // While a stop waits for the thread (whose task may itself ask for a start),
  // no new thread starts: it would clear 'stopping' and the old one never ends.
  if (thread.joinable() || joining) return;
  stopping = false;
  thread = std::thread([this] { run(); });
}

void BackgroundWorker::wake() {
  {
    std::lock_guard<std::mutex> guard(lock);
    woken = true;
  }
  wakeUp.notify_one();
}

void BackgroundWorker::stop() {
  std::thread finishing;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (!thread.joinable()) return;
    stopping = true;
    joining = true;
    finishing = std::move(thread);
  }
  wakeUp.notify_one();
  finishing.join();
  std::lock_guard<std::mutex> guard(lock);
  joining = false;
}

bool BackgroundWorker::isRunning() {
  std::lock_guard<std::mutex> guard(lock);
  return thread.joinable();
}

void BackgroundWorker::run() {
  std::unique_lock<std::mutex> guard(lock);
  while (!stopping) {
    wakeUp.wait_for(guard, kPollInterval, [this] { return stopping || woken; });
    if (stopping) break;
    woken = false;
    guard.unlock();
    task(context);
    guard.lock();
  }
}

}  // namespace vt
