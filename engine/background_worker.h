// A plug-in instance's own worker thread for work too heavy for the audio
// thread: it runs one task whenever it is woken and, since the audio thread
// may not wake anyone (that could block), also every few milliseconds, so
// that requests the audio thread leaves in atomics are seen promptly.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vt {

class BackgroundWorker {
public:
  using Task = void (*)(void* context);
  static constexpr std::chrono::milliseconds kPollInterval{5};

  BackgroundWorker(Task task, void* context) : task(task), context(context) {}
  ~BackgroundWorker() { stop(); }
  BackgroundWorker(const BackgroundWorker&) = delete;
  BackgroundWorker& operator=(const BackgroundWorker&) = delete;

  // Starts the thread unless it runs or a stop is waiting for it (never from
  // the audio thread).
  void start();
  // Runs the task soon (never from the audio thread).
  void wake();
  // Ends the thread after its current run of the task.
  void stop();
  bool isRunning();

private:
  void run();

  Task task;
  void* context;
  std::mutex lock;
  std::condition_variable wakeUp;
  bool stopping = false;
  bool joining = false;  // a stop waits for the thread to end
  bool woken = false;
  std::thread thread;
};

}  // namespace vt
